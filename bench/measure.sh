#!/usr/bin/env bash
# Measures start-up, memory, idle cost and timer accuracy of the game beside a bare Qt Widgets
# program of the same window size, under Xvfb. Prints one table.
set -euo pipefail
build=$1
data=$2
runs=${RUNS:-5}

n=90
while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
display=:$n
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
load_pids=()
cleanup() {
    kill "$xvfb" "${load_pids[@]}" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
export SDL_AUDIODRIVER=dummy
sleep 1

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Waits for a visible window whose name matches; prints the milliseconds since $2.
wait_window() {
    local name=$1 start=$2
    until xdotool search --onlyvisible --name "$name" >/dev/null 2>&1; do
        if [ $(( $(now_ms) - start )) -gt 20000 ]; then
            echo "no window '$name' after 20 s" >&2
            exit 1
        fi
    done
    echo $(( $(now_ms) - start ))
}

stats() { sort -n | awk '{a[NR]=$1} END {printf "%s (%s..%s)", a[int((NR+1)/2)], a[1], a[NR]}'; }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$1/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() { cat /proc/"$1"/task/*/status | awk '/voluntary_ctxt_switches/ {s += $2} END {print s}'; }

play=$(mktemp -d)
cp "$data/sys.dll" "$data/C" "$data/T" "$play/"
cd "$play"

splash=() table=() bare=()
for _ in $(seq "$runs"); do
    start=$(now_ms)
    "$build/play/zakrytka" >/dev/null 2>&1 &
    pid=$!
    splash+=("$(wait_window '^Wendolin$' "$start")")
    table+=("$(wait_window '^ZAKRYTKA - ' "$start")")
    kill "$pid"; wait "$pid" 2>/dev/null || true

    start=$(now_ms)
    "$build/bench/bench_bare" >/dev/null 2>&1 &
    pid=$!
    bare+=("$(wait_window '^bare$' "$start")")
    kill "$pid"; wait "$pid" 2>/dev/null || true
done

idle() {
    local pid=$1 hz ticks0 ticks1 sw0 sw1
    hz=$(getconf CLK_TCK)
    ticks0=$(cpu_ticks "$pid"); sw0=$(switches "$pid")
    sleep 10
    ticks1=$(cpu_ticks "$pid"); sw1=$(switches "$pid")
    awk -v t=$((ticks1 - ticks0)) -v hz="$hz" -v s=$((sw1 - sw0)) \
        'BEGIN {printf "%.1f %% CPU, %d wake-ups/s", 100 * t / hz / 10, s / 10}'
}

"$build/play/zakrytka" >/dev/null 2>&1 &
game=$!
wait_window '^ZAKRYTKA - ' "$(now_ms)" >/dev/null
sleep 1
game_rss=$(rss_kb "$game"); game_idle=$(idle "$game"); game_hwm=$(hwm_kb "$game")
kill "$game"; wait "$game" 2>/dev/null || true

"$build/bench/bench_bare" >/dev/null 2>&1 &
bare_pid=$!
wait_window '^bare$' "$(now_ms)" >/dev/null
sleep 1
bare_rss=$(rss_kb "$bare_pid"); bare_idle=$(idle "$bare_pid"); bare_hwm=$(hwm_kb "$bare_pid")
kill "$bare_pid"; wait "$bare_pid" 2>/dev/null || true

printf '\n%-44s %-26s %s\n' "figure" "ZAKRYTKA" "bare Qt Widgets"
printf '%-44s %-26s %s\n' "exec to splash mapped, ms (median, min..max)" "$(printf '%s\n' "${splash[@]}" | stats)" "$(printf '%s\n' "${bare[@]}" | stats)"
printf '%-44s %-26s %s\n' "exec to table mapped, ms" "$(printf '%s\n' "${table[@]}" | stats)" "-"
printf '%-44s %-26s %s\n' "resident memory at the table, KiB" "$game_rss (peak $game_hwm)" "$bare_rss (peak $bare_hwm)"
printf '%-44s %-26s %s\n' "idle for 10 s" "$game_idle" "$bare_idle"

echo
printf '%-44s %-12s %s\n' "timer figure (ms)" "median" "worst"
run_timing() {
    ZAKRYTKA_DATA_DIR=$data QT_QPA_PLATFORM=offscreen "$build/bench/bench_timing" 40 |
        while IFS=$'\t' read -r name median worst; do
            printf '%-44s %-12s %s\n' "$name$1" "$median" "$worst"
        done
}
run_timing ""
for _ in 1 2; do (while :; do :; done) & load_pids+=($!); done
run_timing ", both cores loaded"
kill "${load_pids[@]}" 2>/dev/null || true
load_pids=()

echo
echo "soak: 100 full games of 60 deals, then 1000 new games (no sound device)"
ZAKRYTKA_DATA_DIR=$data QT_QPA_PLATFORM=offscreen "$build/bench/bench_soak" "${SOAK_GAMES:-100}" "${SOAK_NEW_GAMES:-1000}"
