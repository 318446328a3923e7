#include "link/remembered_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <cstdio>

#include "link/xdg_folders.h"

namespace pelta::link {
namespace {

constexpr WholeRange WindowCoordinates{-100000, 100000};

// The position of the text in the list, else the fallback.
std::int16_t PositionOr(const QVariant& value, const QStringList& entries, std::int16_t fallback) {
    const auto position = entries.indexOf(value.toString().trimmed());
    return position < 0 ? fallback : static_cast<std::int16_t>(position);
}

QString EntryAt(const QStringList& entries, std::int16_t position) {
    return position >= 0 && position < entries.size() ? entries.at(position) : QString();
}

QString WholeNumberOr(const QVariant& value, WholeRange range, const QString& fallback) {
    const auto number = WholeNumberIn(value.toString(), range);
    return number ? QString::number(*number) : fallback;
}

LineValues ReadPort(QSettings& file) {
    const LineValues defaults;
    LineValues port;
    port.Speed = PositionOr(file.value("speed"), SpeedEntries(), defaults.Speed);
    port.DataBits = PositionOr(file.value("dataBits"), DataBitsEntries(), defaults.DataBits);
    port.Parity = PositionOr(file.value("parity"), ParityEntries(), defaults.Parity);
    port.StopBits = PositionOr(file.value("stopBits"), StopBitsEntries(), defaults.StopBits);
    port.HandShake = PositionOr(file.value("handShake"), HandShakeEntries(), defaults.HandShake);
    return port;
}

void ReadPorts(QSettings& file, RememberedSettings& settings) {
    file.beginGroup(QStringLiteral("ports"));
    for (const QString& group : file.childGroups()) {
        const auto number = WholeNumberIn(group, ComNumbers);
        if (!number) {
            continue;
        }
        file.beginGroup(group);
        settings.Ports[*number] = ReadPort(file);
        file.endGroup();
    }
    file.endGroup();
}

std::optional<QPoint> ReadWindowPosition(QSettings& file) {
    const auto x = WholeNumberIn(file.value("window/x").toString(), WindowCoordinates);
    const auto y = WholeNumberIn(file.value("window/y").toString(), WindowCoordinates);
    if (!x || !y) {
        return std::nullopt;
    }
    return QPoint(*x, *y);
}

void WritePort(QSettings& file, int number, const LineValues& port) {
    file.beginGroup(QStringLiteral("ports/%1").arg(number));
    file.setValue("speed", EntryAt(SpeedEntries(), port.Speed));
    file.setValue("dataBits", EntryAt(DataBitsEntries(), port.DataBits));
    file.setValue("parity", EntryAt(ParityEntries(), port.Parity));
    file.setValue("stopBits", EntryAt(StopBitsEntries(), port.StopBits));
    file.setValue("handShake", EntryAt(HandShakeEntries(), port.HandShake));
    file.endGroup();
}

void WriteAll(QSettings& file, const RememberedSettings& settings) {
    if (settings.ChosenPort) {
        file.setValue("link/port", *settings.ChosenPort);
    }
    file.setValue("link/address", settings.Address);
    file.setValue("link/replyTimeout", settings.ReplyTimeout);
    file.setValue("link/attempts", settings.Attempts);
    for (const auto& [number, port] : settings.Ports) {
        WritePort(file, number, port);
    }
    if (settings.WindowPosition) {
        file.setValue("window/x", settings.WindowPosition->x());
        file.setValue("window/y", settings.WindowPosition->y());
    }
}

}  // namespace

QString RememberedSettingsPath() {
    return QString::fromStdString(ConfigFilePath("pelta.conf"));
}

RememberedSettings LoadRememberedSettings(const QString& path) {
    const RememberedSettings defaults;
    RememberedSettings settings;
    if (!QFileInfo(path).isFile()) {
        return settings;
    }
    QSettings file(path, QSettings::IniFormat);
    settings.ChosenPort = WholeNumberIn(file.value("link/port").toString(), ComNumbers);
    settings.Address =
        WholeNumberOr(file.value("link/address"), ControllerAddresses, defaults.Address);
    settings.ReplyTimeout =
        WholeNumberOr(file.value("link/replyTimeout"), ReplyTimeoutsMs, defaults.ReplyTimeout);
    settings.Attempts =
        WholeNumberOr(file.value("link/attempts"), AttemptCounts, defaults.Attempts);
    ReadPorts(file, settings);
    settings.WindowPosition = ReadWindowPosition(file);
    return settings;
}

bool SaveRememberedSettings(const QString& path, const RememberedSettings& settings) {
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath())) {
        return false;
    }
    // Written beside the file and renamed over it, so a damaged file is replaced whole and a
    // failed write leaves the old one in place.
    const QString scratch = path + QStringLiteral(".new");
    QFile::remove(scratch);
    {
        QSettings file(scratch, QSettings::IniFormat);
        WriteAll(file, settings);
        file.sync();
        if (file.status() != QSettings::NoError) {
            QFile::remove(scratch);
            return false;
        }
    }
    if (std::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(path).constData()) !=
        0) {
        QFile::remove(scratch);
        return false;
    }
    return true;
}

}  // namespace pelta::link
