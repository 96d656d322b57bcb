#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the layout a desktop and a package need:
# exactly the program, its helper, the desktop entry, the metainfo, the icons and the copyright,
# each valid by the desktop's own validators.
# usage: check-install.sh <build folder> <prefix> <bindir> <helper dir> <datadir> <application id>
set -euo pipefail
build=$1 prefix=$2 bindir=$3 helperdir=$4 datadir=$5 id=$6
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR=$stage cmake --install "$build" >/dev/null
root=$stage$prefix
sizes=(16 22 24 32 48 64 128 256)

expected=(
  "$bindir/parlora"
  "$helperdir/parlora-synth"
  "$datadir/applications/$id.desktop"
  "$datadir/metainfo/$id.metainfo.xml"
  "$datadir/doc/parlora/copyright"
  "$datadir/icons/hicolor/scalable/apps/$id.svg"
)
for size in "${sizes[@]}"; do expected+=("$datadir/icons/hicolor/${size}x${size}/apps/$id.png"); done
# Nothing else: no tests, benchmarks or tools.
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort) \
  || fail "the installed files differ from the expected list (< expected, > installed)"

for program in "$bindir/parlora" "$helperdir/parlora-synth"; do
  [ -x "$root/$program" ] && file -b "$root/$program" | grep -q '^ELF' || fail "$program is not an executable"
done

desktop=$root/$datadir/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
grep -qx "Exec=parlora" "$desktop" || fail "the desktop entry does not start parlora"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's icon is not $id"

metainfo=$root/$datadir/metainfo/$id.metainfo.xml
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli rejects the metainfo: $report"
if grep -q '^[EW]:' <<<"$report"; then fail "the metainfo has errors or warnings: $report"; fi
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launchable"

for size in "${sizes[@]}"; do
  png=$root/$datadir/icons/hicolor/${size}x${size}/apps/$id.png
  got=$(identify -format '%m %w %h' "$png" 2>/dev/null) || got="unreadable"
  [ "$got" = "PNG $size $size" ] || fail "${size}x${size} icon is $got"
done
svg=$root/$datadir/icons/hicolor/scalable/apps/$id.svg
[ "$(xmllint --xpath 'local-name(/*)' "$svg" 2>/dev/null)" = svg ] || fail "the scalable icon is not SVG"

grep -q '^License: GPL-3.0+' "$root/$datadir/doc/parlora/copyright" || fail "the copyright file names no licence"

[ "$failures" -eq 0 ] && echo "install layout: ${#expected[@]} files, all valid"
exit "$failures"
