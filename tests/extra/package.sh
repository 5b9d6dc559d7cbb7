#!/usr/bin/env bash
# Builds the Debian package as scripts/build-deb does, checks it with lintian, looks inside it and
# starts the game unpacked from it. The package is never installed: the tests run as root, on the
# developer's own system.
#   package.sh BUILD_DIR SOURCE_DIR VERSION
build=${1:?usage: package.sh BUILD_DIR SOURCE_DIR VERSION}
source_dir=${2:?usage: package.sh BUILD_DIR SOURCE_DIR VERSION}
version=${3:?usage: package.sh BUILD_DIR SOURCE_DIR VERSION}
. "$(dirname "$0")/common.sh"

# The release build of the package lives beside the test's build, so that a second run rebuilds
# only what changed.
note "building the package"
"$source_dir/scripts/build-deb" "$build/package-build" >"$work/build.log" 2>&1 ||
    { cat "$work/build.log" >&2; fail "scripts/build-deb failed"; }
if grep -i 'warning' "$work/build.log" >&2; then
    fail "the package build warned"
fi
arch=$(dpkg --print-architecture)
deb=$build/package-build/zakrytka_${version}_$arch.deb
[ "$(tail -n 1 "$work/build.log")" = "$deb" ] ||
    fail "scripts/build-deb made $(tail -n 1 "$work/build.log"), not $deb"

# No error and no warning, and no sign of a build without Debian's hardening flags (those are
# only remarks, shown with -I).
note "checking the package with lintian"
command -v lintian >/dev/null 2>&1 || fail "lintian is missing: scripts/install-deps package installs it"
lintian -I --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian found errors or warnings in the package"; }
if grep 'hardening-no-' "$work/lintian.log" >&2; then
    fail "the packaged game was built without some of Debian's hardening flags"
fi
cat "$work/lintian.log"

note "checking the package's fields"
field() {
    dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = zakrytka ] || fail "the package is named '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "the package's version is '$(field Version)'"
[ "$(field Section)" = games ] || fail "the package's section is '$(field Section)'"
[ "$(field Maintainer)" = 'ZAKRYTKA team <zakrytka@example.org>' ] ||
    fail "the package's maintainer is '$(field Maintainer)'"
# What the game needs to run on a bare system: the libraries it links, found by dpkg-shlibdeps,
# and the font its windows are laid out with.
depends=$(field Depends)
for dep in fonts-liberation2 libqt6widgets6 libqt6gui6 libqt6core6 libsdl2-2.0-0 libc6 libstdc++6; do
    echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/[ (].*//' | grep -qx "$dep" ||
        fail "the package does not depend on $dep: Depends: $depends"
done

note "checking the package's files"
# Everything belongs to root; the launcher and the game are executable by all, the rest readable.
dpkg-deb -c "$deb" >"$work/contents"
if grep -v ' root/root ' "$work/contents" >&2; then fail "files in the package not owned by root"; fi
mode_of() {
    awk -v p="./usr/$1" '$6 == p { print $1 }' "$work/contents"
}
# A game's command lies in /usr/games.
for f in games/zakrytka $(for p in $programs; do echo "libexec/zakrytka/$p"; done); do
    [ "$(mode_of "$f")" = -rwxr-xr-x ] || fail "usr/$f has mode $(mode_of "$f")"
done
for f in $play_files; do
    [ "$(mode_of "share/games/zakrytka/$f")" = -rw-r--r-- ] ||
        fail "usr/share/games/zakrytka/$f has mode $(mode_of "share/games/zakrytka/$f")"
done

dpkg-deb -x "$deb" "$work/root"
[ "$(cd "$work/root" && find . -mindepth 1 -maxdepth 1)" = ./usr ] ||
    fail "the package puts files outside /usr: $(cd "$work/root" && find . -mindepth 1 -maxdepth 1)"
check_tree "$work/root/usr" games
check_same "$source_dir/data" "$work/root/usr/share/games/zakrytka" $play_files

note "starting the game unpacked from the package"
mkdir "$work/home"
play=$work/home/.local/share/zakrytka
start_game env -u XDG_DATA_HOME HOME="$work/home" "$work/root/usr/games/zakrytka"
game_runs_in "$play" "$work/root/usr/libexec/zakrytka/zakrytka"
still_running_after 3
stop_game
check_same "$work/root/usr/share/games/zakrytka" "$play" $play_files

note "the package holds the game, its files and its dependencies"
