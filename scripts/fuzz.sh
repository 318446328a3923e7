#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (PELTA_FUZZ_SECONDS
# per target, 20 by default): the cipher's deciphering input, the controller's replies and
# what a Telnet terminal server sends. A crash, a sanitizer report or a broken invariant fails
# this script.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${PELTA_FUZZ_SECONDS:-20}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPELTA_FUZZ=ON -DPELTA_BUILD_UI=OFF -DPELTA_WERROR=ON
cmake --build "$build" --target cipher_fuzz reply_fuzz telnet_fuzz -j 2

# Runs one target on its corpus folder, which already holds the seeds.
run_target() {
    local program=$1 corpus=$2
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/" "$corpus"
}

corpus="$build/cipher-corpus"
mkdir -p "$corpus"
# A few seeds: each operation with a key and a payload.
printf '\x00\x03keyABCDEFGH01234567' >"$corpus/byte"
printf '\x01\x00ABCDEFGH01234567' >"$corpus/raw"
printf '\x02\x08fuzz-key00112233445566778899AABBCCDDEEFF' >"$corpus/hex"
printf '\x03\x00 0aFfG1' >"$corpus/hexdecode"
run_target "$build/tests/cipher/fuzz/cipher_fuzz" "$corpus"

corpus="$build/reply-corpus"
mkdir -p "$corpus"
# Seeds: the command number, then a reply of the length that command expects, and none.
printf '\x01\x01\x32\xBE\x05\x03\x09\x0E\x07\x09\x05\x2B\x01\x1F\x01\x2D\x00\x4D\x25\x01\x00\x00' \
    >"$corpus/state"
printf '\x05\x01\x32\xC0\x00\x06\x1E\x02\xFF\x16\x2D\x08\x01\x07\x00\x16\x00\x02\x06\x00\x17\x00\x01\x00\x00' \
    >"$corpus/settings"
printf '\x06\x01\x5A\x5F' >"$corpus/written"
printf '\x01' >"$corpus/silent"
run_target "$build/tests/device/fuzz/reply_fuzz" "$corpus"

corpus="$build/telnet-corpus"
mkdir -p "$corpus"
# Seeds: the cut, then a server's greeting, a COM-port reply with a doubled 0xFF, and data.
printf '\x05\xff\xfb\x03\xff\xfd\x03\xff\xfb\x01\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c' >"$corpus/greeting"
printf '\x06\xff\xfa\x2c\x65\x00\x00\xff\xff\x80\xff\xf0' >"$corpus/baud"
printf '\x02\x01\x32\xbe\xff\xff\x05' >"$corpus/data"
run_target "$build/tests/link/fuzz/telnet_fuzz" "$corpus"
