#!/usr/bin/env bash
# The close box closes the window at once, at every moment after the start,
# also on a busy machine: the window manager's close request
# (WM_DELETE_WINDOW, sent by vitrel-send-close as a close box does) is sent at
# several moments after the window appeared, with no stick and with a stick
# that stopped reading, while two processes keep the processor busy and every
# fsync takes seconds (as on a disk busy with a build). The window must be
# gone within a second and a half; the program must then end, its exit save
# made.
#
# Usage: close_box_test.sh RUN_DIR SEND_CLOSE SLOW_SYNC_LIBRARY (needs DISPLAY)
set -u
run_dir=$(cd "$1" && pwd)
send_close=$(realpath "$2")
slow_sync=$(realpath "$3")
[ -n "${DISPLAY:-}" ] || { echo "no display"; exit 1; }
export GST_PLUGIN_FEATURE_RANK=xvimagesink:NONE,glimagesink:NONE

work=$(mktemp -d)
busy=()
cleanup() {
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
for _ in 1 2; do
  yes >/dev/null &
  busy+=($!)
done

running() { local state; state=$(ps -o stat= -p "$1"); [ -n "$state" ] && [[ $state != Z* ]]; }
shown() { "$send_close" --check "Vitrel Interface"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

failures=0
try=0
for stick in none stalled; do
  for delay in 0 1 2.5; do
    try=$((try + 1))
    folder="$work/try$try"
    mkdir -p "$folder"
    for item in VitrelTreatmentsList.xml VitrelFrequencyMeasurement.csv share docs locale; do
      ln -s "$run_dir/$item" "$folder/$item"
    done
    sim=""
    ports=""
    if [ "$stick" = stalled ]; then
      "$run_dir/vitrel-stick-sim" --control "$folder/control" "$folder/stick" >"$folder/sim.out" &
      sim=$!
      for _ in $(seq 100); do grep -q ready "$folder/sim.out" && break; sleep 0.05; done
      ports="::$folder/stick"
    fi
    # An instrumented build would refuse a library loaded before its runtime.
    (cd "$folder" && VITREL_SERIAL_PORTS="$ports" VITREL_SLOW_SYNC_MS=2000 LD_PRELOAD="$slow_sync" \
      ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
      exec "$run_dir/vitrel" >"$folder/out.txt" 2>&1) &
    program=$!
    for _ in $(seq 300); do shown && break; sleep 0.1; done
    [ -n "$sim" ] && echo "stall on" >"$folder/control"
    sleep "$delay"
    what="$stick stick, close sent ${delay} s after the window appeared"
    sent=$(now_ms)
    if ! "$send_close" "Vitrel Interface"; then
      echo "FAIL: $what: no window to close"
      failures=$((failures + 1))
    else
      while shown && [ $(($(now_ms) - sent)) -lt 1500 ]; do sleep 0.05; done
      if shown; then
        echo "FAIL: $what: the window was still there 1.5 s later"
        failures=$((failures + 1))
      else
        echo "ok: $what: the window went within $(($(now_ms) - sent)) ms"
      fi
    fi
    for _ in $(seq 300); do running "$program" || break; sleep 0.1; done
    if running "$program"; then
      echo "FAIL: $what: the program still ran 30 s later"
      failures=$((failures + 1))
      kill "$program"
    elif [ ! -f "$folder/AdvancedSettings.xml" ]; then
      echo "FAIL: $what: the exit save was not made"
      failures=$((failures + 1))
    fi
    wait "$program" 2>/dev/null
    if [ -n "$sim" ]; then kill "$sim"; wait "$sim" 2>/dev/null; fi
  done
done
[ "$failures" = 0 ]
