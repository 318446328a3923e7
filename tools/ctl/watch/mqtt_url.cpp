#include "tools/ctl/watch/mqtt_url.h"

#include <QFile>
#include <QUrl>

namespace pelta::watch {

MqttTarget ParseMqttUrl(const QString& text) {
    MqttTarget target;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("mqtt") || url.host().isEmpty()) {
        target.error = QStringLiteral("%1: expected mqtt://[USER@]HOST[:PORT]").arg(text);
    } else if (!url.password().isEmpty() || url.userInfo().contains(QLatin1Char(':'))) {
        target.error = QStringLiteral(
                           "%1: give the password with --mqtt-password-file, not in "
                           "the URL")
                           .arg(text);
    } else if (!url.path().isEmpty() || url.hasQuery() || url.hasFragment()) {
        target.error = QStringLiteral(
                           "%1: expected mqtt://[USER@]HOST[:PORT] and nothing after "
                           "it")
                           .arg(text);
    } else {
        target.host = url.host();
        target.port = url.port(1883);
        target.user = url.userName();
    }
    return target;
}

void ReadMqttPassword(const QString& path, MqttTarget& target) {
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        target.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return;
    }
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    target.password = QString::fromUtf8(line);
}

}  // namespace pelta::watch
