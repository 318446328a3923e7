// Fuzzes what reads untrusted input: DecryptByte, DecryptString (raw and hexadecimal) and
// HexDecode. Byte 0 picks the operation, byte 1 the key length (0 to 8), then the key and
// the payload. Besides the sanitizers, it checks what must hold for any input.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "cipher/des.h"
#include "des_test_support.h"

namespace {

using pelta::cipher::ByteArray;
using pelta::cipher::clsDES;
using pelta::cipher::clsDESTestAccess;
using pelta::cipher::DesError;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void FuzzDecryptByte(clsDES& des, const std::string& key, const std::string& payload) {
    ByteArray data(payload.begin(), payload.end());
    try {
        des.DecryptByte(data, key);
    } catch (const DesError&) {
        Check(data.size() == payload.size());  // left deciphered and untrimmed
        return;
    }
    Check(payload.empty() || data.size() + 12 <= payload.size());
    ByteArray again = data;
    des.EncryptByte(again);
    des.DecryptByte(again);
    Check(again == data);
}

void FuzzDecryptString(clsDES& des, const std::string& key, const std::string& payload, bool hex) {
    try {
        const std::string text = des.DecryptString(payload, key, hex);
        Check(text.size() <= payload.size());
    } catch (const DesError&) {
    }
}

void FuzzHexDecode(clsDES& des, const std::string& payload) {
    const std::string decoded = clsDESTestAccess::HexDecode(des, payload);
    Check(decoded.size() == (payload.size() + 1) / 2);
    const std::string encoded = clsDESTestAccess::HexEncode(des, decoded);
    Check(clsDESTestAccess::HexDecode(des, encoded) == decoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    const std::size_t keyLength = std::min<std::size_t>(input[1] % 9, size - 2);
    const std::string key = input.substr(2, keyLength);
    const std::string payload = input.substr(2 + keyLength);
    static clsDES des;  // one instance, as a program keeps it: keys and buffers are reused
    switch (static_cast<std::uint8_t>(input[0]) % 4) {
        case 0:
            FuzzDecryptByte(des, key, payload);
            break;
        case 1:
            FuzzDecryptString(des, key, payload, false);
            break;
        case 2:
            FuzzDecryptString(des, key, payload, true);
            break;
        default:
            FuzzHexDecode(des, payload);
            break;
    }
    return 0;
}
