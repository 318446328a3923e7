#include "tools/ctl/session.h"

#include <unistd.h>

#include <cstdio>

#include "link/remembered_settings.h"
#include "tools/ctl/actions.h"
#include "tools/ctl/ctl_core.h"
#include "tools/ctl/listen_command.h"
#include "tools/ctl/port_choice.h"
#include "tools/ctl/report.h"
#include "tools/ctl/watch_command.h"

namespace pelta::ctl {
namespace {

void WriteErr(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

link::LinkChoices ChoicesFor(const LinkOverrides& given, const PortChoice& port,
                             const link::RememberedSettings& remembered) {
    link::LinkChoices choices;
    static_cast<link::LineValues&>(choices) = link::ResolveLineValues(given.Line, port.Remembered);
    choices.AttemptsText = given.Attempts.value_or(remembered.Attempts);
    return choices;
}

std::vector<int> AddressesFor(const CtlOptions& options,
                              const link::RememberedSettings& remembered) {
    if (options.Link.Addresses) {
        return *options.Link.Addresses;
    }
    if (options.Command == CommandKind::Scan) {
        std::vector<int> all;
        for (int address = link::ControllerAddresses.Lowest;
             address <= link::ControllerAddresses.Highest; ++address) {
            all.push_back(address);
        }
        return all;
    }
    return {remembered.Address.toInt()};
}

// A scan that runs for minutes says where it is, when someone is watching. The line is wiped
// before anything else is printed, so that results never land behind it.
class Progress {
  public:
    explicit Progress(bool shown) : shown_(shown) {}
    ~Progress() { Clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Show(int address, std::size_t done, std::size_t total, int found) {
        if (shown_) {
            drawn_ = true;
            WriteErr(QStringLiteral("\rпоиск: адрес %1 (%2 из %3), найдено: %4\033[K")
                         .arg(address)
                         .arg(done)
                         .arg(total)
                         .arg(found));
        }
    }
    void Clear() {
        if (drawn_) {
            drawn_ = false;
            WriteErr(QStringLiteral("\r\033[K"));
        }
    }

  private:
    bool shown_;
    bool drawn_ = false;
};

// Silence at an address is what a scan expects; a garbled reply is worth a line.
bool SilentInScan(CommandKind command, const AddressOutcome& outcome) {
    return command == CommandKind::Scan && outcome.Reason == QString::fromUtf8(kNoAnswer);
}

// The port layer the core runs on: a network port's failure is told there.
const link::PortApi& PortLayerOf(CtlCore& core) {
    return core.core.PortLayer();
}

}  // namespace

void PrintError(const QString& text) {
    WriteErr(QStringLiteral("pelta-ctl: ") + text + QLatin1Char('\n'));
}

int RunSession(const CtlOptions& options) {
    if (options.Ports) {
        return RunPortsCommand(*options.Ports);
    }
    const link::RememberedSettings remembered =
        link::LoadRememberedSettings(link::RememberedSettingsPath());
    const PortChoice port = ChoosePort(options.Link, remembered);
    if (!port.Error.isEmpty()) {
        PrintError(port.Error);
        return port.NoPortNamed ? kExitUsage : kExitSomeFailed;
    }
    const QString replyTimeout = options.Link.ReplyTimeout.value_or(remembered.ReplyTimeout);
    CtlCore core(port.Roots);
    if (!port.DevicePath.empty()) {
        core.OfferDevice(port.PortNumber, port.DevicePath);
    }
    if (!core.SelectPort(port.PortNumber)) {
        PrintError(PortNotFoundText(port.PortNumber));
        return kExitSomeFailed;
    }
    core.controls.ReplyTimeout = replyTimeout;
    const link::LinkChoices choices = ChoicesFor(options.Link, port, remembered);
    const std::vector<int> addresses = AddressesFor(options, remembered);
    if (options.Long == LongRun::Watch) {
        return RunWatch(options, core, choices, addresses);
    }
    if (options.Long == LongRun::Listen) {
        return RunListen(options, core, choices);
    }

    Report report(options.Command, options.Json, stdout);
    Progress progress(options.Command == CommandKind::Scan && ::isatty(STDERR_FILENO) == 1);
    bool allGood = true;
    bool anyFound = false;
    int found = 0;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        progress.Show(addresses[i], i + 1, addresses.size(), found);
        core.BeginAddress(addresses[i], choices);
        const AddressOutcome outcome = RunAtAddress(options, core, addresses[i]);
        if (SilentInScan(options.Command, outcome)) {
            continue;
        }
        progress.Clear();
        if (!outcome.Ok()) {
            allGood = false;
            // A network port that failed is said once, naming its URL and why; the other
            // addresses would only wait for it again.
            if (const std::string why = PortLayerOf(core).FailureReason(); !why.empty()) {
                PrintError(QString::fromStdString(why));
                report.Add(outcome);
                break;
            }
            PrintError(QStringLiteral("адрес %1: %2").arg(outcome.Address).arg(outcome.Reason));
        }
        anyFound = anyFound || outcome.Ok();
        found += outcome.Ok() ? 1 : 0;
        report.Add(outcome);
    }
    if (options.Command == CommandKind::Scan && !anyFound && allGood) {
        progress.Clear();
        PrintError(QStringLiteral("нет ответа ни от одного адреса"));
    }
    // A scan succeeds when it found someone and met nothing garbled on the way.
    const bool good = options.Command == CommandKind::Scan ? allGood && anyFound : allGood;
    return good ? kExitAllGood : kExitSomeFailed;
}

}  // namespace pelta::ctl
