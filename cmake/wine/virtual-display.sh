#!/bin/sh
# virtual-display.sh start FOLDER: the X display of this test run. The one in DISPLAY when
# it answers, else a virtual one (Xvfb) started here and kept until "stop". Its name is
# written to FOLDER/display.
# virtual-display.sh stop FOLDER: ends the virtual display, if "start" started one.
# virtual-display.sh run FOLDER COMMAND...: runs COMMAND on the display of this test run.
# CTest runs "start" as a setup fixture and "stop" as a cleanup fixture of every Wine
# test, so a test run by name from a shell without a display gets one, and all Wine
# processes of a run share it (Wine's desktop process keeps the display it started with).
set -u
action=$1 folder=$2
shift 2
answers() { DISPLAY=$1 timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1; }

case "$action" in
  start)
    mkdir -p "$folder"
    rm -f "$folder/display"
    "$0" stop "$folder"
    if [ -n "${DISPLAY:-}" ] && answers "$DISPLAY"; then
      echo "$DISPLAY" > "$folder/display"
      exit 0
    fi
    [ -z "${DISPLAY:-}" ] || echo "DISPLAY=$DISPLAY does not answer; starting a virtual display" >&2
    command -v Xvfb >/dev/null || { echo "no X display and no Xvfb to make one (package xvfb)" >&2; exit 1; }
    # Xvfb picks a free display and writes its number to descriptor 3. It must not hold
    # CTest's output pipes open, or the fixture would never end.
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
      3>"$folder/number" </dev/null >"$folder/xvfb.log" 2>&1 &
    echo $! > "$folder/xvfb.pid"
    for _ in $(seq 50); do
      number=$(tr -dc 0-9 < "$folder/number")
      if [ -n "$number" ] && answers ":$number"; then
        echo ":$number" > "$folder/display"
        exit 0
      fi
      sleep 0.1
    done
    echo "Xvfb did not start within 5 s: $(tail -n 3 "$folder/xvfb.log")" >&2
    "$0" stop "$folder"
    exit 1
    ;;
  stop)
    if [ -f "$folder/xvfb.pid" ]; then
      kill "$(cat "$folder/xvfb.pid")" 2>/dev/null
      rm -f "$folder/xvfb.pid"
    fi
    exit 0
    ;;
  run)
    display=$(cat "$folder/display" 2>/dev/null)
    if [ -z "$display" ] || ! answers "$display"; then
      echo "no X display for this test (the display fixture, virtual-display.sh start, gave none)" >&2
      exit 1
    fi
    DISPLAY=$display exec "$@"
    ;;
  *) echo "usage: $0 start|stop FOLDER | run FOLDER COMMAND..." >&2; exit 2 ;;
esac
