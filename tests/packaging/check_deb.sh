#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it as a user
# would meet it: the control data, the files it installs, and the unpacked
# programs evaluating the sample competition like the build tree does.
# Usage: check_deb.sh CPACK BINARY_DIR VERSION APP_ID CMAKE
set -euo pipefail
cpack=$1 binary_dir=$2 version=$3 app_id=$4 cmake=$5

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! "$cpack" --config "$binary_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
deb=$work/out/hotlap-eval_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: $deb was not made" >&2; exit 1; }

echo "== control"
dpkg-deb -I "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = hotlap-eval ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
# The fonts are loaded by name; the libraries come from the programs' links.
depends=",$(field Depends | tr -d ' '),"
for package in fonts-dejavu-core fonts-liberation2 libqt6widgets6 libpng16-16 libcurl4 libc6; do
  [[ $depends == *",$package"[,\(]* ]] || fail "Depends lacks $package"
done

echo "== contents"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/contents"
cat "$work/contents"
icons=usr/share/icons/hicolor
doc=usr/share/doc/hotlap-eval
for file in usr/bin/hotlap-eval usr/libexec/hotlap-eval/hotlap-eval-gui \
  "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml" \
  $icons/scalable/apps/hotlap-eval.svg $icons/48x48/apps/hotlap-eval.png \
  $icons/256x256/apps/hotlap-eval.png usr/share/man/man1/hotlap-eval.1.gz \
  $doc/README.md $doc/copyright $doc/examples/google_charts.txt \
  usr/lib/systemd/system/hotlap-eval.service; do
  grep -qx "$file" "$work/contents" || fail "the package lacks /$file"
done
grep -qx usr/bin/hotlap-eval-gui "$work/contents" && fail "the window program is on the PATH"

echo "== unpacked"
root=$work/root
dpkg-deb -x "$deb" "$root"
for program in usr/bin/hotlap-eval usr/libexec/hotlap-eval/hotlap-eval-gui; do
  file -b "$root/$program" | grep -q ', stripped' || fail "/$program is not stripped"
done
grep -q '^MIT License' "$root/$doc/copyright" || fail "the copyright file names no MIT licence"
zcat "$root/usr/share/man/man1/hotlap-eval.1.gz" | grep -q '^\.TH HOTLAP-EVAL 1' ||
  fail "the manual page does not unpack"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo names no release $version"
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

installed=$root/usr/bin/hotlap-eval
[ "$("$installed" --version)" = "hotlap-eval $version" ] || fail "--version: $("$installed" --version)"

# The unit starts the packaged program and keeps it as confined as systemd
# rates 2.0 ("OK") or safer.
unit=$root/usr/lib/systemd/system/hotlap-eval.service
grep -q '^ExecStart=/usr/bin/hotlap-eval serve ' "$unit" || fail "the unit starts no /usr/bin/hotlap-eval"
systemd-analyze security --offline=yes "$unit" >"$work/security" 2>&1 || true
exposure=$(sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p' "$work/security")
echo "unit exposure: ${exposure:-unknown}"
awk -v level="$exposure" 'BEGIN { exit !(level != "" && level + 0 <= 2.0) }' ||
  { cat "$work/security" >&2; fail "systemd-analyze rates the unit ${exposure:-unknown}, above 2.0"; }
# Installed elsewhere, the unit starts that install's program.
"$cmake" --install "$binary_dir" --prefix "$work/prefix" >/dev/null
grep -q "^ExecStart=$work/prefix/bin/hotlap-eval serve " \
  "$work/prefix/lib/systemd/system/hotlap-eval.service" ||
  fail "the unit of an install with --prefix does not start its own program"

# The same evaluation from the unpacked and the built program: same report,
# same chart, byte for byte.
"$binary_dir/tools/make-sample-competition" "$work/built" >/dev/null
cp -r "$work/built" "$work/unpacked"
(cd "$work" && "$binary_dir/app/hotlap-eval" --batch built >built.out 2>/dev/null) ||
  fail "the built program failed on the sample"
if (cd "$work" && "$installed" --batch unpacked >unpacked.out 2>unpacked.err); then
  cmp -s "$work/built.out" "$work/unpacked.out" || fail "the unpacked program's report differs"
  for written in "$work"/built/*.txt "$work"/built/*.png; do
    cmp -s "$written" "$work/unpacked/${written##*/}" || fail "${written##*/} differs"
  done
  head -n 3 "$work/unpacked.out"
else
  cat "$work/unpacked.err" >&2
  fail "the unpacked program failed on the sample"
fi

# Finds its window program in libexec, which then explains the missing display.
status=0
message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$installed" 2>&1) || status=$?
echo "without a display: $message (exit $status)"
[ "$status" -eq 1 ] || fail "exit status $status without a display"
[ "$(wc -l <<<"$message")" -eq 1 ] && [[ $message == *needs\ a\ display*--batch* ]] ||
  fail "no one-line hint at --batch without a display"

[ "$failures" -eq 0 ]
