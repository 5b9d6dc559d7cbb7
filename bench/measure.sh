#!/usr/bin/env bash
# Measures the game beside the floor of its own design (bench_bare: a bare Qt Widgets window of
# the card table's size with the game's two always-running timers) under Xvfb: start-up, idle
# cost, memory, then the game's timer accuracy and the soak. Prints the tables with the ratios
# and the goals, and beside them the same floor showing text (bench_bare --text), which tells
# how much of the game's figures any window with text pays, and for memory also that window
# holding one of each of the Qt controls the table is built of (bench_bare --controls).
# bench/run runs it on an X server of its own without a window manager:
#   tests/desktop/on-desktop --wm none --screen 1024x768 bench/measure.sh BUILD_DIR DATA_DIR
set -euo pipefail
build=$1
data=$2
runs=${RUNS:-7}
idle_window=${IDLE_WINDOW:-30}
idle_windows=${IDLE_WINDOWS:-3}

load_pids=()
running=()
cleanup() {
    kill "${load_pids[@]}" "${running[@]}" 2>/dev/null || true
}
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy

game=("$build/play/zakrytka")
floor=("$build/bench/bench_bare")
text_floor=("$build/bench/bench_bare" --text)
controls_floor=("$build/bench/bench_bare" --controls)
# Starts a program and prints its pid and the milliseconds from exec to each named window mapped;
# stops the whole measurement when a window never shows.
launch() { "$build/bench/bench_mapped" "$@" || echo "FAILED"; }
check() {
    if [ -z "$1" ] || [ "$1" = FAILED ]; then
        echo "a program under measurement did not show its windows" >&2
        exit 1
    fi
}
# Ends a program that is not this shell's child, and waits until it is gone.
stop() {
    kill "$1" 2>/dev/null || true
    for _ in $(seq 100); do
        [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null || echo Z)" = Z ] && return
        sleep 0.05
    done
    kill -9 "$1" 2>/dev/null || true
}

# Qt's notes on the offscreen platform (no window-size hints, no runtime folder), said at every
# window and new game, would bury the figures.
quiet() { grep -v -e 'does not support propagateSizeHints' -e 'XDG_RUNTIME_DIR not set'; }

median() { sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
spread() { sort -g | awk '{a[NR] = $1} END {printf "%s (%s..%s)", a[int((NR + 1) / 2)], a[1], a[NR]}'; }
# CPU time of all the program's threads in nanoseconds, and the times they were put on a CPU.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{s += $1} END {printf "%d", s}'; }
slices() { cat /proc/"$1"/task/*/schedstat | awk '{s += $3} END {printf "%d", s}'; }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
threads() { ls "/proc/$1/task" | wc -l; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
verdict() { awk -v r="$1" -v g="$2" 'BEGIN {print (r <= g ? "met" : "NOT MET")}'; }

play=$(mktemp -d)
cmake -DPLAY_DIR="$play" -DDATA_DIR="$data" -P "$(dirname "$0")/../cmake/PlayFolder.cmake"
cd "$play"

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# Start-up, the game and the floor in turn.
splash=() table=() bare=() texted=()
for _ in $(seq "$runs"); do
    read -r pid s t < <(launch 'Wendolin' 'ZAKRYTKA - *' -- "${game[@]}")
    check "$pid"
    stop "$pid"
    splash+=("$s") table+=("$t")
    read -r pid b < <(launch floor -- "${floor[@]}")
    check "$pid"
    stop "$pid"
    bare+=("$b")
    read -r pid b < <(launch floor -- "${text_floor[@]}")
    check "$pid"
    stop "$pid"
    texted+=("$b")
done

# Idle: both at rest side by side, the game at its table, over the same windows of time.
read -r game_pid _ _ < <(launch 'Wendolin' 'ZAKRYTKA - *' -- "${game[@]}")
check "$game_pid"
running+=("$game_pid")
read -r floor_pid _ < <(launch floor -- "${floor[@]}")
check "$floor_pid"
running+=("$floor_pid")
read -r text_pid _ < <(launch floor -- "${text_floor[@]}")
check "$text_pid"
running+=("$text_pid")
read -r controls_pid _ < <(launch floor -- "${controls_floor[@]}")
check "$controls_pid"
running+=("$controls_pid")
sleep 2
game_cpu=() floor_cpu=() text_cpu=() game_wake=() floor_wake=()
for _ in $(seq "$idle_windows"); do
    g0=$(cpu_ns "$game_pid") f0=$(cpu_ns "$floor_pid") x0=$(cpu_ns "$text_pid")
    gs0=$(slices "$game_pid") fs0=$(slices "$floor_pid")
    t0=$(date +%s%N)
    sleep "$idle_window"
    g1=$(cpu_ns "$game_pid") f1=$(cpu_ns "$floor_pid") x1=$(cpu_ns "$text_pid")
    gs1=$(slices "$game_pid") fs1=$(slices "$floor_pid")
    t1=$(date +%s%N)
    game_cpu+=("$(awk -v c=$((g1 - g0)) -v t=$((t1 - t0)) 'BEGIN {printf "%.3f", 100 * c / t}')")
    floor_cpu+=("$(awk -v c=$((f1 - f0)) -v t=$((t1 - t0)) 'BEGIN {printf "%.3f", 100 * c / t}')")
    text_cpu+=("$(awk -v c=$((x1 - x0)) -v t=$((t1 - t0)) 'BEGIN {printf "%.3f", 100 * c / t}')")
    game_wake+=("$(awk -v s=$((gs1 - gs0)) -v t=$((t1 - t0)) 'BEGIN {printf "%d", s / t * 1e9}')")
    floor_wake+=("$(awk -v s=$((fs1 - fs0)) -v t=$((t1 - t0)) 'BEGIN {printf "%d", s / t * 1e9}')")
done
game_rss=$(rss_kb "$game_pid") floor_rss=$(rss_kb "$floor_pid") text_rss=$(rss_kb "$text_pid")
controls_rss=$(rss_kb "$controls_pid")
game_threads=$(threads "$game_pid") floor_threads=$(threads "$floor_pid")
stop "$game_pid"
stop "$floor_pid"
stop "$text_pid"
stop "$controls_pid"
running=()

splash_ms=$(printf '%s\n' "${splash[@]}" | median)
bare_ms=$(printf '%s\n' "${bare[@]}" | median)
text_ms=$(printf '%s\n' "${texted[@]}" | median)
gcpu=$(printf '%s\n' "${game_cpu[@]}" | median)
fcpu=$(printf '%s\n' "${floor_cpu[@]}" | median)
xcpu=$(printf '%s\n' "${text_cpu[@]}" | median)
r_start=$(ratio "$splash_ms" "$bare_ms")
r_cpu=$(ratio "$gcpu" "$fcpu")
r_rss=$(ratio "$game_rss" "$floor_rss")

row() { printf '%-50s %-22s %-22s %-6s %-16s %-22s %s\n' "$@"; }
echo
row "figure" "ZAKRYTKA" "floor" "ratio" "goal" "floor with text" "ratio"
row "exec to first window mapped, ms (median, $runs runs)" \
    "$(printf '%s\n' "${splash[@]}" | spread)" "$(printf '%s\n' "${bare[@]}" | spread)" \
    "$r_start" "<= 1.3: $(verdict "$r_start" 1.3)" "$(printf '%s\n' "${texted[@]}" | spread)" \
    "$(ratio "$splash_ms" "$text_ms")"
row "exec to table mapped, ms (the load waits 2 s)" "$(printf '%s\n' "${table[@]}" | spread)" \
    "-" "" "" "" ""
row "idle CPU, % (median of ${idle_windows} x ${idle_window} s)" \
    "$gcpu (${game_cpu[*]})" "$fcpu (${floor_cpu[*]})" "$r_cpu" "<= 1.2: $(verdict "$r_cpu" 1.2)" \
    "$xcpu" "$(ratio "$gcpu" "$xcpu")"
row "idle wake-ups/s" "$(printf '%s\n' "${game_wake[@]}" | median)" \
    "$(printf '%s\n' "${floor_wake[@]}" | median)" "" "" "" ""
row "resident memory at rest, KiB" "$game_rss" "$floor_rss" "$r_rss" \
    "<= 1.25: $(verdict "$r_rss" 1.25)" "$text_rss" "$(ratio "$game_rss" "$text_rss")"
row "threads" "$game_threads" "$floor_threads" "" "" "" ""
echo "resident memory of the floor with text and one of each of the table's kinds of control:" \
    "$controls_rss KiB ($(ratio "$controls_rss" "$floor_rss") of the floor;" \
    "ZAKRYTKA holds $(ratio "$game_rss" "$controls_rss") of it)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
printf '%-44s %-12s %s\n' "timer figure (ms)" "median" "worst"
run_timing() {
    ZAKRYTKA_DATA_DIR=$data QT_QPA_PLATFORM=offscreen "$build/bench/bench_timing" 40 2>&1 | quiet |
        while IFS=$'\t' read -r name median worst; do
            printf '%-44s %-12s %s\n' "$name$1" "$median" "$worst"
        done
}
run_timing ""
for _ in 1 2; do (while :; do :; done) & load_pids+=($!); done
run_timing ", both cores loaded"
kill "${load_pids[@]}" 2>/dev/null || true
load_pids=()

games=${SOAK_GAMES:-400}
new_games=${SOAK_NEW_GAMES:-200}
echo
echo "soak: $games full games of 60 deals, then $new_games new games (no sound device)"
ZAKRYTKA_DATA_DIR=$data QT_QPA_PLATFORM=offscreen "$build/bench/bench_soak" "$games" "$new_games" 2>&1 |
    quiet
