#include "tools/ctl/port_choice.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>

namespace pelta::ctl {
namespace {

// The number under which a --device is offered; its remembered line values are not used.
constexpr int kDevicePortNumber = 1;

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
    choice.PortNumber = kDevicePortNumber;
    choice.DevicePath = QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
    return choice;
}

}  // namespace

PortChoice ChoosePort(const LinkOverrides& given, const link::RememberedSettings& remembered) {
    if (!given.DevicePath.isEmpty()) {
        return DevicePort(given.DevicePath);
    }
    if (!given.PortUrl.isEmpty()) {
        PortChoice choice;
        choice.PortNumber = kDevicePortNumber;
        choice.DevicePath = given.PortUrl.toStdString();
        return choice;
    }
    PortChoice choice;
    const std::optional<int> number = given.PortNumber ? given.PortNumber : remembered.ChosenPort;
    if (!number) {
        choice.Error = QStringLiteral("не выбран порт: укажите --port или --device");
        choice.NoPortNamed = true;
        return choice;
    }
    choice.Roots = link::DefaultSerialMapRoots();
    choice.PortNumber = *number;
    if (const auto found = remembered.Ports.find(*number); found != remembered.Ports.end()) {
        choice.Remembered = found->second;
    }
    return choice;
}

QString PortNotFoundText(int portNumber) {
    QString text = QStringLiteral(
                       "порт COM %1 не найден ни среди устройств системы, ни среди "
                       "ссылок COM в %2")
                       .arg(portNumber)
                       .arg(QString::fromStdString(link::SerialMapFolder()));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        text += QStringLiteral(
                    "; XDG_RUNTIME_DIR не задан (так бывает в cron), поэтому ссылки, "
                    "сделанные в сеансе рабочего стола (обычно в "
                    "/run/user/%1/pelta/serialcomm), отсюда не видны: задайте "
                    "XDG_RUNTIME_DIR=/run/user/%1 или укажите --device")
                    .arg(::getuid());
    }
    return text;
}

}  // namespace pelta::ctl
