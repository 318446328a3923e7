// Fuzzes what reads untrusted input: DecryptByte, DecryptString in hexadecimal (which runs
// HexDecode first). Byte 0 picks the operation, byte 1 the key length (0 to 8), then the key
// and the payload. Besides the sanitizers, it checks what must hold for any input.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "cipher/des.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    const std::size_t keyLength = std::min<std::size_t>(input[1] % 9, size - 2);
    const std::string key = input.substr(2, keyLength);
    const std::string payload = input.substr(2 + keyLength);
    static pelta::cipher::clsDES des;  // one instance, as a program keeps it: keys, buffers reused
    pelta::cipher::ByteArray data(payload.begin(), payload.end());
    bool holds = true;
    try {
        if (input[0] % 2 == 0) {
            des.DecryptByte(data, key);
            holds = payload.empty() || data.size() + 12 <= payload.size();
        } else {
            holds = des.DecryptString(payload, key, true).size() <= (payload.size() + 1) / 2;
        }
    } catch (const pelta::cipher::DesError&) {
        holds = data.size() == payload.size();  // left deciphered and untrimmed
    }
    if (!holds) {
        std::abort();
    }
    return 0;
}
