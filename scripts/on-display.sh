#!/usr/bin/env bash
# Runs a command on a private X display (Xvfb) with a window manager, on Qt's xcb platform, and
# takes the display and the manager down afterwards, however the command ends.
#   scripts/on-display.sh [--wm openbox|icewm|none] [--screen 1600x1000] command args...
# PARLORA_WM and PARLORA_SCREEN give the defaults. Each run has a display of its own, so tests
# that need focus and activation can run side by side.
set -u
wm=${PARLORA_WM:-openbox}
screen=${PARLORA_SCREEN:-1600x1000}
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) wm=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
dir=$(mktemp -d /tmp/parlora-display.XXXXXX)
pids=()
stop() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; wait "${pids[i]}" 2>/dev/null; done
  rm -rf "$dir"
}
trap 'stop; exit 143' TERM INT HUP

exec 3>"$dir/displayfd"
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset >"$dir/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 1 100); do [ -s "$dir/displayfd" ] && break; sleep 0.05; done
if ! [ -s "$dir/displayfd" ]; then
  echo "on-display: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; stop; exit 1
fi
export DISPLAY=":$(head -n1 "$dir/displayfd")"
export QT_QPA_PLATFORM=xcb PARLORA_WM="$wm"

# A manager is ready once it has named itself on the root window (EWMH).
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
case "$wm" in
  none) ;;
  openbox) openbox --sm-disable >"$dir/wm.log" 2>&1 & pids+=($!) ;;
  icewm) HOME="$dir" icewm >"$dir/wm.log" 2>&1 & pids+=($!) ;;
  *) "$wm" >"$dir/wm.log" 2>&1 & pids+=($!) ;;
esac
if [ "$wm" != none ]; then
  for _ in $(seq 1 100); do wm_ready && break; sleep 0.05; done
  if ! wm_ready; then
    echo "on-display: $wm did not start" >&2; cat "$dir/wm.log" >&2; stop; exit 1
  fi
fi

"$@" &
child=$!
trap 'kill "$child" 2>/dev/null; wait "$child" 2>/dev/null; stop; exit 143' TERM INT HUP
wait "$child"
rc=$?
stop
exit $rc
