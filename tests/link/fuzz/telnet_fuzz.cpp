// Fuzzes what a terminal server sends, which nothing guarantees: byte 0 says where the stream
// is cut into two reads, the rest is the stream. Besides the sanitizers it checks that the cut
// changes nothing (commands split across reads), that line bytes never outnumber the stream's,
// that every answer is a whole three-byte negotiation, and that data sent comes back as sent.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link/telnet_codec.h"

namespace {

using pelta::link::telnet::TelnetReceiver;

TelnetReceiver::Output Decode(std::string_view first, std::string_view second) {
    TelnetReceiver receiver;
    receiver.Offers(true);
    TelnetReceiver::Output out;
    receiver.Receive(first, out);
    receiver.Receive(second, out);
    return out;
}

bool WholeAnswers(const std::string& answers) {
    if (answers.size() % 3 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < answers.size(); i += 3) {
        const auto verb = static_cast<std::uint8_t>(answers[i + 1]);
        if (static_cast<std::uint8_t>(answers[i]) != pelta::link::telnet::Iac ||
            verb < pelta::link::telnet::Will) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view stream(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    const std::size_t cut = bytes[0] % (stream.size() + 1);
    const TelnetReceiver::Output whole = Decode(stream, {});
    const TelnetReceiver::Output split = Decode(stream.substr(0, cut), stream.substr(cut));
    if (whole.Data != split.Data || whole.Answers != split.Answers ||
        whole.Replies != split.Replies || whole.Data.size() > stream.size() ||
        !WholeAnswers(whole.Answers)) {
        std::abort();
    }
    const std::string wire = pelta::link::telnet::EncodeData(stream);
    if (Decode(wire.substr(0, cut), wire.substr(cut)).Data != stream) {
        std::abort();
    }
    return 0;
}
