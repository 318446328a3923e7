#include "link/port_discovery.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstring>

namespace pelta::link {
namespace {

QString DistrustReason(const FolderCheck& check) {
    const QString path = QString::fromStdString(check.Path);
    switch (check.Trust) {
        case FolderTrust::NotADirectory:
            return path + QString::fromUtf8(" не является папкой");
        case FolderTrust::ForeignOwner:
            return path + QString::fromUtf8(" принадлежит другому пользователю");
        case FolderTrust::WritableByOthers:
            return path + QString::fromUtf8(" открыта для записи другим пользователям");
        default:
            return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(check.Error));
    }
}

}  // namespace

PortDiscovery::PortDiscovery() : PortDiscovery(DefaultSerialMapRoots()) {}

PortDiscovery::PortDiscovery(SerialMapRoots roots, ErrorLogSink* errorLog)
    : roots_(std::move(roots)), errorLog_(errorLog) {}

void PortDiscovery::ListSerialPorts() {
    SerialMap map = ReadSerialMap(roots_);
    LogDistrustedMapFolder(map.MapFolderCheck);
    if (map.RememberedChanged) {
        SaveRemembered(map.Remembered);
    }
    SetPorts(std::move(map.Entries));
}

void PortDiscovery::SetPorts(std::vector<SerialMapEntry> entries) {
    // Plain character order, as the list has always shown it: 1, 10, 11, 2, 3.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return std::to_string(a.Number) < std::to_string(b.Number);
    });
    ports_ = std::move(entries);
    portNumbers_.clear();
    for (const auto& entry : ports_) {
        portNumbers_.append(QString::number(entry.Number));
    }
}

std::int16_t PortDiscovery::RefreshKeeping(std::int16_t chosenPosition) {
    const std::int16_t chosen = NumberAt(chosenPosition);
    ListSerialPorts();
    const auto found = std::find_if(ports_.begin(), ports_.end(),
                                    [&](const auto& entry) { return entry.Number == chosen; });
    return chosen == 0 || found == ports_.end() ? std::int16_t{-1}
                                                : static_cast<std::int16_t>(found - ports_.begin());
}

QStringList PortDiscovery::PortListEntries() const {
    QStringList entries;
    for (const QString& number : portNumbers_) {
        entries.append(QStringLiteral("COM ") + number);
    }
    return entries;
}

std::int16_t PortDiscovery::NumberAt(std::int16_t position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= ports_.size()) {
        return 0;
    }
    return static_cast<std::int16_t>(ports_[static_cast<std::size_t>(position)].Number);
}

std::string PortDiscovery::DeviceAt(std::int16_t position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= ports_.size()) {
        return {};
    }
    return ports_[static_cast<std::size_t>(position)].DevicePath;
}

QString SaveRememberedPorts(const std::string& path, const RememberedPorts& ports) {
    const QString name = QString::fromStdString(path);
    QSaveFile file(name);
    const std::string text = FormatRememberedPorts(ports);
    const bool saved = QDir().mkpath(QFileInfo(name).absolutePath()) &&
                       file.open(QIODevice::WriteOnly) &&
                       file.write(text.data(), static_cast<qint64>(text.size())) ==
                           static_cast<qint64>(text.size()) &&
                       file.commit();
    return saved ? QString() : name + QStringLiteral(": ") + file.errorString();
}

void PortDiscovery::SaveRemembered(const RememberedPorts& ports) {
    const QString failure = SaveRememberedPorts(roots_.PortsFile, ports);
    if (!failure.isEmpty() && errorLog_ != nullptr) {
        errorLog_->WriteErrorLog(QString::fromUtf8("Не удалось сохранить номера портов в ") +
                                 failure);
    }
}

// The list is re-read at every opening, so a lasting refusal is logged once per run and again
// only when its reason changes.
void PortDiscovery::LogDistrustedMapFolder(const FolderCheck& check) {
    if (check.Trust == FolderTrust::Own || check.Trust == FolderTrust::Missing) {
        mapFolderRefusal_.clear();
        return;
    }
    const QString refusal = QString::fromUtf8("Ссылки COM из папки ") +
                            QString::fromStdString(roots_.MapFolder) +
                            QString::fromUtf8(" не предлагаются: ") + DistrustReason(check);
    if (refusal != mapFolderRefusal_ && errorLog_ != nullptr) {
        errorLog_->WriteErrorLog(refusal);
    }
    mapFolderRefusal_ = refusal;
}

}  // namespace pelta::link
