#!/bin/bash
# Soak of `pelta-ctl watch` against pelta-sim: ROUNDS rounds at a 0.2 s interval with every
# output on (resident memory may grow by less than 1 MiB after the first 100 rounds, and no
# descriptor may leak), then a watch at a 60 s interval left idle for IDLE seconds (its CPU time
# over 10 minutes must stay under 0.1 s).
# Usage: bench/ctl/watch_soak.sh [BUILD_DIR] [ROUNDS] [IDLE_SECONDS]   (defaults: build 10000 600)
set -euo pipefail

build=$(realpath "${1:-build}")
rounds=${2:-10000}
idle=${3:-600}
scratch=$(mktemp -d)
sim_pid=
watch_pid=
cleanup() {
    [[ -n $watch_pid ]] && kill "$watch_pid" 2>/dev/null || true
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$scratch/run XDG_CONFIG_HOME=$scratch/config
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"

"$build/tools/sim/pelta-sim" --com 7 >/dev/null 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
    [[ -e $XDG_RUNTIME_DIR/pelta/serialcomm/COM7 ]] && break
    sleep 0.1
done

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
# The port is open during each exchange, so one look can catch it open: the fewest of twenty
# looks over two seconds is the count between exchanges.
fds() {
    local fewest=1000000 count
    for _ in $(seq 20); do
        count=$(find "/proc/$1/fd" -mindepth 1 | wc -l)
        ((count < fewest)) && fewest=$count
        sleep 0.1
    done
    echo "$fewest"
}
cpu_seconds() {  # user + system time of the process
    awk -v tck="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); printf "%.3f", ($12 + $13) / tck }' \
        "/proc/$1/stat"
}
rounds_done() { wc -l <"$scratch/rounds"; }
wait_rounds() {
    while (($(rounds_done) < $1)); do sleep 1; done
}

ctl=("$build/tools/ctl/pelta-ctl" --port 7 --timeout 50)
"${ctl[@]}" watch --interval 0.2 --json --prom "$scratch/pelta.prom" --csv "$scratch/pelta.csv" \
    >"$scratch/rounds" 2>"$scratch/errors" &
watch_pid=$!
wait_rounds 100
rss_before=$(rss_kib "$watch_pid")
fds_before=$(fds "$watch_pid")
started=$(date +%s)
wait_rounds "$rounds"
rss_after=$(rss_kib "$watch_pid")
fds_after=$(fds "$watch_pid")
took=$(($(date +%s) - started))
kill -TERM "$watch_pid"
wait "$watch_pid" && status=0 || status=$?
watch_pid=
echo "rounds: $(rounds_done) in ${took}s after 100 to warm up; exit $status on SIGTERM;" \
    "failed rounds: $(wc -l <"$scratch/errors")"
echo "resident memory: ${rss_before} KiB -> ${rss_after} KiB ($((rss_after - rss_before)) KiB)"
echo "descriptors: $fds_before -> $fds_after"

"${ctl[@]}" watch --interval 60 --prom "$scratch/idle.prom" >/dev/null 2>&1 &
watch_pid=$!
sleep 2  # the first round and the start-up are not idle time
cpu_before=$(cpu_seconds "$watch_pid")
sleep "$idle"
cpu_after=$(cpu_seconds "$watch_pid")
idle_cpu=$(echo "$cpu_after - $cpu_before" | bc)
echo "idle CPU over ${idle}s at a 60 s interval: ${idle_cpu}s"

verdict=0
((rss_after - rss_before < 1024)) || { echo "FAIL: memory grew by 1 MiB or more"; verdict=1; }
((fds_after <= fds_before)) || { echo "FAIL: descriptors leaked"; verdict=1; }
((status == 0)) || { echo "FAIL: SIGTERM did not end watch with 0"; verdict=1; }
# The limit is 0.1 s per 10 minutes; a shorter idle run is held to its share.
if (($(echo "$idle_cpu * 600 > 0.1 * $idle" | bc))); then
    echo "FAIL: idle CPU over its share of 0.1 s per 10 minutes"
    verdict=1
fi
exit $verdict
