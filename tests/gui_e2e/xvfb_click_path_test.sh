#!/usr/bin/env bash
# Drives the real pelta program under Xvfb with xdotool against pelta-sim, then checks what the
# simulator received. Usage: xvfb_click_path_test.sh PELTA PELTA_SIM ARTIFACT_DIR
# Exit 77 (skipped) when Xvfb, xdotool or import is missing.
set -euo pipefail
for tool in Xvfb xdotool import; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is not installed (scripts/deps.sh installs it)"
        exit 77
    fi
done
mkdir -p "$3"
# shellcheck source=scripts/demo.sh
source "$(dirname "$0")/../../scripts/demo.sh"
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
# What the window remembers goes to a scratch folder, never to the user's own.
export XDG_CONFIG_HOME=$XDG_RUNTIME_DIR/config
log=$XDG_RUNTIME_DIR/sim.log
trap 'pelta_demo_stop; cp "$log" "$3/" 2>/dev/null || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT

# The settings page, a date typed into DateTime1 from its first digit, and at once the
# send-clock button: the simulator must receive that date's weekday.
pelta_send_typed_date() {
    pelta_click_page_button 1080                     # Button163, settings (reads them)
    pelta_wait_for pelta_exchanged '^[0-9:.]+ tx 01 32 C0' || echo "the settings read did not end" >&2
    pelta_click $((2040 + 45)) $((600 + 240 + 142))  # DateTime1, on its first digit
    xdotool type --delay 50 "$1"
    pelta_click_page_control 5160 600 300 300        # Button166, send the clock
    pelta_wait_for pelta_exchanged '^[0-9:.]+ rx 01 5A 5E' || echo "the clock was not sent" >&2
}

pelta_demo_start_xvfb
pelta_demo_start_sim "$2" "$log"
pelta_demo_start_window "$1" "$XDG_RUNTIME_DIR/pelta.log"
pelta_demo_click_path "$3"
pelta_send_typed_date 270126
# Another speed applied (the simulator follows any), then a new window: it must come up on
# the same port at that speed and read the controller without "Применить".
pelta_apply_choice 4200 240 1500 315 19200  # cboSpeed
kill "$PELTA_WINDOW_PID"
wait "$PELTA_WINDOW_PID" 2>/dev/null || true
pelta_demo_start_window "$1" "$XDG_RUNTIME_DIR/pelta-again.log"
pelta_refresh 'rx 01 32 BE .*speed=19200'

fail=0
expect_line() {
    grep -Eq "$1" "$log" && echo "ok: $2" || { echo "FAILED: $2 (no line matching '$1')"; fail=1; }
}
expect_line 'rx 01 32 BE .*speed=9600 data=8 stop=1' "the state read reached the simulator at 9600 8N1"
expect_line 'rx 01 5A 5E .* 27\.01\.26 .* weekday=3 ' "the typed date went out with its weekday (Tuesday)"
expect_line 'rx 01 32 BE .*speed=19200' "a new window read the remembered port at the remembered speed"
echo "screenshots and the simulator's log: $3"
exit "$fail"
