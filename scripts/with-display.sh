#!/usr/bin/env bash
# Runs a command with an X display: the caller's, or a virtual one (Xvfb)
# started for the command and stopped after it.
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi
for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
done
: "${display:?no free display number}"
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
done
export DISPLAY=":$display"
echo "with-display: virtual display $DISPLAY" >&2
"$@"
