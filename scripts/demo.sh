# The demo of scripts/run.sh, which the Xvfb test drives too: start Xvfb, pelta-sim and the
# window, click the short path through the window with xdotool, take screenshots, and stop what
# was started.
# Coordinates come from the window's fixed layout in twips (15 twips per pixel at 96 dpi).

PELTA_DEMO_PIDS=()

# Runs "$@" every 0.1 s until it succeeds, for at most 10 s.
pelta_wait_for() {
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Xvfb picks a free display and names it once it listens (parallel runs cannot race for one);
# -noreset: a reset after a client leaves made the window fail "to connect to display".
pelta_demo_start_xvfb() {
    local named
    named=$(mktemp)
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$named" >/dev/null 2>&1 &
    PELTA_DEMO_PIDS+=($!)
    pelta_wait_for grep -q . "$named" || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$named")"
    rm -f "$named"
    unset WAYLAND_DISPLAY
}

pelta_sim_announced() {
    PELTA_SIM_COM=$(sed -n '1s/^pelta-sim: COM\([0-9]*\) -> .*/\1/p' "$1")
    PELTA_SIM_PTY=$(sed -n '1s/^pelta-sim: COM[0-9]* -> //p' "$1")
    [ -n "$PELTA_SIM_COM" ]
}

# Starts pelta-sim on the lowest free COM number; sets PELTA_SIM_COM, PELTA_SIM_PTY and
# PELTA_SIM_LOG.
pelta_demo_start_sim() {
    "$1" >"$2" 2>&1 &
    PELTA_DEMO_PIDS+=($!)
    PELTA_SIM_LOG=$2
    pelta_wait_for pelta_sim_announced "$2" || { cat "$2" >&2; return 1; }
}

# The window is named before it is mapped, and clicks at an unmapped window are lost: look
# only for a mapped one, of this process. Found by its class, not its title: under a locale the
# C library lacks (LANG=ru_RU.UTF-8 for Qt's own locale data) its WM_NAME is garbled.
pelta_window_shown() {
    PELTA_WINDOW=$(xdotool search --all --onlyvisible --pid "$PELTA_WINDOW_PID" --classname '^pelta$' \
        2>/dev/null | head -n1)
    [ -n "$PELTA_WINDOW" ]
}

# True once the simulator has logged a line matching $1 and the window has closed its port,
# that is, the exchange is over and the window takes clicks again.
pelta_exchanged() {
    grep -Eq "$1" "$PELTA_SIM_LOG" &&
        ! ls -l "/proc/$PELTA_WINDOW_PID/fd" 2>/dev/null | grep -q -- "-> $PELTA_SIM_PTY\$"
}

# Starts the window on Xvfb's display, whatever platform the caller's environment asks for
# (the tests run offscreen); sets PELTA_WINDOW and PELTA_WINDOW_PID.
pelta_demo_start_window() {
    QT_QPA_PLATFORM=xcb "$1" >"$2" 2>&1 &
    PELTA_WINDOW_PID=$!
    PELTA_DEMO_PIDS+=($!)
    pelta_wait_for pelta_window_shown || { cat "$2" >&2; return 1; }
}

# Clicks at a point given in window twips.
pelta_click() {
    xdotool mousemove --window "$PELTA_WINDOW" $(($1 / 15)) $(($2 / 15)) click 1
    sleep 0.3
}

# Clicks the middle of a control given as left, top, width, height in twips on a page, which
# starts 600 twips down.
pelta_click_page_control() { pelta_click $(($1 + $3 / 2)) $((600 + $2 + $4 / 2)); }

# Page buttons: 300 twips square in the toolbar; only their top-left 17 pixels take clicks.
pelta_click_page_button() { pelta_click $(($1 + 120)) 240; }

pelta_screenshot() { import -window "$PELTA_WINDOW" "$1"; }

# Opens the list at left, top, width, height (twips, on a page) and picks the entry $5 by typing.
pelta_choose_in_page_list() {
    pelta_click_page_control "$1" "$2" "$3" "$4"
    xdotool type --delay 50 "$5"
    xdotool key Return
    sleep 0.3
}

# Link settings: a 300 ms reply time-out, the simulator's port, "Применить"; then
# measurements and "Обновить".
pelta_demo_connect() {
    pelta_click_page_button 120                      # Button161, link settings
    pelta_click_page_control 2520 2520 3255 285      # Text1(3)
    xdotool key ctrl+a
    xdotool type --delay 50 "300"
    pelta_apply_choice 1200 240 1545 315 "COM $PELTA_SIM_COM"  # cboPort
    [ -z "${1:-}" ] || pelta_screenshot "$1/link-settings.png"
    pelta_refresh '^[0-9:.]+ tx 01 32 BE'
}

# The connection above, then the settings page (which reads them), and back to the
# measurements, with a screenshot of each.
pelta_demo_click_path() {
    pelta_demo_connect "$1"
    pelta_screenshot "$1/measurements.png"
    pelta_click_page_button 1080                     # Button163, settings (reads them)
    pelta_wait_for pelta_exchanged '^[0-9:.]+ tx 01 32 C0' || echo "the settings read did not end" >&2
    pelta_screenshot "$1/settings.png"
    pelta_click_page_button 600
    pelta_screenshot "$1/screenshot.png"
}

# Link settings: the entry $5 of the list at left $1, top $2, width $3, height $4 (twips, on
# the page; a port list is read again as it opens), and "Применить".
pelta_apply_choice() {
    pelta_click_page_button 120                      # Button161, link settings
    pelta_choose_in_page_list "$@"
    pelta_click_page_control 4080 3480 1695 375      # Command6, "Применить"
}

# Measurements and "Обновить"; waits for a state read whose simulator line matches $1.
pelta_refresh() {
    pelta_click_page_button 600                      # Button162, measurements
    pelta_click_page_control 3240 3600 2295 375      # Command5, "Обновить"
    pelta_wait_for pelta_exchanged "$1" || echo "the state read did not end" >&2
}

# Stops what the functions above started, newest first.
pelta_demo_stop() {
    local i
    for ((i = ${#PELTA_DEMO_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${PELTA_DEMO_PIDS[$i]}" 2>/dev/null || true
        wait "${PELTA_DEMO_PIDS[$i]}" 2>/dev/null || true
    done
    PELTA_DEMO_PIDS=()
}
