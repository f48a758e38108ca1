# Sourced by the tests that run Windows programs under Wine (tests/wine_com_port_test.sh,
# app/wine_window_test.sh, scripts/wine_desktop_test.sh).
#   check ok|WHAT-FAILED    counts a check; a failed one is named
#   call SECONDS COMMAND... runs a command that may not hang: one still running after
#                           SECONDS is named and killed; its status
#   start_unit SIM LINK     starts a simulated receiver (rilo-unit-sim SIM) behind the
#                           link LINK, its output in LINK.log, its process id in $unit_pid,
#                           and waits until the link is there
#   report                  says "N passed, N failed"; true when none failed

passed=0 failures=0
check() {
  if [ "$1" = ok ]; then
    passed=$((passed + 1))
  else
    failures=$((failures + 1))
    echo "FAILED: $1"
  fi
}

call() {
  local seconds=$1 status=0
  shift
  timeout -k 10 "$seconds" "$@" || status=$?
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then echo "FAILED: $* hung: killed after $seconds s"; fi
  return "$status"
}

unit_pid=""
start_unit() {
  "$1" --role rx --link "$2" >"$2.log" 2>&1 &
  unit_pid=$!
  for _ in $(seq 100); do
    [ -e "$2" ] && return 0
    sleep 0.1
  done
  echo "rilo-unit-sim did not start:"
  cat "$2.log"
  return 1
}

report() {
  echo "$passed passed, $failures failed"
  [ "$failures" -eq 0 ]
}
