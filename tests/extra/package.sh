#!/usr/bin/env bash
# Builds the Debian package from the build tree, looks inside it and starts the game unpacked from
# it. The package is never installed: the tests run as root, on the developer's own system.
#   package.sh BUILD_DIR SOURCE_DIR
build=${1:?usage: package.sh BUILD_DIR SOURCE_DIR}
source_dir=${2:?usage: package.sh BUILD_DIR SOURCE_DIR}
. "$(dirname "$0")/common.sh"

note "building the package"
(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
if grep -qi 'warning' "$work/cpack.log"; then
    cat "$work/cpack.log" >&2
    fail "cpack warned while building the package"
fi
arch=$(dpkg --print-architecture)
deb=$work/out/zakrytka_1.0.0_$arch.deb
[ -f "$deb" ] || { ls -l "$work/out" >&2; fail "no package zakrytka_1.0.0_$arch.deb"; }

note "checking the package's fields"
field() {
    dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = zakrytka ] || fail "the package is named '$(field Package)'"
[ "$(field Version)" = 1.0.0 ] || fail "the package's version is '$(field Version)'"
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
[ "$(mode_of bin/zakrytka)" = -rwxr-xr-x ] || fail "usr/bin/zakrytka has mode $(mode_of bin/zakrytka)"
for f in zakrytka zakrytka-help; do
    [ "$(mode_of "libexec/zakrytka/$f")" = -rwxr-xr-x ] ||
        fail "usr/libexec/zakrytka/$f has mode $(mode_of "libexec/zakrytka/$f")"
done
for f in sys.dll C T ZAKRYTKA.HLP; do
    [ "$(mode_of "share/zakrytka/$f")" = -rw-r--r-- ] ||
        fail "usr/share/zakrytka/$f has mode $(mode_of "share/zakrytka/$f")"
done

dpkg-deb -x "$deb" "$work/root"
[ "$(cd "$work/root" && find . -mindepth 1 -maxdepth 1)" = ./usr ] ||
    fail "the package puts files outside /usr: $(cd "$work/root" && find . -mindepth 1 -maxdepth 1)"
check_tree "$work/root/usr"
check_same "$source_dir/data" "$work/root/usr/share/zakrytka" sys.dll C T ZAKRYTKA.HLP
file -b "$work/root/usr/libexec/zakrytka/zakrytka" | grep -q ', stripped' ||
    fail "the packaged game keeps its debugging symbols"

note "starting the game unpacked from the package"
mkdir "$work/home"
play=$work/home/.local/share/zakrytka
start_game env -u XDG_DATA_HOME HOME="$work/home" "$work/root/usr/bin/zakrytka"
game_runs_in "$play" "$work/root/usr/libexec/zakrytka/zakrytka"
still_running_after 3
stop_game
check_same "$work/root/usr/share/zakrytka" "$play" sys.dll C T ZAKRYTKA.HLP

note "the package holds the game, its files and its dependencies"
