#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks the installed layout, then starts the
# installed program as a new user would (empty home, no MARLOWIN_HOME, default XDG folders) on a
# virtual display: its first window must appear and its app folder must be seeded from the
# install's share/marlowin.
#
#   installed_program.sh BUILD-DIR PROGRAM   PROGRAM: the built marlowin, to name the installed one
set -euo pipefail
build="$1"
program_name="$(basename "$2")"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" || {
  cat "$scratch/install.log" >&2
  fail "cmake --install failed"
}

shipped=(default.fdb view.tpl email.tpl Localization.txt notify.wav Help.html)
expected=(
  "bin/$program_name" bin/marlowin-check
  share/applications/marlowin.desktop
  share/metainfo/org.marlowin.Marlowin.metainfo.xml
  share/icons/hicolor/scalable/apps/marlowin.svg
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/marlowin.png")
done
for name in "${shipped[@]}"; do
  expected+=("share/marlowin/$name")
done
for path in "${expected[@]}"; do
  [ -s "$prefix/$path" ] || fail "not installed: $path"
done
for path in "bin/$program_name" bin/marlowin-check; do
  [ -x "$prefix/$path" ] || fail "not executable: $path"
done
# Developer tools and test programs stay in the build tree.
unexpected=$(find "$prefix/bin" -type f ! -name "$program_name" ! -name marlowin-check)
[ -z "$unexpected" ] || fail "installed but not meant for users: $unexpected"

# The source tree's resources/ hold the same files, and a program that missed its share folder
# would seed from there: mark the installed copy so that the seeded file tells which one it was.
echo '<!-- installed copy -->' >>"$prefix/share/marlowin/Help.html"

home="$scratch/home"
mkdir -p "$home" "$scratch/bin" "$scratch/run"
chmod 700 "$scratch/run"
# The first run opens the help with the desktop's handler; here that must start nothing.
printf '#!/bin/sh\nexit 0\n' >"$scratch/bin/xdg-open"
chmod +x "$scratch/bin/xdg-open"
app="$home/.local/share/Marlowin"
# The first run asks for the language ("Change Language"); once it is answered, the main window
# ("Marlowin by ...") shows the tree of default.fdb. A picture of it is kept in the build tree.
shot="$build/Testing/installed-first-run.xwd"
mkdir -p "$build/Testing"
# The session's runtime folder is a scratch one: the killed program leaves its socket there.
# The real program on the virtual display, whatever platform the tests around it use.
env -u MARLOWIN_HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" PATH="$scratch/bin:$PATH" \
  XDG_RUNTIME_DIR="$scratch/run" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$0" >"$1/program.log" 2>&1 &
    pid=$!
    wait_for() {
      for _ in $(seq 1 300); do
        xwininfo -root -tree | grep -qE "\"$1\":" && return 0
        kill -0 "$pid" 2>/dev/null || { echo "the program ended early" >&2; return 1; }
        sleep 0.1
      done
      echo "no window \"$1\" after 30 s" >&2
      return 1
    }
    finish() { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; cat "$1/program.log" >&2; }
    wait_for "Change Language" || { finish "$1"; exit 1; }
    sleep 0.5
    xdotool search --name "^Change Language$" windowfocus --sync key --clearmodifiers Return || true
    wait_for "Marlowin by [^\"]*" || { finish "$1"; exit 1; }
    sleep 1
    xwd -root -silent >"$2" || exit 1
    kill "$pid"
    wait "$pid" || true
  ' "$prefix/bin/$program_name" "$scratch" "$shot" || fail "the installed program did not start as on a first run"
[ -s "$app/feeds.fdb" ] || fail "no feeds.fdb in the app folder"
grep -q "Language=English" "$home/.config/Marlowin/Marlowin.conf" || fail "the first run stored no language"

for name in "${shipped[@]}"; do
  cmp -s "$prefix/share/marlowin/$name" "$app/$name" || fail "app folder not seeded with $name"
done
cmp -s "$app/default.fdb" "$app/feeds.fdb" || fail "feeds.fdb is not a copy of default.fdb"
echo "installed layout complete; the installed program asked for the language, seeded the app folder and showed its main window ($shot)"
