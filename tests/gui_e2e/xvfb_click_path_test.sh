#!/usr/bin/env bash
# Drives the real pelta program under Xvfb with xdotool against pelta-sim, then checks what the
# simulator received. Usage: xvfb_click_path_test.sh PELTA PELTA_SIM ARTIFACT_DIR
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
pelta=$1
sim=$2
artifacts=$3
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool import; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is not installed (scripts/deps.sh installs it)"
        exit 77
    fi
done

mkdir -p "$artifacts"
# shellcheck source=tests/gui_e2e/click_path.sh
source "$here/click_path.sh"

scratch=$(mktemp -d)
export XDG_RUNTIME_DIR=$scratch
chmod 700 "$scratch"
cleanup() {
    pelta_demo_stop
    rm -rf "$scratch"
}
trap cleanup EXIT

pelta_demo_start_xvfb
pelta_demo_start_sim "$sim" "$scratch/sim.log"
pelta_demo_start_window "$pelta" "$scratch/pelta.log"
pelta_demo_click_path "$artifacts"

fail=0
expect_log() {
    if grep -Eq "$1" "$scratch/sim.log"; then
        echo "ok: $2"
    else
        echo "FAILED: $2 (no line matching '$1')"
        fail=1
    fi
}
expect_log 'rx 01 32 BE .*speed=9600' "the state read reached the simulator at 9600 bit/s"
expect_log 'rx 01 32 BE .*stop=1' "with one stop bit"
expect_log 'rx 01 32 C0' "opening the settings page read the settings"
expect_log '^[0-9:.]+ tx 01 32 BE( [0-9A-F]{2}){19} ' "the simulator answered the state read"
cp "$scratch/sim.log" "$artifacts/sim.log"
echo "screenshots and the simulator's log: $artifacts"
[ "$fail" -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit "$fail"
