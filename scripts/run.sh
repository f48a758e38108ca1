#!/usr/bin/env bash
# Installs what is needed, builds RILO1Q12 and starts it from its own folder (where it
# finds Ventrix, the product-line data and VerInfo.txt).
# When no real unit is configured (the port the tool opens has no device set with
# `rilo-cli port`, or it is the simulator's own link), a simulated Q12 receiver is
# started first and COM1 pointed at it, so that "讀取設定" works at once; the simulator
# stops when the tool exits.
# On a machine without a display it starts the tool under Xvfb instead, with a simulated
# unit behind COM1 and its preferences in a scratch folder, saves a screenshot of the
# main window to build/release/screenshot.png, and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target RILO1Q12 rilo-unit-sim rilo-cli rilo-screenshot
bin="$PWD/build/release/bin"

pids=()
scratch=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  for path in "${scratch[@]}"; do rm -rf "$path"; done
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Starts a simulated receiver behind the symbolic link $1, logging to $2, and waits
# until the link is in place.
start_unit() {
  "$bin/rilo-unit-sim" --role rx --link "$1" >"$2" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    [ -L "$1" ] && return
    sleep 0.1
  done
  echo "rilo-unit-sim did not start; see $2" >&2
  exit 1
}

if [ -n "${DISPLAY:-}" ]; then
  link="${XDG_RUNTIME_DIR:-/tmp}/rilo-unit-sim-$(id -u)"
  port="$("$bin/rilo-cli" port)"
  device="$("$bin/rilo-cli" port "$port" 2>/dev/null || true)"
  com1="$("$bin/rilo-cli" port COM1 2>/dev/null)"
  if [ "${device:-$link}" = "$link" ] && [ "${com1:-$link}" = "$link" ]; then
    # A simulator that another start of this script left running keeps its link.
    running="$(cat "$link.pid" 2>/dev/null || true)"
    if [ -z "$running" ] || [ "$(cat "/proc/$running/comm" 2>/dev/null)" != rilo-unit-sim ] || [ ! -L "$link" ]; then
      start_unit "$link" "$link.log"
      echo "${pids[-1]}" >"$link.pid"
      scratch+=("$link.pid")
    fi
    "$bin/rilo-cli" port COM1 "$link"
    echo "A simulated Q12 receiver is behind COM1 ($link)."
    if [ "$port" != COM1 ]; then
      echo "RILO1Q12 opens $port: choose COM1 in its port menu and start it again to reach the simulated unit."
    fi
  fi
  cd "$bin"
  ./RILO1Q12
  exit
fi

shot="$PWD/build/release/screenshot.png"
work="$(mktemp -d)"
scratch+=("$work")

start_unit "$work/unit" "$work/unit.log"
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" "$bin/rilo-cli" port COM1 "$work/unit"

# Xvfb picks a free display number and writes it to descriptor 3; its screen holds the
# whole window, which is wider than 1024 pixels.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$work/display")"

(cd "$bin" && DISPLAY="$display" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime" \
  exec ./RILO1Q12) >"$work/tool.log" 2>&1 &
pids+=($!)
DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" "$bin/rilo-screenshot" "$shot" >/dev/null
echo "No display: RILO1Q12 ran under Xvfb; its main window is in $shot"
