#!/usr/bin/env bash
# Runs every benchmark built in <build-dir>/bench and prints its figures, then a summary beside
# the targets. Needs a PulseAudio server with a default sink (scripts/with-pulse.sh starts one).
# Exits non-zero when a benchmark could not run; a missed target is reported, not fatal.
set -uo pipefail
build=${1:-build}
dir="$build/bench"
if [ ! -x "$dir/bench_first_audio" ]; then
  echo "No benchmarks in $dir: configure $build with Google Benchmark (libbenchmark-dev) installed." >&2
  exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
failed=0

run() {
  echo
  echo "=== $1"
  if ! "$dir/$@" 2>&1 | tee -a "$log"; then
    echo "*** $1 failed" | tee -a "$log"
    failed=1
  fi
}

# The same benchmark with a Flite voice, each of its lines marked "flite slt: ".
run_flite() {
  echo
  echo "=== $1 (Flite, voice slt)"
  if ! PARLORA_BENCH_VOICE=flite/slt "$dir/$@" 2>&1 | sed -u 's/^/flite slt: /' | tee -a "$log"; then
    echo "*** $1 with Flite failed" | tee -a "$log"
    failed=1
  fi
}

# The figures are wall-clock ones: other work on the machine shows in them.
echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
run bench_first_audio --benchmark_time_unit=ms
run bench_render_speed
run bench_file_kinds
run bench_event_lag
run bench_memory_growth
run bench_console_events
run bench_undo
run bench_highlight_lag
run bench_documents
run_flite bench_first_audio --benchmark_time_unit=ms
run_flite bench_render_speed 100
run_flite bench_event_lag

# One summary line: the figure captured by the regular expression's group, against its target.
check() {
  local label=$1 regex=$2 op=$3 limit=$4 unit=$5 value verdict
  value=$(sed -E -n "s#$regex#\\1#p" "$log" | head -n1)
  if [ -z "$value" ]; then
    printf '  %-34s (no figure)\n' "$label"
    return
  fi
  if awk -v v="$value" -v l="$limit" "BEGIN { exit !(v $op l) }"; then verdict="met"; else verdict="MISSED"; fi
  printf '  %-34s %10s %-3s (target %s %s): %s\n' "$label" "$value" "$unit" "$op" "$limit" "$verdict"
}

echo
echo "=== Summary"
for size in 1KB 100KB 1MB; do
  check "first audio, file stream, $size" "^first-audio $size: ([0-9.]+) ms.*" "<" 30 ms
done
for size in 1KB 100KB 1MB; do
  check "first audio, device, $size" "^first-audio device $size: ([0-9.]+) ms.*" "<" 30 ms
done
for size in 100KB 1024KB; do
  check "render wall, all synths/espeak-ng, $size" "^render ratio all/espeak-ng $size: ([0-9.]+) wall.*" "<=" 0.6 ""
  check "render CPU, all synths/espeak-ng, $size" "^render ratio all/espeak-ng $size: [0-9.]+ wall, ([0-9.]+) CPU.*" "<=" 1.1 ""
done
for kind in mp3 opus; do
  check "render time $kind/wave" "^file-kind $kind 100KB: [0-9.]+ ms, ([0-9.]+) x wave.*" "<=" 1.5 ""
done
check "Word event lag, median" "^event-lag median: ([0-9.]+) ms.*" "<" 15 ms
check "Word event lag, 99th percentile" "^event-lag p99: ([0-9.]+) ms.*" "<" 40 ms
check "stop latency (purge), median" "^stop latency: median ([-0-9.]+) ms.*" "<" 100 ms
check "stop latency (purge), max" "^stop latency: median [-0-9.]+ ms, max ([-0-9.]+) ms.*" "<" 100 ms
check "pause to silence, median" "^pause latency: median ([-0-9.]+) ms.*" "<" 30 ms
check "pause to silence, max" "^pause latency: median [-0-9.]+ ms, max ([-0-9.]+) ms.*" "<" 30 ms
check "skip latency (sentence), median" "^skip latency: median ([-0-9.]+) ms.*" "<" 100 ms
check "skip latency (sentence), max" "^skip latency: median [-0-9.]+ ms, max ([-0-9.]+) ms.*" "<" 100 ms
for size in 1KB 100KB 1MB; do
  check "Flite first audio, file, $size" "^flite slt: first-audio $size: ([0-9.]+) ms.*" "<" 30 ms
done
check "Flite first audio, device, 1KB" "^flite slt: first-audio device 1KB: ([0-9.]+) ms.*" "<" 30 ms
check "Flite render wall, one synth/flite" "^flite slt: render ratio engine/1/flite 100KB: ([0-9.]+) wall.*" "<=" 1.15 ""
check "Flite render wall, all synths/flite" "^flite slt: render ratio all/flite 100KB: ([0-9.]+) wall.*" "<=" 0.6 ""
check "Flite Word event lag, median" "^flite slt: event-lag median: ([0-9.]+) ms.*" "<" 15 ms
check "Flite Word event lag, 99th percentile" "^flite slt: event-lag p99: ([0-9.]+) ms.*" "<" 40 ms
check "memory growth, 10 MB to device" "^memory device 10MB: peak growth ([0-9.]+) MiB.*" "<" 50 MiB
check "memory growth, 10 MB to file" "^memory file 10MB: peak growth ([0-9.]+) MiB.*" "<" 50 MiB
check "console event, mean" "^console events: mean ([0-9.]+) us.*" "<" 20 us
check "console event, max (CPU time)" "^console events: .*CPU time: .*max ([0-9.]+) ms.*" "<" 5 ms
check "console event, max (wall time)" "^console events: mean .*us, max ([0-9.]+) ms;.*" "<" 5 ms
check "editor key press, 1 MB, p99" "^undo key 1MB: median [0-9.]+ ms, p99 ([0-9.]+) ms.*" "<" 5 ms
check "editor key press, 10 MB, p99" "^undo key 10MB: median [0-9.]+ ms, p99 ([0-9.]+) ms.*" "<" 50 ms
check "undo slots memory, 10 MB" "^undo memory 10MB: ([0-9.]+) MiB.*" "<" 20 MiB
check "open 10 MB text file, max" "^open 10MB: median [0-9.]+ ms, max ([0-9.]+) ms.*" "<" 1000 ms
check "highlight as painted, median" "^highlight-lag 20s-text median: ([0-9.]+) ms.*" "<=" 20 ms
check "highlight as painted, p99" "^highlight-lag 20s-text p99: ([0-9.]+) ms.*" "<=" 40 ms
check "highlight as painted, 1 MB, median" "^highlight-lag 1MB median: ([0-9.]+) ms.*" "<=" 20 ms
check "highlight as painted, 1 MB, p99" "^highlight-lag 1MB p99: ([0-9.]+) ms.*" "<=" 40 ms
check "highlight cost per word, 1 MB, p99" "^highlight cost 1MB: .*with its repaint median [0-9.]+ ms, p99 ([0-9.]+) ms.*" "<=" 5 ms
check "read 500-page PDF, median" "^documents pdf 500 pages: median ([0-9.]+) ms.*" "<" 3000 ms
check "read 2 MB EPUB, median" "^documents epub 2MB: median ([0-9.]+) ms.*" "<" 1000 ms
exit $failed
