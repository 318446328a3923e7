#include "tests/support/network_peers.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <stdexcept>

namespace pelta::e2e {
namespace {

// Whether something listens on 127.0.0.1 at the port, read from the kernel's table without
// connecting (a probe connection would make ser2net open the line).
bool Listening(std::uint16_t port) {
    QFile table(QStringLiteral("/proc/net/tcp"));  // "0100007F:1F90 00000000:0000 0A": listening
    const QByteArray row =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0') +
        " 00000000:0000 0A";
    return table.open(QIODevice::ReadOnly) && table.readAll().contains(row);
}

}  // namespace

Ser2net::Ser2net(const QString& device, bool rfc2217)
    : port_(FreeTcpPort()),
      url_(QStringLiteral("%1://127.0.0.1:%2").arg(rfc2217 ? "rfc2217" : "tcp").arg(port_)) {
    QFile file(folder_.filePath(QStringLiteral("ser2net.yaml")));
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("connection: &pelta\n"
                              "  accepter: %1,127.0.0.1,%2\n"
                              "  connector: serialdev,%3,9600n81,local\n"
                              "  options:\n"
                              "    chardelay: false\n")
                   .arg(rfc2217 ? "telnet(rfc2217),tcp" : "tcp", QString::number(port_), device)
                   .toUtf8());
    file.close();
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    // Debian puts it in /usr/sbin, which a user's PATH may lack.
    process_.start(
        QStringLiteral("/usr/sbin/ser2net"),
        {QStringLiteral("-c"), file.fileName(), QStringLiteral("-n"), QStringLiteral("-d")});
    const QDeadlineTimer deadline(5000);
    while (!Listening(port_) && !deadline.hasExpired() &&
           process_.state() != QProcess::NotRunning) {
        QThread::msleep(20);
    }
    if (!Listening(port_)) {
        throw std::runtime_error("ser2net did not listen on its port");
    }
}

void Ser2net::Kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

SilentListener::SilentListener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::listen(fd_, 4) != 0) {
        throw std::runtime_error("no free TCP port on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
}

}  // namespace pelta::e2e
