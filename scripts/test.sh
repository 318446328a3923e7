#!/usr/bin/env bash
# Builds everything and runs every test twice: a normal build and an AddressSanitizer +
# UndefinedBehaviorSanitizer build; the normal build is also packaged, and the package checked
# and run from a scratch root. Needs no display (widgets run on Qt's offscreen platform).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELTA_WERROR=ON "$@"
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

echo "== formatting =="
clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h')

echo "== normal build =="
run_suite build -DPELTA_SANITIZE=OFF
echo "== Debian package =="
bash scripts/package_check.sh build
echo "== sanitizer build (ASan + UBSan) =="
# -O1 with line tables only: the sanitizers find the same faults and the build takes far less.
run_suite build-asan -DPELTA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -g1 -DNDEBUG"

if [ -f scripts/fuzz.sh ]; then
    echo "== fuzzing (bounded) =="
    bash scripts/fuzz.sh
fi
