#!/usr/bin/env bash
# Runs a command with an X server of its own: a 1280 x 1024 x 24 Xvfb screen
# without a window manager, on a display number the server picks, so GUI test
# processes that run side by side never share the pointer, the keyboard focus
# or the screen. The server goes when the command ends.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "own-display: Xvfb is not installed (Debian package xvfb)" >&2
  exit 1
fi
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
# The server writes its display number to the descriptor once it accepts
# connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
server=$!
for _ in $(seq 1 400); do
  [ -s "$dir/display" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "own-display: Xvfb did not start:" >&2
    cat "$dir/log" >&2
    exit 1
  fi
  sleep 0.025
done
if [ ! -s "$dir/display" ]; then
  echo "own-display: Xvfb gave no display number in 10 s" >&2
  kill "$server" 2>/dev/null
  exit 1
fi
export DISPLAY=":$(head -n1 "$dir/display")"
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit "$status"
