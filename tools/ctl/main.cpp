// pelta-ctl: the display controller from scripts and cron, at one address or many, on the same
// core as the window.

#include <QCoreApplication>
#include <cstdio>

#include "tools/ctl/command_line.h"
#include "tools/ctl/session.h"

int main(int argc, char** argv) {
    using namespace pelta::ctl;
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelta-ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELTA_VERSION));
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
    switch (parsed.What) {
        case ParsedCommandLine::Kind::Help:
            std::fputs(parsed.Text.toUtf8().constData(), stdout);
            return kExitAllGood;
        case ParsedCommandLine::Kind::Version:
            std::printf("pelta-ctl %s\n", PELTA_VERSION);
            return kExitAllGood;
        case ParsedCommandLine::Kind::UsageError:
            PrintError(parsed.Text + QStringLiteral(" (см. pelta-ctl --help)"));
            return kExitUsage;
        case ParsedCommandLine::Kind::Run:
            break;
    }
    return RunSession(parsed.Options);
}
