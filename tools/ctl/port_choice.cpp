#include "tools/ctl/port_choice.h"

#include <sys/stat.h>
#include <QFile>
#include <QFileInfo>

namespace pelta::ctl {
namespace {

constexpr int kPrivatePortNumber = 1;

bool IsCharacterDevice(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

PortChoice DevicePort(const QString& path) {
    PortChoice choice;
    if (!IsCharacterDevice(path)) {
        choice.Error =
            QStringLiteral("%1 не является устройством последовательного порта").arg(path);
        return choice;
    }
    choice.PrivateMap = std::make_unique<QTemporaryDir>();
    const QString link =
        choice.PrivateMap->filePath(QStringLiteral("COM%1").arg(kPrivatePortNumber));
    if (!choice.PrivateMap->isValid() || !QFile::link(QFileInfo(path).absoluteFilePath(), link)) {
        choice.Error = QStringLiteral("не удалось подготовить устройство %1").arg(path);
        return choice;
    }
    // No kernel devices beside it: the one entry is the only port offered.
    choice.Roots = {choice.PrivateMap->path().toStdString(), "/nonexistent", "/dev"};
    choice.PortNumber = kPrivatePortNumber;
    return choice;
}

}  // namespace

PortChoice ChoosePort(const LinkOverrides& given, const link::RememberedSettings& remembered) {
    if (!given.DevicePath.isEmpty()) {
        return DevicePort(given.DevicePath);
    }
    PortChoice choice;
    const std::optional<int> number = given.PortNumber ? given.PortNumber : remembered.ChosenPort;
    if (!number) {
        choice.Error = QStringLiteral("не выбран порт: укажите --port или --device");
        choice.UsageError = true;
        return choice;
    }
    choice.Roots = link::DefaultSerialMapRoots();
    choice.PortNumber = *number;
    if (const auto found = remembered.Ports.find(*number); found != remembered.Ports.end()) {
        choice.Remembered = found->second;
    }
    return choice;
}

}  // namespace pelta::ctl
