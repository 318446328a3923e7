#include "cipher/random_source.h"

#include <sys/random.h>

#include <cerrno>
#include <system_error>

namespace pelta::cipher {

std::uint32_t RandomHeaderValue() {
    std::uint32_t value = 0;
    auto* out = reinterpret_cast<unsigned char*>(&value);
    std::size_t got = 0;
    while (got < sizeof value) {
        const ssize_t n = getrandom(out + got, sizeof value - got, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        got += static_cast<std::size_t>(n);
    }
    return value & 0x7FFFFFFFu;
}

}  // namespace pelta::cipher
