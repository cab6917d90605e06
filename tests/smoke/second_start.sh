#!/usr/bin/env bash
# Starts the built program on a virtual X display, minimises its main window and starts it again
# on the same app folder: with -s the second start ends with status 0 and leaves the window
# minimised; without, it ends with status 0 and the running window comes back, on top and with
# the focus, still the only main window. Then the running program is killed with SIGKILL and the
# next start must run normally despite the lock and socket it left.
#
#   second_start.sh PROGRAM WINDOW-MANAGER   WINDOW-MANAGER: the stand-in built from window_manager.cpp
set -euo pipefail
program="$1"
window_manager="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/.config/Marlowin" "$scratch/run"
chmod 700 "$scratch/run"
# Past the first run: the language question and the help would come before the window.
printf '[Settings]\nLanguage=English\nshowHelp=0\n' > "$scratch/home/.config/Marlowin/Marlowin.conf"

# The real program on the virtual display, whatever platform the tests around it use.
HOME="$scratch/home" MARLOWIN_HOME="$scratch/app" XDG_CONFIG_HOME="$scratch/home/.config" \
  XDG_RUNTIME_DIR="$scratch/run" \
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -uo pipefail
    program="$0" window_manager="$1" scratch="$2"
    pids=()
    finish() {
      for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
      wait 2>/dev/null
    }
    trap finish EXIT
    fail() {
      echo "FAIL: $*" >&2
      for log in "$scratch"/*.log; do echo "--- $log" >&2; cat "$log" >&2; done
      exit 1
    }
    # within TENTHS COMMAND...: polls COMMAND every 0.1 s until it succeeds, for at most TENTHS.
    within() {
      local tenths="$1"
      shift
      for _ in $(seq 1 "$tenths"); do
        "$@" && return 0
        sleep 0.1
      done
      return 1
    }
    main_windows() { xdotool search --name "^Marlowin by " 2>/dev/null; }
    has_main_window() { [ -n "$(main_windows)" ]; }
    has_no_main_window() { [ -z "$(main_windows)" ]; }
    viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
    focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
    # Whether $1 is the topmost viewable top-level (xwininfo lists the children top first).
    topmost() {
      local top
      top=$(xwininfo -root -children | awk "/^ +0x/ { print \$1 }" | while read -r id; do
              if viewable "$id"; then printf "%d\n" "$id"; break; fi
            done)
      [ "$top" = "$1" ]
    }
    # second_start NAME ARGS...: starts the program again; it must end by itself with status 0.
    second_start() {
      local name="$1" status=0
      shift
      timeout 10 "$program" "$@" >"$scratch/$name.log" 2>&1 || status=$?
      [ "$status" -eq 0 ] || fail "$name: the second start ended with status $status (124: still running after 10 s)"
    }

    "$window_manager" >"$scratch/window_manager.out" 2>"$scratch/window_manager.log" &
    pids+=($!)
    within 50 grep -q ready "$scratch/window_manager.out" || fail "the stand-in window manager did not start"

    "$program" >"$scratch/first.log" 2>&1 &
    first=$!
    pids+=($first)
    within 150 has_main_window || fail "no main window after 15 s"
    window=$(main_windows)

    # Another window above it with the focus, then the main window minimised.
    xlogo >/dev/null 2>&1 &
    pids+=($!)
    within 50 xdotool search --name "^xlogo$" >/dev/null || fail "no xlogo window"
    other=$(xdotool search --name "^xlogo$" | head -n 1)
    within 50 viewable "$other" || fail "xlogo is not shown"
    xdotool windowfocus "$other"
    timeout 5 xdotool windowminimize --sync "$window" || fail "the main window could not be minimised"

    second_start tray -s
    # Nothing is to happen, so there is no event to wait for: watch the window for a moment.
    for _ in 1 2 3 4 5; do
      viewable "$window" && fail "a second start with -s brought the window back"
      sleep 0.1
    done

    second_start raise
    within 50 viewable "$window" || fail "a second start did not bring the minimised window back"
    within 50 topmost "$window" || fail "the window came back but not on top"
    within 50 focused "$window" || fail "the window came back without the focus"
    [ "$(main_windows | wc -l)" -eq 1 ] || fail "more than one main window: $(main_windows | tr "\n" " ")"
    kill -0 "$first" 2>/dev/null || fail "the running program ended"
    echo "second starts ended at once; -s left the window minimised, a plain start brought it back"

    kill -9 "$first"
    wait "$first" 2>/dev/null
    within 50 has_no_main_window || fail "the killed program left its window"
    "$program" >"$scratch/after_kill.log" 2>&1 &
    pids+=($!)
    within 150 has_main_window || fail "after a killed run, the next start showed no main window"
    echo "the lock of a killed run was recovered"
  ' "$program" "$window_manager" "$scratch"
