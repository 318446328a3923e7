#pragma once
// Network peers for the end-to-end tests, all on 127.0.0.1: Debian's ser2net in front of the
// simulator's pseudo-terminal (RFC 2217 or raw), and a listener that accepts and never answers.

#include <unistd.h>

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

namespace pelta::e2e {

// Takes connections into its backlog and never reads, writes or accepts them.
class SilentListener {
  public:
    SilentListener();  // at 127.0.0.1, at a port the kernel chooses
    ~SilentListener() { ::close(fd_); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    std::uint16_t Port() const { return port_; }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// A port nobody listens on now.
inline std::uint16_t FreeTcpPort() {
    return SilentListener().Port();
}

class Ser2net {
  public:
    // Serves the device at a free port, "telnet(rfc2217)" or raw, sending what arrives at once
    // (chardelay: false). Throws when ser2net does not start listening.
    Ser2net(const QString& device, bool rfc2217);
    ~Ser2net() { Kill(); }  // not copied: it owns the process and its folder

    QString Url() const { return url_; }
    // SIGKILL: the connections drop as when the box loses power.
    void Kill();

  private:
    QTemporaryDir folder_;
    QProcess process_;
    std::uint16_t port_;
    QString url_;
};

}  // namespace pelta::e2e
