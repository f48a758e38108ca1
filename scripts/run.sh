#!/usr/bin/env bash
# Installs what is needed, builds RILO1Q12 and starts it from its own folder (where it
# finds Ventrix, the product-line data and VerInfo.txt).
# On a machine without a display it starts the tool under Xvfb instead, with a simulated
# unit behind COM1 and its preferences in a scratch folder, saves a screenshot of the
# main window to build/release/screenshot.png, and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target RILO1Q12 rilo-unit-sim rilo-screenshot
bin="$PWD/build/release/bin"

if [ -n "${DISPLAY:-}" ]; then
  cd "$bin"
  exec ./RILO1Q12
fi

shot="$PWD/build/release/screenshot.png"
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/rilo-unit-sim" --link "$work/unit" >"$work/unit.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "$work/unit" ] && break; sleep 0.1; done

mkdir -p "$work/config/RILO1Q12" "$work/runtime"
chmod 700 "$work/runtime"
printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\RILO1 Q10/Q12]\n"PortDevice.COM1"="%s"\n' "$work/unit" \
  >"$work/config/RILO1Q12/preferences.ini"

# Xvfb picks a free display number and writes it to descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -br -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(head -n1 "$work/display")"

(cd "$bin" && DISPLAY="$display" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
  exec ./RILO1Q12) >"$work/tool.log" 2>&1 &
pids+=($!)
DISPLAY="$display" XDG_RUNTIME_DIR="$work/runtime" "$bin/rilo-screenshot" "$shot" >/dev/null
echo "No display: RILO1Q12 ran under Xvfb; its main window is in $shot"
