# Shared by install.sh and package.sh: a temporary folder, failing with a message, the list of
# installed files, and starting the installed game headless through its launcher.

set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() {
    echo "-- $*"
}

# Every test works in a folder of its own, removed at the end with any game still running in it.
work=$(mktemp -d "${TMPDIR:-/tmp}/zakrytka-$(basename "$0" .sh).XXXXXX")
game_pid=
cleanup() {
    if [ -n "$game_pid" ]; then
        kill -KILL "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    rm -rf -- "$work"
}
trap cleanup EXIT
cd "$work"

# The files an install puts under its prefix, one a line, sorted.
expected_files() {
    {
        echo bin/zakrytka
        echo libexec/zakrytka/zakrytka
        echo libexec/zakrytka/zakrytka-help
        for f in C T ZAKRYTKA.HLP sys.dll; do echo "share/zakrytka/$f"; done
        echo share/applications/zakrytka.desktop
        echo share/metainfo/org.example.zakrytka.metainfo.xml
        for n in 16 32 48 64 128 256; do echo "share/icons/hicolor/${n}x${n}/apps/zakrytka.png"; done
    } | LC_ALL=C sort
}

# check_tree PREFIX: exactly the expected files are there, nothing missing and nothing more.
check_tree() {
    local prefix=$1 found
    found=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
    if [ "$found" != "$(expected_files)" ]; then
        diff <(expected_files) <(echo "$found") >&2 || true
        fail "the files under $prefix are not the installed game's (< expected, > found)"
    fi
    [ -x "$prefix/bin/zakrytka" ] || fail "the launcher bin/zakrytka is not executable"
    [ -x "$prefix/libexec/zakrytka/zakrytka" ] || fail "the game libexec/zakrytka/zakrytka is not executable"
    [ -x "$prefix/libexec/zakrytka/zakrytka-help" ] ||
        fail "the help viewer libexec/zakrytka/zakrytka-help is not executable"
    head -n 1 "$prefix/bin/zakrytka" | grep -qx '#!/bin/sh' || fail "the launcher is not a /bin/sh script"
    sh -n "$prefix/bin/zakrytka" || fail "the launcher is not a valid sh script"
    file -b "$prefix/libexec/zakrytka/zakrytka" | grep -q '^ELF .* executable' ||
        fail "libexec/zakrytka/zakrytka is not an executable program: $(file -b "$prefix/libexec/zakrytka/zakrytka")"
    local n kind
    for n in 16 32 48 64 128 256; do
        kind=$(file -b "$prefix/share/icons/hicolor/${n}x${n}/apps/zakrytka.png")
        case $kind in
            "PNG image data, $n x $n,"*) ;;
            *) fail "the ${n}x${n} icon is not a $n x $n PNG: $kind" ;;
        esac
    done
}

# check_same DIR1 DIR2 NAME...: each named file has the same bytes in both folders.
check_same() {
    local a=$1 b=$2 name
    shift 2
    for name in "$@"; do
        [ -f "$b/$name" ] || fail "$b/$name is missing"
        cmp -s "$a/$name" "$b/$name" || fail "$b/$name differs from $a/$name"
    done
}

# alive: the started game is there and has not ended (a process that has ended but is not yet
# waited for still answers kill -0).
alive() {
    local state
    state=$(sed 's/^.*) //' "/proc/$game_pid/stat" 2>/dev/null | cut -c1) || return 1
    [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# start_game COMMAND...: starts the game through its launcher without a display, as a player's
# menu would (the launcher replaces itself with the game, so the started process becomes the
# game), and waits until it is the game running in its play folder. Set HOME and XDG_DATA_HOME
# with env in COMMAND.
start_game() {
    local log=$work/game.log
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
        "$@" >"$log" 2>&1 &
    game_pid=$!
    local tries=0
    while [ "$(basename "$(readlink "/proc/$game_pid/exe" 2>/dev/null)")" != zakrytka ]; do
        if ! alive; then
            wait "$game_pid" && rc=0 || rc=$?
            game_pid=
            cat "$log" >&2
            fail "the launcher ended (exit status $rc) without starting the game"
        fi
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || fail "the launcher did not start the game within 10 s"
        sleep 0.1
    done
}

# game_runs_in DIR GAME: the started game is the installed GAME, running in the play folder DIR.
game_runs_in() {
    local dir=$1 game=$2
    [ "$(readlink "/proc/$game_pid/exe")" = "$(readlink -f "$game")" ] ||
        fail "the running program is $(readlink "/proc/$game_pid/exe"), not $game"
    [ "$(readlink "/proc/$game_pid/cwd")" = "$(readlink -f "$dir")" ] ||
        fail "the game runs in $(readlink "/proc/$game_pid/cwd"), not in its play folder $dir"
}

# still_running_after SECONDS: the game is still up that long after it started (it reads the
# hall of fame two seconds after start).
still_running_after() {
    sleep "$1"
    if ! alive; then
        wait "$game_pid" && rc=0 || rc=$?
        game_pid=
        cat "$work/game.log" >&2
        fail "the game ended (exit status $rc) within $1 s of starting"
    fi
}

# stop_game: ends the game as a desktop session would, and after five seconds for good.
stop_game() {
    kill -TERM "$game_pid" 2>/dev/null || true
    local tries=0
    while alive && [ "$tries" -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    kill -KILL "$game_pid" 2>/dev/null || true
    wait "$game_pid" 2>/dev/null || true
    game_pid=
}
