#!/usr/bin/env bash
# Starts the built program on a virtual X display with a fresh home and app folder and waits for
# its main window ("Marlowin by ...") to appear.
set -euo pipefail
program="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/.config/Marlowin" "$scratch/run"
chmod 700 "$scratch/run"
# Past the first run: the language question and the help would come before the window.
printf '[Settings]\nLanguage=English\nshowHelp=0\n' > "$scratch/home/.config/Marlowin/Marlowin.conf"

# The program is killed, so the socket it answers later starts on stays behind: in $scratch/run.
# The real program on the virtual display, whatever platform the tests around it use.
HOME="$scratch/home" MARLOWIN_HOME="$scratch/app" XDG_CONFIG_HOME="$scratch/home/.config" \
  XDG_RUNTIME_DIR="$scratch/run" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$0" &
    pid=$!
    for _ in $(seq 1 100); do
      if xwininfo -root -tree | grep -q "\"Marlowin by "; then
        kill "$pid"
        echo "main window shown"
        exit 0
      fi
      sleep 0.1
    done
    kill "$pid" || true
    echo "no main window after 10 s" >&2
    exit 1
  ' "$program"
test -f "$scratch/app/feeds.fdb"
