#!/usr/bin/env bash
# Installs the game from the build tree into a temporary prefix, checks what was installed, moves
# the prefix elsewhere and starts the game from there as a player would: from the menu's command
# (through PATH), with a play folder of its own that keeps the player's hall of fame.
#   install.sh BUILD_DIR SOURCE_DIR VERSION
build=${1:?usage: install.sh BUILD_DIR SOURCE_DIR VERSION}
source_dir=${2:?usage: install.sh BUILD_DIR SOURCE_DIR VERSION}
version=${3:?usage: install.sh BUILD_DIR SOURCE_DIR VERSION}
. "$(dirname "$0")/common.sh"

note "installing into a temporary prefix"
cmake --install "$build" --prefix "$work/prefix" --strip >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install --strip failed"; }
check_tree "$work/prefix" bin
check_same "$source_dir/data" "$work/prefix/share/games/zakrytka" $play_files

note "checking the menu entry and the AppStream file"
desktop=$work/prefix/share/applications/$app_id.desktop
metainfo=$work/prefix/share/metainfo/$app_id.metainfo.xml
# A warning or an error of either validator fails, and so does any remark of AppStream's
# pedantic validation.
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing: scripts/install-deps package installs it"
done
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
if echo "$out" | grep -qE '(error|warning):'; then fail "desktop-file-validate: $out"; fi
[ -z "$out" ] || echo "$out"
out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
if echo "$out" | grep -q '^[EWIP]:'; then fail "appstreamcli validate --pedantic: $out"; fi

entry() {
    sed -n "s/^$1=//p" "$desktop"
}
for key in Name 'Name\[pl\]' GenericName 'GenericName\[pl\]' Comment 'Comment\[pl\]'; do
    [ -n "$(entry "$key")" ] || fail "the menu entry has no ${key//\\/}"
done
[ "$(entry Name)" = ZAKRYTKA ] || fail "the menu entry is named '$(entry Name)'"
[ "$(entry Terminal)" = false ] || fail "the menu entry opens a terminal"
[ "$(entry Categories)" = 'Game;CardGame;' ] || fail "the menu entry's categories are '$(entry Categories)'"
# The menu's command must be the installed launcher, and its icon one the theme has.
[ "$(entry Exec)" = zakrytka ] || fail "the menu entry runs '$(entry Exec)', not the launcher"
[ "$(entry Icon)" = "$app_id" ] || fail "the menu entry's icon is '$(entry Icon)'"
[ -x "$work/prefix/bin/$(entry Exec)" ] || fail "the menu entry's command is not in bin/"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the AppStream file does not launch $app_id.desktop"
# Qt names the class of the game's windows after the program's file, and the menu entry must name
# that class for a desktop to tie the windows to it.
[ "$(entry StartupWMClass)" = "$(basename "$work/prefix/libexec/zakrytka/zakrytka")" ] ||
    fail "the menu entry's window class is '$(entry StartupWMClass)'"
# The version is set once, in CMakeLists.txt; the AppStream file's newest release must carry it.
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream file has no release $version"

# A moved prefix with a space in its path: the launcher must find the game relative to itself.
note "moving the install tree and starting the game from the menu's command"
moved="$work/moved prefix"
mv "$work/prefix" "$moved"
mkdir "$work/home"
play=$work/data/zakrytka
start_game env HOME="$work/home" XDG_DATA_HOME="$work/data" PATH="$moved/bin:$PATH" zakrytka
game_runs_in "$play" "$moved/libexec/zakrytka/zakrytka"
still_running_after 3
stop_game
check_same "$moved/share/games/zakrytka" "$play" $play_files
leftovers=$(find "$play" -name '.zakrytka-*')
[ -z "$leftovers" ] || fail "the launcher left temporary files: $leftovers"
[ ! -e "$work/home/.local" ] || fail "the game wrote into ~/.local although XDG_DATA_HOME was set"

# The player's hall of fame survives a new start; stale sounds and help are replaced.
note "starting again, through a link, after the player's scores changed"
printf '990\r\n200\r\nGracz\r\nVudero\r\n\r\n150\r\nRurova\r\n100\r\nDoda\r\n50\r\nDarerazaz\r\n' >"$play/sys.dll"
cp "$play/sys.dll" "$work/scores"
for f in $refreshed_files; do echo stale >"$play/$f"; done
mkdir "$work/links"
ln -s "$moved/bin/zakrytka" "$work/links/zakrytka"
start_game env HOME="$work/home" XDG_DATA_HOME="$work/data" "$work/links/zakrytka"
game_runs_in "$play" "$moved/libexec/zakrytka/zakrytka"
still_running_after 3
stop_game
cmp -s "$work/scores" "$play/sys.dll" || fail "the player's sys.dll was overwritten"
check_same "$moved/share/games/zakrytka" "$play" $refreshed_files

# What another user could plant in the play folder: links where the launcher once made its
# temporary copies (".<file>.new.<its pid>", known here by stopping the launcher before it runs),
# a link named T and a folder named C. None of them is written through or into.
note "starting with links and a folder planted in the play folder"
echo "someone else's file" >"$work/victim"
rm "$play/C" "$play/T"
mkdir "$play/C"
ln -s "$work/victim" "$play/T"
launch sh -c 'kill -STOP $$ && exec "$@"' sh env HOME="$work/home" XDG_DATA_HOME="$work/data" "$moved/bin/zakrytka"
tries=0
until [ "$(sed 's/^.*) //' "/proc/$game_pid/stat" | cut -c1)" = T ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || fail "the launcher did not stop within 10 s"
    sleep 0.1
done
for f in $refreshed_files; do ln -s "$work/victim" "$play/.$f.new.$game_pid"; done
kill -CONT "$game_pid"
wait_for_game
stop_game
[ "$(cat "$work/victim")" = "someone else's file" ] || fail "the launcher wrote through a planted link"
[ -z "$(ls -A "$play/C")" ] || fail "the launcher put files into a folder planted as C: $(ls -A "$play/C")"
grep -q '^zakrytka: cannot copy C ' "$work/game.log" || fail "the launcher did not say that C could not be copied"
[ ! -L "$play/T" ] || fail "the link planted as T is still there"
check_same "$moved/share/games/zakrytka" "$play" T ZAKRYTKA.HLP
cmp -s "$work/scores" "$play/sys.dll" || fail "the player's sys.dll was overwritten"
leftovers=$(find "$play" -name '.zakrytka-*')
[ -z "$leftovers" ] || fail "the launcher left temporary files: $leftovers"
rm -r "$play/C" "$play"/.*.new.*
cp "$moved/share/games/zakrytka/C" "$play/C"

# Without an absolute XDG_DATA_HOME the play folder is ~/.local/share/zakrytka.
note "starting with a relative XDG_DATA_HOME"
start_game env HOME="$work/home" XDG_DATA_HOME=relative "$moved/bin/zakrytka"
game_runs_in "$work/home/.local/share/zakrytka" "$moved/libexec/zakrytka/zakrytka"
stop_game
check_same "$moved/share/games/zakrytka" "$work/home/.local/share/zakrytka" $play_files
[ ! -e "$work/relative" ] || fail "the launcher made a play folder under a relative XDG_DATA_HOME"

# With nowhere to keep the player's files the launcher stops with a message, not the game.
note "starting with nowhere to keep the play folder"
expect_refusal() {
    local rc=0 err
    err=$(timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$@" 2>&1 >/dev/null) || rc=$?
    [ "$rc" -eq 1 ] || fail "the launcher ended with status $rc instead of refusing: $err"
    case $err in zakrytka:*) ;; *) fail "the launcher refused without saying why: '$err'" ;; esac
}
expect_refusal env -u HOME -u XDG_DATA_HOME "$moved/bin/zakrytka"
touch "$work/a-file"
expect_refusal env HOME="$work/home" XDG_DATA_HOME="$work/a-file" "$moved/bin/zakrytka"
# A play folder of another user's is refused, and nothing is put into it.
if [ "$(id -u)" -eq 0 ]; then
    mkdir -p "$work/foreign/zakrytka"
    chown 65534:65534 "$work/foreign/zakrytka"
    expect_refusal env HOME="$work/home" XDG_DATA_HOME="$work/foreign" "$moved/bin/zakrytka"
    [ -z "$(ls -A "$work/foreign/zakrytka")" ] || fail "the launcher filled another user's play folder"
else
    note "not root: a play folder of another user's cannot be made, so its refusal is not checked"
fi

# Installed into ~/.local as the README says, the installed files lie apart from the player's play
# folder ~/.local/share/zakrytka: installing again and uninstalling leave the hall of fame alone.
note "installing into ~/.local, again after playing, and uninstalling"
local_prefix=$work/player/.local
install_local() {
    cmake --install "$build" --prefix "$local_prefix" --strip >"$work/install.log" 2>&1 ||
        { cat "$work/install.log" >&2; fail "cmake --install --prefix ~/.local failed"; }
}
install_local
start_game env -u XDG_DATA_HOME HOME="$work/player" "$local_prefix/bin/zakrytka"
game_runs_in "$local_prefix/share/zakrytka" "$local_prefix/libexec/zakrytka/zakrytka"
stop_game
cp "$work/scores" "$local_prefix/share/zakrytka/sys.dll"
install_local
cmp -s "$work/scores" "$local_prefix/share/zakrytka/sys.dll" || fail "installing again overwrote the player's sys.dll"
xargs -d '\n' rm -f <"$build/install_manifest.txt"
cmp -s "$work/scores" "$local_prefix/share/zakrytka/sys.dll" || fail "uninstalling removed the player's sys.dll"
left=$(cd "$local_prefix" && find . -type f ! -path './share/zakrytka/*')
[ -z "$left" ] || fail "uninstalling left installed files behind: $left"

note "the installed game starts and keeps the player's hall of fame"
