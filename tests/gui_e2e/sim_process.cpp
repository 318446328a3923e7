#include "sim_process.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace pelta::e2e {

SimProcess::SimProcess(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(PELTA_SIM_PROGRAM), arguments);
    if (!process_.waitForStarted(5000)) {
        return;
    }
    const QDeadlineTimer deadline(5000);
    while (!process_.canReadLine() && !deadline.hasExpired()) {
        process_.waitForReadyRead(100);
    }
    firstLine_ = QString::fromUtf8(process_.readLine()).trimmed();
    log_ += firstLine_ + QLatin1Char('\n');
    const QRegularExpression announce(QStringLiteral("^pelta-sim: COM(\\d+) -> (\\S+)$"));
    const QRegularExpressionMatch match = announce.match(firstLine_);
    if (match.hasMatch()) {
        comNumber_ = match.captured(1).toInt();
    }
}

SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(1000);
        }
    }
}

QString SimProcess::Log() {
    process_.waitForReadyRead(50);
    log_ += QString::fromUtf8(process_.readAllStandardOutput());
    return log_;
}

}  // namespace pelta::e2e
