#include "tools/ctl/report.h"

#include <QJsonDocument>
#include <array>
#include <charconv>
#include <utility>
#include <vector>

#include "device/settings_lists.h"
#include "protocol/traffic_monitor.h"

namespace pelta::ctl {
namespace {

using Rows = std::vector<std::pair<QString, QString>>;

const QString kIndent = QStringLiteral("  ");

// "Температура: 21,5 °C" -> ("Температура", "21,5 °C").
std::pair<QString, QString> LabelAndValue(const QString& caption) {
    const qsizetype colon = caption.indexOf(QStringLiteral(": "));
    if (colon < 0) {
        return {QString(), caption};
    }
    return {caption.left(colon), caption.mid(colon + 2)};
}

QString Block(const QString& title, const Rows& rows) {
    qsizetype width = 0;
    for (const auto& row : rows) {
        width = std::max(width, row.first.size() + 1);
    }
    QString text = title + QLatin1Char('\n');
    for (const auto& [label, value] : rows) {
        text += kIndent + (label + QLatin1Char(':')).leftJustified(width + 1) + value +
                QLatin1Char('\n');
    }
    return text;
}

QString AddressTitle(int address) {
    return QStringLiteral("Адрес %1").arg(address);
}

template <std::size_t N>
QString ListName(std::int16_t position, const std::array<const char*, N>& list) {
    if (position < 0 || static_cast<std::size_t>(position) >= N) {
        return QStringLiteral("не задан");
    }
    return QString::fromUtf8(list[static_cast<std::size_t>(position)]);
}

QString Span(const QString& from, const QString& to) {
    return from + QStringLiteral(" - ") + to;
}

QString DriftValue(const MeasurementsShown& read) {
    return LabelAndValue(read.Captions.Drift).second;
}

Rows MeasurementRows(const MeasurementCaptions& c) {
    Rows rows{{QStringLiteral("Дата"), c.Date}, {QStringLiteral("Время"), c.Time}};
    rows.push_back(LabelAndValue(c.Drift));
    for (const auto& [group, caption] : {std::pair{QStringLiteral("ДОМ"), c.IndoorTemperature},
                                         {QStringLiteral("ДОМ"), c.Humidity},
                                         {QStringLiteral("Улица"), c.OutdoorTemperature},
                                         {QStringLiteral("Улица"), c.Pressure}}) {
        const auto [label, value] = LabelAndValue(caption);
        rows.emplace_back(group + QStringLiteral(", ") + label, value);
    }
    return rows;
}

Rows SettingsRows(const SettingsShown& s) {
    Rows rows;
    for (int i = 0; i < 2; ++i) {
        rows.emplace_back(
            QStringLiteral("Будильник №%1").arg(i + 1),
            s.AlarmTime[i] + QStringLiteral(", ") + ListName(s.AlarmDays[i], device::kDaySetNames) +
                (s.AlarmOn[i] ? QStringLiteral(", включен") : QStringLiteral(", отключен")));
    }
    rows.emplace_back(QStringLiteral("Экран"),
                      ListName(s.ScreenMode, device::kScreenModeNames) + QLatin1Char(' ') +
                          ListName(s.ScreenSource, device::kScreenSourceNames) +
                          QStringLiteral(", ") + Span(s.ScheduleTimes[2], s.ScheduleTimes[3]));
    rows.emplace_back(QStringLiteral("Подсветка (Ночник)"),
                      ListName(s.NightLightMode, device::kNightLightModeNames) +
                          QStringLiteral(", ") + Span(s.ScheduleTimes[0], s.ScheduleTimes[1]));
    rows.emplace_back(QStringLiteral("Прокручивать лунный календарь"),
                      s.LunarCalendar ? QStringLiteral("да") : QStringLiteral("нет"));
    return rows;
}

QString ClockText(const QDateTime& moment) {
    return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString ScanRow(const AddressOutcome& outcome) {
    const MeasurementsShown& read = outcome.Reads.front();
    return QString::number(outcome.Address).leftJustified(7) +
           ClockText(read.Values->ControllerClock).leftJustified(21) + DriftValue(read) +
           QLatin1Char('\n');
}

// A float as the short decimal it was decoded from: 20.3, not 20.299999237060547.
double Decimal(float value) {
    std::array<char, 32> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    double result = 0.0;
    std::from_chars(digits.data(), written.ptr, result);
    return result;
}

QString Hex(const protocol::Frame& reply) {
    return protocol::HexLine(reply).trimmed();
}

void AddReadings(QJsonObject& json, const device::Readings& r, const QString& prefix = {}) {
    json[prefix + QStringLiteral("date")] = r.ControllerClock.date().toString(Qt::ISODate);
    json[prefix + QStringLiteral("time")] =
        r.ControllerClock.time().toString(QStringLiteral("HH:mm:ss"));
    json[prefix + QStringLiteral("drift")] = static_cast<qint64>(r.DriftSeconds);
}

QJsonObject AlarmJson(const SettingsShown& s, int i) {
    return {{QStringLiteral("time"), s.AlarmTime[i]},
            {QStringLiteral("days"), ListName(s.AlarmDays[i], device::kDaySetNames)},
            {QStringLiteral("days_code"), s.AlarmDays[i] + 1},
            {QStringLiteral("on"), s.AlarmOn[i]}};
}

QJsonObject SettingsJson(const SettingsShown& s) {
    return {
        {QStringLiteral("alarm1"), AlarmJson(s, 0)},
        {QStringLiteral("alarm2"), AlarmJson(s, 1)},
        {QStringLiteral("screen"),
         QJsonObject{
             {QStringLiteral("mode"), ListName(s.ScreenMode, device::kScreenModeNames)},
             {QStringLiteral("mode_code"), s.ScreenMode + 1},
             {QStringLiteral("source"), ListName(s.ScreenSource, device::kScreenSourceNames)},
             {QStringLiteral("from"), s.ScheduleTimes[2]},
             {QStringLiteral("to"), s.ScheduleTimes[3]}}},
        {QStringLiteral("night_light"),
         QJsonObject{
             {QStringLiteral("mode"), ListName(s.NightLightMode, device::kNightLightModeNames)},
             {QStringLiteral("mode_code"), s.NightLightMode + 1},
             {QStringLiteral("from"), s.ScheduleTimes[0]},
             {QStringLiteral("to"), s.ScheduleTimes[1]}}},
        {QStringLiteral("lunar_calendar"), s.LunarCalendar},
    };
}

void AddValues(QJsonObject& json, CommandKind command, const AddressOutcome& outcome) {
    switch (command) {
        case CommandKind::Read: {
            const device::Readings& r = *outcome.Reads.front().Values;
            AddReadings(json, r);
            json[QStringLiteral("indoor_temperature")] = Decimal(r.IndoorTemperature);
            json[QStringLiteral("humidity")] = r.HumidityPercent;
            json[QStringLiteral("outdoor_temperature")] = Decimal(r.OutdoorTemperature);
            json[QStringLiteral("pressure")] = r.PressureMm;
            break;
        }
        case CommandKind::Scan:
            AddReadings(json, *outcome.Reads.front().Values);
            break;
        case CommandKind::Settings: {
            const QJsonObject settings = SettingsJson(outcome.Settings);
            for (auto it = settings.begin(); it != settings.end(); ++it) {
                json[it.key()] = it.value();
            }
            break;
        }
        case CommandKind::SyncClock:
            json[QStringLiteral("sent")] = outcome.SentClock.toString(Qt::ISODate);
            json[QStringLiteral("drift_before")] =
                static_cast<qint64>(outcome.Reads.front().Values->DriftSeconds);
            json[QStringLiteral("drift_after")] =
                static_cast<qint64>(outcome.Reads.back().Values->DriftSeconds);
            break;
        case CommandKind::Alarm:
        case CommandKind::Event:
            break;
    }
}

}  // namespace

QString OutcomeText(CommandKind command, const AddressOutcome& outcome) {
    const QString title = AddressTitle(outcome.Address);
    switch (command) {
        case CommandKind::Read:
            return Block(title, MeasurementRows(outcome.Reads.front().Captions));
        case CommandKind::Scan:
            return ScanRow(outcome);
        case CommandKind::Settings:
            return Block(title, SettingsRows(outcome.Settings));
        case CommandKind::SyncClock:
            return Block(title,
                         {{QStringLiteral("Отправлено"), ClockText(outcome.SentClock)},
                          {QStringLiteral("Уход часов до"), DriftValue(outcome.Reads.front())},
                          {QStringLiteral("Уход часов после"), DriftValue(outcome.Reads.back())}});
        case CommandKind::Alarm:
        case CommandKind::Event:
            return title + QStringLiteral(": записано\n");
    }
    return {};
}

QJsonObject OutcomeJson(CommandKind command, const AddressOutcome& outcome) {
    QJsonObject json{{QStringLiteral("address"), outcome.Address},
                     {QStringLiteral("ok"), outcome.Ok()}};
    if (!outcome.Ok()) {
        json[QStringLiteral("reason")] = outcome.Reason;
    } else {
        AddValues(json, command, outcome);
    }
    json[QStringLiteral("reply")] = Hex(outcome.Reply);
    return json;
}

void Report::Write(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), out_);
    std::fflush(out_);
}

void Report::Add(const AddressOutcome& outcome) {
    if (json_) {
        Write(QString::fromUtf8(
                  QJsonDocument(OutcomeJson(command_, outcome)).toJson(QJsonDocument::Compact)) +
              QLatin1Char('\n'));
        return;
    }
    if (!outcome.Ok()) {
        return;
    }
    if (command_ == CommandKind::Scan && !tableStarted_) {
        tableStarted_ = true;
        Write(QStringLiteral("Адрес  Часы контроллера     Уход часов\n"));
    }
    Write(OutcomeText(command_, outcome));
}

}  // namespace pelta::ctl
