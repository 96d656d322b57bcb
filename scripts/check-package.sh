#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get, starts /usr/bin/parlora under Xvfb (with a
# private PulseAudio server), checks its main window, its helper from /usr/libexec/parlora and
# where it keeps its settings, then removes the package. BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
title="Parlora v1.0 - Text Editor Mode"
work=$(mktemp -d /tmp/parlora-package.XXXXXX)
xvfb=""
program=""

cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  if dpkg-query -W -f='${Status}' parlora 2>/dev/null | grep -q 'install ok installed'; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq parlora >/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

make --no-print-directory package BUILD="$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$(realpath "$build/parlora_${version}_$(dpkg --print-architecture).deb")
[ -f "$deb" ] || fail "no package $deb"
dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Depends|Installed-Size):'
contents=$(dpkg-deb -c "$deb")
grep -q ' \./usr/libexec/parlora/parlora-synth$' <<<"$contents" || fail "the helper is not in /usr/libexec/parlora"
! grep -qE 'tst_|bench_|fuzz_' <<<"$contents" || fail "tests or benchmarks are in the package"

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
[ -x /usr/bin/parlora ] || fail "apt-get did not install /usr/bin/parlora"

# A fresh home, so the settings files' place is checked, and the user's own are left alone.
export HOME=$work/home XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -1 "$work/display")
# Started as the desktop's menu starts it: the installed desktop entry's command.
entry=$(ls /usr/share/applications/*.parlora_speech.Parlora.desktop)
command=$(sed -n 's/^Exec=//p' "$entry")
[ -n "$command" ] || fail "the desktop entry $entry has no command"
scripts/with-pulse.sh sh -c "exec $command" >"$work/parlora.log" 2>&1 &
program=$!

# The splash stands 3 s before the main window.
window=$(timeout 30 xdotool search --sync --name "^${title}\$" | head -1) \
  || { cat "$work/parlora.log" >&2; fail "no window titled \"$title\" within 30 s"; }
pid=$(xdotool getwindowpid "$window")
[ "$(readlink "/proc/$pid/exe")" = /usr/bin/parlora ] || fail "the window is not the installed program's"
helper=""
for _ in $(seq 1 50); do
  for child in $(pgrep -P "$pid" || true); do
    [ "$(readlink "/proc/$child/exe")" = /usr/libexec/parlora/parlora-synth ] && helper=$child
  done
  [ -n "$helper" ] && break
  sleep 0.1
done
[ -n "$helper" ] || fail "the program runs no helper from /usr/libexec/parlora"
sleep 1
import -display "$DISPLAY" -window root "$build/package-check.png"

[ -f "$XDG_CONFIG_HOME/parlora/Settings.ini" ] || fail "Settings.ini is not in \$XDG_CONFIG_HOME/parlora"
[ ! -e /usr/bin/Settings.ini ] || fail "the installed program wrote /usr/bin/Settings.ini"
echo "check-package: \"$title\" shown by /usr/bin/parlora (pid $pid), helper $(readlink "/proc/$helper/exe")" \
  "(pid $helper), settings in \$XDG_CONFIG_HOME/parlora; screenshot $build/package-check.png"

kill "$pid"
wait "$program" 2>/dev/null || true
program=""
DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq parlora >/dev/null
[ ! -e /usr/bin/parlora ] || fail "apt-get remove left /usr/bin/parlora"
echo "check-package: installed, started and removed $(basename "$deb") ($(stat -c %s "$deb") bytes)"
