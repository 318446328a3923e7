#!/usr/bin/env bash
# Builds the cipher's libFuzzer target with clang and runs it for a bounded time (about a
# minute). A crash, a sanitizer report or a broken invariant fails this script.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${PELTA_FUZZ_SECONDS:-60}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPELTA_FUZZ=ON -DPELTA_BUILD_UI=OFF -DPELTA_WERROR=ON
cmake --build "$build" --target cipher_fuzz -j 2

corpus="$build/cipher-corpus"
mkdir -p "$corpus"
# A few seeds: each operation with a key and a payload.
printf '\x00\x03keyABCDEFGH01234567' >"$corpus/byte"
printf '\x01\x00ABCDEFGH01234567' >"$corpus/raw"
printf '\x02\x08fuzz-key00112233445566778899AABBCCDDEEFF' >"$corpus/hex"
printf '\x03\x00 0aFfG1' >"$corpus/hexdecode"

"$build/tests/cipher/fuzz/cipher_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/" "$corpus"
