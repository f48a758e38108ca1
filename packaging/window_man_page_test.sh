#!/usr/bin/env bash
# The window program's man page names every preference value and every file the
# program makes when it first starts, so a value or a file added to the program
# without its man page fails here. The program runs offscreen with folders of its own
# and its port on a simulated unit (a port that fails would stop it at a message box),
# until it serves the socket that a second start looks for: by then it has written
# its preferences and opened its ledger.
# Usage: window_man_page_test.sh FOLDER PAGE   (FOLDER holds RILO1Q12, rilo-cli, rilo-unit-sim)
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 FOLDER PAGE" >&2
  exit 2
fi
bin=$1 page=$2
fail() {
  echo "$page: $*" >&2
  exit 1
}
source "$(dirname "$0")/scratch_unit.sh"
# Qt takes a runtime folder only when no one else may enter it.
mkdir -m 700 "$root/config" "$root/data" "$root/runtime" "$root/cache"
export XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data XDG_RUNTIME_DIR=$root/runtime \
  XDG_CACHE_HOME=$root/cache QT_QPA_PLATFORM=offscreen

start_unit "$bin/rilo-unit-sim"
"$bin/rilo-cli" port COM1 "$root/unit" >/dev/null

"$bin/RILO1Q12" >"$root/window.log" 2>&1 &
window=$!
pids+=("$window")
for _ in $(seq 300); do
  [ -S "$root/runtime/RILO1Q12.socket" ] && break
  kill -0 "$window" 2>/dev/null || fail "RILO1Q12 ended at start-up: $(cat "$root/window.log")"
  sleep 0.1
done
[ -S "$root/runtime/RILO1Q12.socket" ] || fail "RILO1Q12 did not start: $(cat "$root/window.log")"

# The words the page sets in bold (.B, .BR, .BI lines), one a line.
bold=$(awk '/^\.B[IR]? / { for (i = 2; i <= NF; i++) { word = $i; gsub(/"/, "", word); print word } }' "$page")
missing=0
# Value names, with a port's number as the page writes it: PortDevice.COMn.
values=$(sed -nE 's/^"([^"]+)"=.*/\1/p' "$XDG_CONFIG_HOME/RILO1Q12/preferences.ini" | sed -E 's/COM[0-9]+$/COMn/')
for value in $values; do
  grep -qxF -- "$value" <<<"$bold" || {
    echo "$page: no preference value $value, which RILO1Q12 wrote"
    missing=1
  }
done
# Files by their folder's variable; SQLite's own companions go with their database.
files=$(cd "$root" && find config data runtime -mindepth 1 ! -type d | sed -E \
  -e 's|^config/|$XDG_CONFIG_HOME/|; s|^data/|$XDG_DATA_HOME/|; s|^runtime/|$XDG_RUNTIME_DIR/|' \
  -e 's/-(wal|shm|journal)$//' | sort -u)
for file in $files; do
  grep -qxF -- "$file" <<<"$bold" || {
    echo "$page: no file $file, which RILO1Q12 made"
    missing=1
  }
done
echo "RILO1Q12: $(wc -w <<<"$values") preference values, $(wc -w <<<"$files") files in $page"
exit "$missing"
