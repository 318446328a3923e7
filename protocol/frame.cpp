#include "protocol/frame.h"

namespace pelta::protocol {

std::uint16_t Crc16Value(std::string_view bytes) {
    std::uint16_t r = 0xFFFF;
    for (const char c : bytes) {
        r ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            r = (r & 1U) != 0 ? static_cast<std::uint16_t>((r >> 1) ^ 0xA001U)
                              : static_cast<std::uint16_t>(r >> 1);
        }
    }
    return r;
}

Frame Crc16(std::string_view bytes) {
    const std::uint16_t r = Crc16Value(bytes);
    Frame out;
    out.push_back(static_cast<char>(r & 0xFFU));
    out.push_back(static_cast<char>(r >> 8));
    return out;
}

bool IsGoodReply(std::string_view reply) {
    if (reply.size() < 2) {
        return false;
    }
    return reply.substr(reply.size() - 2) == Crc16(reply.substr(0, reply.size() - 2));
}

Frame WithCrc(std::string_view body) {
    Frame out(body);
    out += Crc16(body);
    return out;
}

}  // namespace pelta::protocol
