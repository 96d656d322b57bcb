#!/usr/bin/env bash
# Checks the formatting of every C++ file and runs clang-tidy (.clang-tidy) over the program's
# sources, using the compilation database of the build folder given ($1, default build).
# Exits non-zero when a file is off its format or clang-tidy reports anything.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${JOBS:-$(nproc)}

mapfile -t cpp_files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
  'fuzz/*.cpp' 'fuzz/*.h')
echo "== clang-format: ${#cpp_files[@]} files"
clang-format --dry-run --Werror "${cpp_files[@]}"

mapfile -t sources < <(git ls-files -- 'src/*.cpp' | sed "s|^|$PWD/|")
echo "== clang-tidy: ${#sources[@]} sources"
# run-clang-tidy takes regular expressions: the whole path, anchored, keeps it to these files.
run-clang-tidy -p "$build" -quiet -j "$jobs" "${sources[@]/#/^}" 2>&1 | sed 's/\x1b\[[0-9;]*m//g' |
  grep -v '^[0-9]* warnings\? generated\.$' | grep -v '^Suppressed [0-9]* warnings' |
  grep -v '^Use -header-filter' | tee "$build/clang-tidy.log" >/dev/null
status=${PIPESTATUS[0]}
findings=$(grep -c ': \(warning\|error\): ' "$build/clang-tidy.log" || true)
echo "== clang-tidy: $findings findings"
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
  grep -A3 ': \(warning\|error\): ' "$build/clang-tidy.log" | head -200
  exit 1
fi
