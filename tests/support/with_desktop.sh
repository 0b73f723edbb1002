#!/usr/bin/env bash
# Runs a command on a virtual X display of its own with a window manager (openbox), where
# windows get frames, focus moves between programs and maximising is real. The display and
# the window manager stop with the command. Exit status 77 (a skip) when a tool is missing.
#   with_desktop.sh COMMAND [ARGS...]
set -euo pipefail
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "with_desktop: $tool is not installed"; exit 77; }
done

dir=$(mktemp -d /tmp/qrp-desktop-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

# Xvfb writes the free display number it took to the descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
pids+=($!)
for _ in $(seq 1 200); do [ -s "$dir/display" ] && break; sleep 0.05; done
[ -s "$dir/display" ] || { cat "$dir/xvfb.log"; echo "with_desktop: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n 1 "$dir/display")"

openbox --sm-disable 2>"$dir/openbox.log" &
pids+=($!)
for _ in $(seq 1 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null && break
  sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null ||
  { cat "$dir/openbox.log"; echo "with_desktop: openbox did not start"; exit 1; }

export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$@"
