#include "sim_rig.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
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

SimProcess::SimProcess(const QString& runtimeDir, const QStringList& extraArgs) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(PELTA_SIM_PROGRAM), extraArgs);
    if (!process_.waitForStarted(5000)) {
        throw std::runtime_error("pelta-sim did not start");
    }
    static const QRegularExpression registered(QStringLiteral("^pelta-sim: COM(\\d+) -> "));
    const QDeadlineTimer deadline(5000);
    while (com_ == 0 && !deadline.hasExpired()) {
        process_.waitForReadyRead(100);
        ReadAvailable();
        for (const QString& line : lines_) {
            if (const auto match = registered.match(line); match.hasMatch()) {
                com_ = match.captured(1).toInt();
            }
        }
    }
    if (com_ == 0) {
        throw std::runtime_error("pelta-sim did not register a port");
    }
}

SimProcess::~SimProcess() {
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

void SimProcess::ReadAvailable() {
    while (process_.canReadLine()) {
        lines_ << QString::fromUtf8(process_.readLine()).trimmed();
    }
}

QStringList SimProcess::ReceivedLines(int atLeast, int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    QStringList received;
    do {
        process_.waitForReadyRead(50);
        ReadAvailable();
        received.clear();
        for (const QString& line : lines_) {
            if (line.contains(QStringLiteral(" rx "))) {
                received << line;
            }
        }
    } while (received.size() < atLeast && !deadline.hasExpired());
    return received;
}

SimRig::SimRig(const QStringList& simArgs) {
    Application();
    sim = std::make_unique<SimProcess>(runtime.path(), simArgs);
    const link::SerialMapRoots roots{runtime.path().toStdString() + "/pelta/serialcomm",
                                     "/nonexistent-sysfs", "/dev"};
    api = std::make_unique<link::TermiosPortApi>(roots);
    channel = std::make_unique<link::SerialChannel>(*api, window);
    discovery = std::make_unique<link::PortDiscovery>(roots);
    discovery->ListSerialPorts();
    settings = std::make_unique<link::LinkSettingsModel>(*channel, window, window);
    serialLink = std::make_unique<link::SerialLink>(*channel, *discovery, *settings);
    monitor = std::make_unique<protocol::TrafficMonitor>(window, events);
    decoder = std::make_unique<device::ControllerReplyDecoder>(state, window, window, window);
    cycle = std::make_unique<protocol::PollCycle>(protocol::PollCycle::Parts{
        window, events, *serialLink, *settings, *monitor, *decoder, state});
    cycle->ExpectedReplyLength.Fill();
    commands = std::make_unique<device::SettingsCommands>(window, state, *cycle, window);
    window.PortText = QStringLiteral("COM ") + QString::number(sim->ComNumber());
    window.Timeout = QStringLiteral("200");
}

}  // namespace pelta::e2e
