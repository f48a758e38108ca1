# Sourced by the package's tests, which define fail: a scratch folder $root, removed
# on exit together with every process whose id is in pids, and start_unit.
root=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT

# start_unit RILO-UNIT-SIM [OPTION...]: a simulated unit serving behind the link
# $root/unit, or fail.
start_unit() {
  "$@" --link "$root/unit" >"$root/unit.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [ -L "$root/unit" ] && return
    sleep 0.1
  done
  fail "$1 did not start: $(cat "$root/unit.log")"
}
