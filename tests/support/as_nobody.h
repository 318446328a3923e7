#pragma once
// Runs `work` as the unprivileged user nobody, for whom permissions hold (they do not for root):
// in a child that drops to uid 65534 when the tests run as root, else here. Returns what `work`
// said, or why it could not run.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace pelta::testing {

inline std::string AsNobody(const std::function<std::string()>& work) {
    if (::geteuid() != 0) {
        return work();
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        return "(no pipe)";
    }
    if (::fork() == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 &&
                             ::setresgid(65534, 65534, 65534) == 0 &&
                             ::setresuid(65534, 65534, 65534) == 0;
        const std::string said = dropped ? work() : "(could not drop to nobody)";
        ::_exit(::write(fds[1], said.data(), said.size()) == ssize_t(said.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string said;
    char buffer[256];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        said.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    ::wait(nullptr);
    return said;
}

}  // namespace pelta::testing
