#!/usr/bin/env bash
# Builds the window and the controller simulator, starts the simulator on a free COM number and
# then the window, connected to the simulator. On an X desktop the script picks the simulator's
# port and reads the controller once with xdotool, then the window is yours. Without a display
# the window runs under Xvfb, the short path through it is clicked and a screenshot is saved.
# The simulator stops when the window closes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${PELTA_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target pelta pelta-sim

# shellcheck source=scripts/demo.sh
source scripts/demo.sh

# The simulator registers its port in $XDG_RUNTIME_DIR/pelta/serialcomm, where the window
# looks for ports; without a usable runtime folder both use a scratch one.
scratch=""
if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "$XDG_RUNTIME_DIR" ] || [ ! -w "$XDG_RUNTIME_DIR" ]; then
    scratch=$(mktemp -d)
    chmod 700 "$scratch"
    export XDG_RUNTIME_DIR=$scratch
fi
logs=$(mktemp -d)
cleanup() {
    pelta_demo_stop
    rm -rf "$logs"
    [ -z "$scratch" ] || rm -rf "$scratch"
}
trap cleanup EXIT

if [ -n "${DISPLAY:-}" ]; then
    # The window opens on your display already connected: the script chooses the simulator's
    # port, applies the settings and reads the controller once, then the window is yours.
    pelta_demo_start_sim "$build/tools/sim/pelta-sim" "$logs/sim.log"
    pelta_demo_start_window "$build/app/pelta" "$logs/pelta.log"
    pelta_demo_connect
    echo "The window talks to pelta-sim on \"COM $PELTA_SIM_COM\"; close it to stop the simulator."
    wait "$PELTA_WINDOW_PID" || true
elif [ -n "${WAYLAND_DISPLAY:-}" ]; then
    pelta_demo_start_sim "$build/tools/sim/pelta-sim" "$logs/sim.log"
    echo "pelta-sim answers on COM $PELTA_SIM_COM: choose \"COM $PELTA_SIM_COM\" in the port list,"
    echo "press \"Применить\", then read the controller on the other pages."
    "$build/app/pelta"
else
    mkdir -p artifacts
    pelta_demo_start_xvfb
    pelta_demo_start_sim "$build/tools/sim/pelta-sim" "$logs/sim.log"
    pelta_demo_start_window "$build/app/pelta" "$logs/pelta.log"
    pelta_demo_click_path artifacts
    cp "$logs/sim.log" artifacts/sim.log
    echo "No display: the window ran under Xvfb against pelta-sim on COM $PELTA_SIM_COM."
    echo "Screenshot: $PWD/artifacts/screenshot.png (also link-settings.png, measurements.png,"
    echo "settings.png there; the simulator's log is artifacts/sim.log)."
fi
