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

# The game and its help viewer, installed in libexec/zakrytka.
programs='zakrytka zakrytka-help'
# The play folder's files, installed in share/games/zakrytka: the starting hall of fame, then the
# files the launcher refreshes at every start.
play_files=$(grep '^[^#]' "$source_dir/data/play-files")
refreshed_files=$(echo "$play_files" | tail -n +2)
app_id=org.example.zakrytka
icon_sizes='16 22 24 32 48 64 128 256'

# expected_files BINDIR: the files an install puts under its prefix, one a line, sorted; the
# launcher lies in BINDIR (bin, or games in the Debian package).
expected_files() {
    {
        echo "$1/zakrytka"
        for p in $programs; do echo "libexec/zakrytka/$p"; done
        for f in $play_files; do echo "share/games/zakrytka/$f"; done
        echo "share/applications/$app_id.desktop"
        echo "share/metainfo/$app_id.metainfo.xml"
        for n in $icon_sizes; do
            echo "share/icons/hicolor/${n}x${n}/apps/$app_id.png"
            echo "share/icons/hicolor/${n}x${n}@2/apps/$app_id.png"
        done
        echo "share/icons/hicolor/scalable/apps/$app_id.svg"
        echo share/man/man6/zakrytka.6.gz
        echo share/doc/zakrytka/copyright
        echo share/doc/zakrytka/changelog.gz
    } | LC_ALL=C sort
}

# check_tree PREFIX BINDIR: exactly the expected files are there, nothing missing and nothing
# more; the programs are stripped of their debugging information.
check_tree() {
    local prefix=$1 bindir=$2 found
    found=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
    if [ "$found" != "$(expected_files "$bindir")" ]; then
        diff <(expected_files "$bindir") <(echo "$found") >&2 || true
        fail "the files under $prefix are not the installed game's (< expected, > found)"
    fi
    local launcher=$prefix/$bindir/zakrytka
    [ -x "$launcher" ] || fail "the launcher $bindir/zakrytka is not executable"
    head -n 1 "$launcher" | grep -qx '#!/bin/sh' || fail "the launcher is not a /bin/sh script"
    sh -n "$launcher" || fail "the launcher is not a valid sh script"
    local p kind
    for p in $programs; do
        [ -x "$prefix/libexec/zakrytka/$p" ] || fail "libexec/zakrytka/$p is not executable"
        kind=$(file -b "$prefix/libexec/zakrytka/$p")
        case $kind in
            ELF*executable*', stripped') ;;
            *) fail "libexec/zakrytka/$p is not a stripped program: $kind" ;;
        esac
    done
    # The menu icons have clear corners and an opaque middle; those for scaled desktops have
    # twice the pixels.
    local n dir px icon
    for n in $icon_sizes; do
        for dir in "${n}x${n}" "${n}x${n}@2"; do
            px=$n
            [ "$dir" = "${n}x${n}" ] || px=$((2 * n))
            icon=$prefix/share/icons/hicolor/$dir/apps/$app_id.png
            kind=$(file -b "$icon")
            case $kind in
                "PNG image data, $px x $px, 8-bit/color RGBA,"*) ;;
                *) fail "the $dir icon is not a $px x $px PNG with transparency: $kind" ;;
            esac
            [ "$(convert "$icon" -format '%[fx:p{0,0}.a] %[fx:p{w/2,h/2}.a]' info:)" = '0 1' ] ||
                fail "the $dir icon's corner is not clear or its middle not opaque"
        done
    done
    kind=$(file -b "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg")
    case $kind in
        SVG*) ;;
        *) fail "the scalable icon is not an SVG picture: $kind" ;;
    esac
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
    launch "$@"
    wait_for_game
}

# launch COMMAND...: starts COMMAND as start_game does, without waiting for the game.
launch() {
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
        "$@" >"$work/game.log" 2>&1 &
    game_pid=$!
}

# wait_for_game: waits until the launched process is the game.
wait_for_game() {
    local log=$work/game.log tries=0
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
