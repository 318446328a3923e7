// EncryptByte and DecryptByte throughput on 1 MiB and 64 MiB, with OpenSSL's DES-CBC on the
// same data in the same run as the yardstick.

#define OPENSSL_SUPPRESS_DEPRECATED  // single DES is the yardstick, deprecated or not
#include <benchmark/benchmark.h>
#include <openssl/des.h>

#include <cstdint>
#include <vector>

#include "cipher/des.h"

namespace {

using pelta::cipher::ByteArray;
using pelta::cipher::clsDES;

ByteArray Data(std::size_t size) {
    ByteArray data(size);
    std::uint32_t x = 12345;
    for (auto& b : data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return data;
}

void SetBytes(benchmark::State& state, std::size_t size) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}

void EncryptByte(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const ByteArray data = Data(size);
    clsDES des;
    des.key("benchkey");
    for (auto _ : state) {
        state.PauseTiming();
        ByteArray array = data;
        state.ResumeTiming();
        des.EncryptByte(array);
        benchmark::DoNotOptimize(array.data());
    }
    SetBytes(state, size);
}

void DecryptByte(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    ByteArray enciphered = Data(size);
    clsDES des;
    des.key("benchkey");
    des.EncryptByte(enciphered);
    for (auto _ : state) {
        state.PauseTiming();
        ByteArray array = enciphered;
        state.ResumeTiming();
        des.DecryptByte(array);
        benchmark::DoNotOptimize(array.data());
    }
    SetBytes(state, size);
}

void OpenSslCbc(benchmark::State& state, int direction) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const ByteArray data = Data(size);
    ByteArray out(size);
    DES_cblock key = {'b', 'e', 'n', 'c', 'h', 'k', 'e', 'y'};
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    for (auto _ : state) {
        DES_cblock iv = {0, 0, 0, 0, 0, 0, 0, 0};
        DES_ncbc_encrypt(data.data(), out.data(), static_cast<long>(size), &schedule, &iv,
                         direction);
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state, size);
}

void OpenSslEncrypt(benchmark::State& state) {
    OpenSslCbc(state, DES_ENCRYPT);
}
void OpenSslDecrypt(benchmark::State& state) {
    OpenSslCbc(state, DES_DECRYPT);
}

constexpr std::int64_t kSmall = 1 << 20;
constexpr std::int64_t kLarge = 64 << 20;

BENCHMARK(EncryptByte)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(DecryptByte)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenSslEncrypt)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenSslDecrypt)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
