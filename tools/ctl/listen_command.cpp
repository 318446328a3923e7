#include "tools/ctl/listen_command.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cstdio>

#include "protocol/traffic_monitor.h"
#include "tools/ctl/session.h"
#include "tools/ctl/stop_signals.h"

namespace pelta::ctl {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kReadWaitMs = 100;  // one read waits this long for a first byte
constexpr std::uint32_t kByteGapMs = 20;    // and returns when the bytes pause this long

const char* KindName(watch::SplitFrame::Kind kind, bool json) {
    switch (kind) {
        case watch::SplitFrame::Kind::Request:
            return json ? "request" : "запрос";
        case watch::SplitFrame::Kind::Reply:
            return json ? "reply" : "ответ";
        case watch::SplitFrame::Kind::Noise:
            break;
    }
    return json ? "noise" : "шум";
}

// The values of a state reply with a good CRC, through the core's decoder.
std::optional<device::Readings> StateValues(CtlCore& core, const watch::SplitFrame& frame) {
    if (frame.kind != watch::SplitFrame::Kind::Reply || !frame.crcGood ||
        frame.command != protocol::Command::ReadState) {
        return std::nullopt;
    }
    return core.core.DecodeReadings(protocol::Frame(frame.bytes));
}

void Print(const QByteArray& line) {
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

QByteArray ListenLine(const QDateTime& at, const watch::SplitFrame& frame,
                      const std::optional<device::Readings>& values, bool json) {
    const QString hex = protocol::HexLine(protocol::Frame(frame.bytes)).trimmed();
    const bool reply = frame.kind == watch::SplitFrame::Kind::Reply;
    if (json) {
        QJsonObject object{{"time", at.toString(Qt::ISODateWithMs)},
                           {"kind", KindName(frame.kind, true)},
                           {"bytes", hex}};
        if (frame.kind != watch::SplitFrame::Kind::Noise) {
            object.insert("command", frame.command);
        }
        if (reply) {
            object.insert("crc_good", frame.crcGood);
        }
        if (values) {
            object.insert("clock", values->ControllerClock.toString(Qt::ISODate));
            object.insert("indoor_temperature", values->IndoorTemperature);
            object.insert("outdoor_temperature", values->OutdoorTemperature);
            object.insert("humidity", values->HumidityPercent);
            object.insert("pressure", values->PressureMm);
        }
        return QJsonDocument(object).toJson(QJsonDocument::Compact);
    }
    QString text = at.toString(QStringLiteral("HH:mm:ss.zzz ")) +
                   QString::fromUtf8(KindName(frame.kind, false));
    if (frame.kind != watch::SplitFrame::Kind::Noise) {
        text += QStringLiteral(" %1").arg(frame.command);
    }
    if (reply) {
        text += frame.crcGood ? QStringLiteral(" CRC верен") : QStringLiteral(" CRC неверен");
    }
    text += QStringLiteral(": ") + hex;
    if (values) {
        text += QStringLiteral(" | часы %1, дом %2 °C %3%, улица %4 °C %5 мм рт. ст.")
                    .arg(values->ControllerClock.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")))
                    .arg(static_cast<double>(values->IndoorTemperature))
                    .arg(values->HumidityPercent)
                    .arg(static_cast<double>(values->OutdoorTemperature))
                    .arg(values->PressureMm);
    }
    return text.toUtf8();
}

int RunListen(const CtlOptions& options, CtlCore& core, const link::LinkChoices& choices) {
    StopSignals stop([] {});
    const auto portNumber =
        static_cast<std::int16_t>(core.core.Discovery().NumberAt(core.controls.PortListIndex));
    link::LinkChoices line = choices;
    line.PortNumber = portNumber;
    core.core.LinkSettings().SetPort(portNumber, line);
    core.core.Channel().OpenDevice(portNumber,
                                   core.core.Discovery().DeviceAt(core.controls.PortListIndex));
    if (!core.core.Channel().IsOpen() || !core.reports.Problems.isEmpty()) {
        PrintError(core.reports.Problems.isEmpty()
                       ? QStringLiteral("порт не открыт")
                       : core.reports.Problems.join(QStringLiteral("; ")));
        return kExitSomeFailed;
    }
    // Each read waits a little for the first byte and returns what came: no spinning.
    core.core.Channel().PortTimeouts = {kByteGapMs, 0, kReadWaitMs, 0, 0};
    core.core.LinkSettings().ComPortInit(portNumber);
    // A frame's bytes follow each other closely; a pause as long as a reply wait ends one.
    const auto quiet =
        std::chrono::milliseconds(std::max(kReadWaitMs, core.controls.ReplyTimeout.toUInt()));
    watch::FrameSplitter splitter;
    bool pending = false;
    Clock::time_point lastByte = Clock::now();
    while (!stop.Stopped()) {
        const std::string bytes = core.core.Channel().ReadPort(link::SerialChannel::IoBufferSize);
        std::vector<watch::SplitFrame> frames;
        if (!bytes.empty()) {
            frames = splitter.Feed(bytes);
            pending = true;
            lastByte = Clock::now();
        } else if (pending && Clock::now() - lastByte >= quiet) {
            frames = splitter.Idle();
            pending = false;
        }
        for (const watch::SplitFrame& frame : frames) {
            Print(ListenLine(QDateTime::currentDateTime(), frame, StateValues(core, frame),
                             options.Json));
        }
        QCoreApplication::processEvents();
    }
    core.core.Channel().ClosePort();
    return kExitAllGood;
}

}  // namespace pelta::ctl
