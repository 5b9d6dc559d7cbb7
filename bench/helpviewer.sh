#!/usr/bin/env bash
# Shows hostile help files in the help viewer, headless, and prints for each the CPU time the
# viewer spent until it settled and the most memory it held.
#   helpviewer.sh BUILD_DIR DATA_DIR
# LIMIT (60 by default) is the most seconds a file is given.
set -euo pipefail
build=${1:?usage: helpviewer.sh BUILD_DIR DATA_DIR}
data=${2:?usage: helpviewer.sh BUILD_DIR DATA_DIR}
viewer=$build/play/zakrytka-help
work=$(mktemp -d "${TMPDIR:-/tmp}/zakrytka-helpbench.XXXXXX")
pid=
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null; rm -rf -- "$work"' EXIT

# repeat N TEXT: TEXT N times, on one line.
repeat() { yes -- "$2" | head -n "$1" | tr -d '\n' || true; }

{ echo '<h1 id=a>Tabele</h1>'; repeat 20 '<table><tr><td>'; } >"$work/tables.hlp"
{ echo '<h1 id=a>B</h1>'; repeat 1300000 '<b>'; } >"$work/bold.hlp"
{ echo -n '<style>'; repeat 90000 'h1 { color: #102030; } '; echo -n '</style><h1 id=a>A</h1>'
  seq 1 99999 | sed 's/.*/<h1 id=&>/' | tr -d '\n'; } >"$work/style2mb.hlp"
{ echo -n '<style>'; repeat 4400 'h1 { color: #102030; } '; echo -n '</style><h1 id=a>A</h1>'
  seq 1 99999 | sed 's/.*/<h1 id=&>/' | tr -d '\n'; } >"$work/style100k.hlp"
{ echo '<h1 id=a>P</h1>'; repeat 43000 '<p>'; } >"$work/paragraphs.hlp"
{ echo '<h1 id=a>T</h1><table><tr>'; repeat 32000 '<td>'; } >"$work/cells.hlp"
{ echo -n '<h1 id=a>A</h1><table cellpadding=40000000><tr><td>x</td></tr></table>'; } >"$work/padding.hlp"
{ echo '<h1 id=a>T</h1>'; repeat 10 '<table><tr><td>'; repeat 10000 'tekst dlug '; } \
    >"$work/tables10.hlp"
{ echo '<h1 id=a>T</h1><table>'; repeat 300 '<tr><td colspan=20000>x'; } >"$work/colspan.hlp"
{ echo '<h1 id=a>'; repeat 370000 'bez konca '; } >"$work/openh1.hlp"
{ echo -n '<meta name=help-contents content="'; repeat 400000 'xxxxxxxxxx'
  echo '"><h1 id=a>A</h1>'; } >"$work/contents4mb.hlp"
{ echo -n '<meta name=help-contents content="'; repeat 14000 'xxxxxxxxxx'
  echo '"><h1 id=a>A</h1>'; } >"$work/name140k.hlp"
cp "$data/ZAKRYTKA.HLP" "$work/shipped.hlp"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; }

printf '%-34s %10s %12s %s\n' "help file" "size, KiB" "CPU, ms" "peak memory, KiB"
for name in shipped tables bold style2mb style100k paragraphs cells padding tables10 colspan \
    openh1 contents4mb name140k; do
    file=$work/$name.hlp
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' "$viewer" "$file" 2>/dev/null &
    pid=$!
    # Settled: no CPU time spent for a second. A viewer still busy after LIMIT seconds is
    # counted as frozen.
    last=-1
    still=0
    begin=$SECONDS
    while [ "$still" -lt 10 ] && [ $((SECONDS - begin)) -lt "${LIMIT:-60}" ]; do
        sleep 0.1
        now=$(cpu_ticks "$pid") || break
        if [ "$now" = "$last" ]; then still=$((still + 1)); else still=0; fi
        last=$now
    done
    peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
    printf '%-34s %10s %12s %s\n' "$name" "$(($(stat -c %s "$file") / 1024))" \
        "$((last * 1000 / $(getconf CLK_TCK)))" "$peak"
done
