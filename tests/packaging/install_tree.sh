#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: every file in its place with the
# right permissions, the library's SONAME and the programs' RUNPATH, the
# desktop entry and AppStream metadata valid, the icons PNGs of their sizes,
# both manual pages rendering. Then the prefix is moved elsewhere and both
# programs run from there, with the build tree out of their reach.
#   install_tree.sh BUILD-DIR APP-ID VERSION BINDIR LIBDIR INCLUDEDIR DATADIR MANDIR
# (the directories relative to the prefix, as configured)
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../e2e/e2e_lib.sh"
source "$here/installed_lib.sh"
build="$1" id="$2" version="$3" bindir="$4" libdir="$5" includedir="$6" datadir="$7" mandir="$8"
work_dir="$(mktemp -d)"
prefix="$work_dir/first prefix"  # a space: paths are quoted everywhere

cmake --install "$build" --prefix "$prefix" >"$work_dir/install.log" 2>&1 \
  || { cat "$work_dir/install.log" >&2; fail "cmake --install failed"; }

# mode FILE: the octal permissions.
mode() { stat -c %a "$1"; }
expect_file() {  # expect_file PATH MODE
  [[ -f "$prefix/$1" && ! -L "$prefix/$1" ]] || fail "missing: $1"
  [[ "$(mode "$prefix/$1")" == "$2" ]] || fail "$1: mode $(mode "$prefix/$1"), expected $2"
}
expect_file "$bindir/glass-meridian" 755
expect_file "$bindir/glass-meridian-capture" 755
expect_file "$libdir/libfluxcore.so.$version" 644
[[ "$(readlink "$prefix/$libdir/libfluxcore.so.1")" == "libfluxcore.so.$version" ]] || fail "libfluxcore.so.1 does not link to libfluxcore.so.$version"
[[ "$(readlink "$prefix/$libdir/libfluxcore.so")" == libfluxcore.so.1 ]] || fail "libfluxcore.so does not link to libfluxcore.so.1"
for header in fluxcore.h fluxcore/api.h fluxcore/base.h fluxcore/curves.h fluxcore/dms.h fluxcore/math.h fluxcore/texture.h; do
  expect_file "$includedir/$header" 644
done
expect_file "$datadir/glass-meridian/data.pak" 644
expect_file "$datadir/applications/$id.desktop" 644
expect_file "$datadir/metainfo/$id.metainfo.xml" 644
expect_file "$datadir/doc/glass-meridian/copyright" 644
expect_file "$mandir/man1/glass-meridian.1.gz" 644
expect_file "$mandir/man1/glass-meridian-capture.1.gz" 644
for size in 16 32 48 64 128 256; do
  icon="$datadir/icons/hicolor/${size}x${size}/apps/$id.png"
  expect_file "$icon" 644
  [[ "$(png_info "$prefix/$icon")" == "$size $size 6" ]] || fail "$icon: $(png_info "$prefix/$icon" 2>&1), expected ${size}x${size} RGBA"
done
[[ ! -e "$prefix/$datadir/doc/glass-meridian/changelog.Debian.gz" ]] || fail "the Debian changelog is for the package only"
echo "ok: every file in place"

soname="$(readelf -d "$prefix/$libdir/libfluxcore.so.$version" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')"
[[ "$soname" == libfluxcore.so.1 ]] || fail "SONAME '$soname', expected libfluxcore.so.1"
relative_lib="$(realpath -m --relative-to="/x/$bindir" "/x/$libdir")"
for program in glass-meridian glass-meridian-capture; do
  runpath="$(readelf -d "$prefix/$bindir/$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')"
  [[ "$runpath" == "\$ORIGIN/$relative_lib" ]] || fail "$program: RUNPATH '$runpath', expected \$ORIGIN/$relative_lib"
done
echo "ok: SONAME libfluxcore.so.1, RUNPATH \$ORIGIN/$relative_lib"

desktop-file-validate "$prefix/$datadir/applications/$id.desktop" || fail "desktop-file-validate reports errors"
appstreamcli validate --no-net "$prefix/$datadir/metainfo/$id.metainfo.xml" || fail "appstreamcli validate reports errors"
grep -qx "Exec=glass-meridian" "$prefix/$datadir/applications/$id.desktop" || fail "the desktop entry does not start glass-meridian"
grep -qx "Icon=$id" "$prefix/$datadir/applications/$id.desktop" || fail "the desktop entry does not name the icon $id"
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9]\{2\}-[0-9]\{2\}\"" "$prefix/$datadir/metainfo/$id.metainfo.xml" \
  || fail "the metadata has no release $version with a date"
grep -q '<content_rating type="oars-1.1"/>' "$prefix/$datadir/metainfo/$id.metainfo.xml" || fail "the metadata has no OARS rating"
echo "ok: desktop entry and metadata valid"

# Each page renders without a warning and shows what its program offers.
for page in "glass-meridian --fullscreen --display" "glass-meridian-capture --frame-at --contact-sheet"; do
  read -r name first second <<<"$page"
  MANPAGER=cat MANWIDTH=80 man -l "$prefix/$mandir/man1/$name.1.gz" >"$work_dir/page.txt" 2>"$work_dir/page.err" \
    || fail "man -l $name.1.gz failed: $(cat "$work_dir/page.err")"
  [[ ! -s "$work_dir/page.err" ]] || fail "man -l $name.1.gz warns: $(cat "$work_dir/page.err")"
  for want in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES "SEE ALSO" "$first" "$second" "$version"; do
    grep -qF -- "$want" "$work_dir/page.txt" || fail "the page of $name lacks '$want'"
  done
  ! gzip -dc "$prefix/$mandir/man1/$name.1.gz" | grep -qF "$build" || fail "the page of $name names the build tree"
done
echo "ok: both manual pages render"

# Somewhere else entirely: the first prefix is gone.
moved="$work_dir/moved/elsewhere"
mkdir -p "$work_dir/moved"
mv "$prefix" "$moved" || fail "cannot move the prefix"
check_libraries "$moved" "$bindir" "$libdir"
check_capture "$moved" "$bindir" "$datadir"
check_demo "$moved" "$bindir" "$datadir"
