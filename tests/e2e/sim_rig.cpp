#include "sim_rig.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <stdexcept>

namespace pelta::e2e {
namespace {

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "e2e_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

}  // namespace

SimRig::SimRig(const QStringList& simArgs)
    : application(Application()),
      core({window, window, window, window, window, window},
           {.PortApi = {}, .MapRoots = roots, .ErrorLogFolder = runtime.path(), .Events = {}}),
      settings(core.LinkSettings()),
      monitor(core.Monitor()),
      commands(core.Commands()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    sim.setProcessEnvironment(environment);
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(PELTA_SIM_PROGRAM), simArgs);
    static const QRegularExpression registered(QStringLiteral("^pelta-sim: COM(\\d+) -> "));
    const QDeadlineTimer deadline(5000);
    QRegularExpressionMatch match;
    while (!match.hasMatch() && sim.waitForReadyRead(int(deadline.remainingTime()))) {
        while (sim.canReadLine() && !match.hasMatch()) {
            match = registered.match(QString::fromUtf8(sim.readLine()));
        }
    }
    if (!match.hasMatch()) {
        throw std::runtime_error("pelta-sim did not start and register a port");
    }
    core.Discovery().ListSerialPorts();  // the simulator registered after the core was built
    window.In["cboPortText"] = QStringLiteral("COM ") + match.captured(1);
    window.In["Text1_3"] = QStringLiteral("200");
}

SimRig::~SimRig() {
    sim.terminate();
    if (!sim.waitForFinished(3000)) {
        sim.kill();
        sim.waitForFinished(3000);
    }
}

QString SimRig::Device() const {
    const QString number = QString(window.In.at(QStringLiteral("cboPortText"))).remove(' ');
    return QFileInfo(runtime.filePath(QStringLiteral("pelta/serialcomm/") + number))
        .symLinkTarget();
}

void SimRig::UseNetworkPort(const QString& url) {
    core.Discovery().SetPorts({{20, url.toStdString(), ""}});
    window.In["cboPortListIndex"] = QStringLiteral("0");
    window.In["cboPortText"] = QStringLiteral("COM 20");
}

QStringList SimRig::LogLines(const QString& marker, int atLeast) {
    const QDeadlineTimer deadline(2000);
    QStringList matching;
    do {
        while (sim.canReadLine()) {
            logLines << QString::fromUtf8(sim.readLine()).trimmed();
        }
        matching = logLines.filter(marker);
    } while (matching.size() < atLeast && sim.waitForReadyRead(int(deadline.remainingTime())));
    return matching;
}

}  // namespace pelta::e2e
