#!/usr/bin/env bash
# Times, under one window manager, how long the game takes to show a window after the click or
# key that asks for it: the name dialog (a click on "Zmień imię"; its Alt+Z would press the button
# for a tenth of a second first), the About box (Down and Return in the open "Pomoc" menu), the hall
# of fame (F3) and, after F2, the new card table.
# Each is shown RUNS times; prints the manager's row: median and worst in ms for each window.
# bench/run runs it on a desktop of its own under each window manager players have:
#   tests/desktop/on-desktop --wm NAME bench/desktops.sh BUILD_DIR DATA_DIR
set -euo pipefail
build=$1
data=$2
runs=${RUNS:-5}
export SDL_AUDIODRIVER=dummy
mapped=$build/bench/bench_mapped

play=$(mktemp -d)
cmake -DPLAY_DIR="$play" -DDATA_DIR="$data" -P "$(dirname "$0")/../cmake/PlayFolder.cmake"
cd "$play"
read -r pid _ < <("$mapped" 'ZAKRYTKA - *' -- "$build/play/zakrytka")
trap 'kill "$pid" 2>/dev/null || true' EXIT

# Milliseconds from the keys (xdotool ARGS) to the window named NAME on the screen.
shown() {
    local name=$1
    shift
    local ms
    read -r _ ms < <("$mapped" --input "$name" -- xdotool "$@") || true
    [ -n "$ms" ] || { echo "the window '$name' did not come up" >&2; exit 1; }
    echo "$ms"
}
# Waits until no window named NAME is on the screen.
gone() {
    for _ in $(seq 200); do
        [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)" ] && return 0
        sleep 0.02
    done
    echo "the window '$1' did not go" >&2
    exit 1
}
# Gives the card table the keyboard with a click on its menu bar's empty end, as a player would.
to_table() {
    for _ in $(seq 200); do
        table_id=$(xdotool search --onlyvisible --name '^ZAKRYTKA - ' 2>/dev/null | head -1 || true)
        [ -n "$table_id" ] && break
        sleep 0.02
    done
    xdotool mousemove --window "$table_id" 560 8 click 1
    for _ in $(seq 200); do
        [ "$(xdotool getactivewindow 2>/dev/null || true)" = "$table_id" ] && return
        sleep 0.02
    done
}

# Waits until the window named NAME has the keyboard (a window of the game takes it when shown).
active() {
    for _ in $(seq 200); do
        [ "$(xdotool getactivewindow getwindowname 2>/dev/null || true)" = "$1" ] && return 0
        sleep 0.02
    done
    echo "the window '$1' did not get the keyboard" >&2
    exit 1
}

# Closes the window named NAME with Alt+F4 once it has the keyboard, and waits until it is gone.
close() {
    active "$1"
    xdotool key alt+F4
    gone "$1"
}

spread() { sort -g | awk '{a[NR] = $1} END {printf "%s (%s)", a[int((NR + 1) / 2)], a[NR]}'; }
name=() about=() fame=() table=()
for _ in $(seq "$runs"); do
    to_table
    # "Zmień imię", below the menu bar.
    name+=("$(shown 'Imię' mousemove --window "$table_id" 101 382 click 1)")
    active 'Imię'
    xdotool type a
    xdotool key Return
    gone 'Imię'
    to_table
    # "Pomoc" on the menu bar; the menu opens before the keys reach it.
    xdotool mousemove --window "$table_id" 45 8 click 1
    about+=("$(shown 'About' key Down Return)")
    close 'About'
    to_table
    fame+=("$(shown 'Wpis' key F3)")
    close 'Wpis'
    to_table
    table+=("$(shown 'ZAKRYTKA - *' key F2)")
done
printf '%-10s %-16s %-16s %-16s %-16s\n' "${DESKTOP_WM:-?}" \
    "$(printf '%s\n' "${name[@]}" | spread)" "$(printf '%s\n' "${about[@]}" | spread)" \
    "$(printf '%s\n' "${fame[@]}" | spread)" \
    "$(printf '%s\n' "${table[@]}" | spread)"
