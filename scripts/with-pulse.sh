#!/usr/bin/env bash
# Runs a command with a PulseAudio server that has a null sink. A private server is started
# (and stopped afterwards) when pulseaudio is installed and none is reachable; when it cannot be
# started the command does not run and the script fails. Under the private server the tests find
# PARLORA_AUDIO_REQUIRED=1, so a test that finds no audio output fails instead of skipping.
set -u
if ! command -v pulseaudio >/dev/null 2>&1 || pactl info >/dev/null 2>&1; then
  exec "$@"
fi
if ! command -v pactl >/dev/null 2>&1; then
  echo "with-pulse.sh: pactl (pulseaudio-utils) is needed beside pulseaudio to start the private server" >&2
  exit 1
fi
dir=$(mktemp -d /tmp/parlora-pulse.XXXXXX)
export XDG_RUNTIME_DIR="$dir" PULSE_RUNTIME_PATH="$dir" HOME="${HOME:-$dir}"
export PULSE_SERVER="unix:$dir/native"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
  -L "module-null-sink sink_name=parlora_null sink_properties=device.description=Parlora_Null_Output" \
  -L "module-always-sink" >"$dir/log" 2>&1 &
pid=$!
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$dir"; }
# The server goes with this script however it ends.
trap 'stop; exit 143' TERM INT HUP
for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
# Without the server and its null sink the audio tests would only skip, and the run would pass
# without ever playing a sound.
if ! pactl list short sinks 2>/dev/null | grep -q parlora_null; then
  echo "with-pulse.sh: the private PulseAudio server with its null sink did not start:" >&2
  cat "$dir/log" >&2
  stop
  exit 1
fi
pactl set-default-sink parlora_null >/dev/null 2>&1 || true
export PARLORA_AUDIO_REQUIRED=1
"$@" &
child=$!
trap 'kill "$child" 2>/dev/null; wait "$child" 2>/dev/null; stop; exit 143' TERM INT HUP
wait "$child"
rc=$?
stop
exit $rc
