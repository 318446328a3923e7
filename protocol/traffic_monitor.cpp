#include "protocol/traffic_monitor.h"

#include <QLocale>
#include <QRegularExpression>
#include <exception>
#include <utility>

namespace pelta::protocol {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// The locale's long time format without its time-zone field: "HH:mm:ss" in Russian.
QString TimeOfDayFormat() {
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(zone);
    return format.trimmed();
}

QString ThreeDigits(qint64 value) {
    return QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
}

// A failing view call is skipped so that the monitor never stops an exchange.
template <typename Step>
void Skipping(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (const std::exception&) {
    }
}

}  // namespace

QString HexLine(const Frame& frame) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString line;
    line.reserve(static_cast<qsizetype>(frame.size() * 3));
    for (const char c : frame) {
        const auto byte = static_cast<unsigned char>(c);
        line += QLatin1Char(kDigits[byte >> 4]);
        line += QLatin1Char(kDigits[byte & 0x0F]);
        line += QLatin1Char(' ');
    }
    return line;
}

QString FrameHeader(const QTime& timeOfDay, int frameLength, Direction direction) {
    const QString marker =
        direction == Direction::Tx ? QStringLiteral(":Tx >-- ") : QStringLiteral(":Rx <-- ");
    return QLocale().toString(timeOfDay, TimeOfDayFormat()) + QStringLiteral(": ") +
           QString::number(frameLength) + QLatin1Char('\t') + marker;
}

QString PacketStatisticsText(int monitorLength, int frameLength, const LinkCounters& counters) {
    return QStringLiteral("Всего символов: ") + QString::number(monitorLength) +
           QStringLiteral(" символов в пакете : ") + ThreeDigits(frameLength) +
           QStringLiteral(" ошибочных пакетов : ") + QString::number(counters.BadFrames) +
           QStringLiteral(" нет ответа : ") + QString::number(counters.NoAnswer);
}

QString Percent(std::int32_t part, std::int32_t total) {
    const double value = total == 0 ? 0.0 : static_cast<double>(part) * 100.0 / total;
    QString fixed = QString::number(value, 'f', 2);  // "33.33", C locale
    const qsizetype point = fixed.indexOf(QLatin1Char('.'));
    const bool negative = fixed.startsWith(QLatin1Char('-'));
    const qsizetype integerDigits = point - (negative ? 1 : 0);
    if (integerDigits < 3) {
        fixed.insert(negative ? 1 : 0, QString(3 - integerDigits, QLatin1Char('0')));
    }
    return fixed.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

QString LinkStateText(const LinkCounters& c) {
    const std::int32_t good = c.Frames - c.BadFrames - c.NoAnswer;
    return QStringLiteral("Состояние связи: успешно - ") + Percent(good, c.Frames) +
           QStringLiteral("%  , нет связи : ") + Percent(c.NoAnswer, c.Frames) +
           QStringLiteral("% ошибки связи : ") + Percent(c.BadFrames, c.Frames) +
           QStringLiteral("% ");
}

TrafficMonitor::TrafficMonitor(MonitorView& view, EventWaiter& events, TimeOfDaySource timeOfDay)
    : view_(view), events_(events), timeOfDay_(std::move(timeOfDay)) {}

void TrafficMonitor::AppendFrame(const Frame& frame, Direction direction) {
    const QString header = FrameHeader(timeOfDay_(), static_cast<int>(frame.size()), direction);
    view_.TextBox1Insert(header + HexLine(frame) + kLineEnd);
}

void TrafficMonitor::shwTxHex(const Frame& commands) {
    const int frameLength = static_cast<int>(commands.size());
    view_.SetLabel1(PacketStatisticsText(view_.TextBox1Length(), frameLength, counters_));
    AppendFrame(commands, Direction::Tx);
    view_.TextBox1MoveToEnd();
    if (view_.TextBox1Length() > kMaxTextLength) {
        view_.TextBox1Clear();  // the counters carry on
    }
    events_.ProcessEvents();
}

void TrafficMonitor::Count(const Frame& reply) {
    if (reply.empty()) {
        ++counters_.NoAnswer;
    } else if (!IsGoodReply(reply)) {
        ++counters_.BadFrames;  // a single byte cannot carry a CRC: bad too
    }
    ++counters_.Frames;
}

void TrafficMonitor::shwRxHex(const Frame& commands, int /*crc_8*/) {
    const int frameLength = static_cast<int>(commands.size());
    Count(commands);
    Skipping([&] {
        view_.SetLabel1(PacketStatisticsText(view_.TextBox1Length(), frameLength, counters_));
    });
    Skipping([&] { view_.SetLabel2_0(LinkStateText(counters_)); });
    Skipping([&] { AppendFrame(commands, Direction::Rx); });
    Skipping([&] {
        if (view_.TextBox1Length() > kMaxTextLength) {
            view_.TextBox1Clear();
            counters_ = {};
        }
    });
}

}  // namespace pelta::protocol
