#pragma once
// Where `--mqtt` points: mqtt://[USER@]HOST[:PORT], and the password file beside it. The password
// never sits in the URL, so that it shows neither in `ps` nor in a unit file.

#include <QString>

namespace pelta::watch {

struct MqttTarget {
    QString host;
    int port = 1883;
    QString user;      // empty: connect without a user name
    QString password;  // from the password file
    QString error;     // why the URL or the file is refused, empty when they are not
};

// Refuses another scheme, a missing host, a password, a path or a query in the URL.
MqttTarget ParseMqttUrl(const QString& url);
// The password is the file's first line, without its line end. An empty `path` sets nothing.
void ReadMqttPassword(const QString& path, MqttTarget& target);

}  // namespace pelta::watch
