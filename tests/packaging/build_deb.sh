#!/usr/bin/env bash
# The Debian package as the README's command makes it: named for its version
# and architecture; its dependencies worked out by dpkg-shlibdeps; the shlibs
# file and the ldconfig trigger for libfluxcore.so.1; everything under /usr,
# owned by root, with Debian's permissions; programs and library stripped;
# manual pages gzipped; copyright and changelog in the doc folder.
#   build_deb.sh BUILD-DIR OUT-DIR DEB BINDIR LIBDIR
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../e2e/e2e_lib.sh"
build="$1" out="$2" deb="$3" bindir="$4" libdir="$5"
work_dir="$(mktemp -d)"

rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$work_dir/cpack.log" 2>&1 \
  || { cat "$work_dir/cpack.log" >&2; fail "cpack failed"; }
[[ -f "$deb" ]] || { ls "$out" >&2; fail "no package $deb"; }
echo "ok: $(basename "$deb"), $(stat -c %s "$deb") bytes"

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == glass-meridian ]] || fail "package name '$(field Package)'"
depends="$(field Depends)"
echo "Depends: $depends"
for library in libc6 libstdc++6 libsdl2-2.0-0 libfltk1.3 libgl1 libvorbisfile3 libx11-6 libwayland-client0; do
  [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] || fail "Depends lacks $library"
done
# The engine reads its archive and pictures itself.
for library in libsdl2-image-2.0-0 libphysfs1; do
  [[ ", $depends," != *", $library"* ]] || fail "Depends still names $library"
done
[[ ", $depends," != *", glass-meridian"* ]] || fail "the package depends on itself"

control="$work_dir/control"
dpkg-deb -e "$deb" "$control" || fail "cannot read the control files"
grep -qx "libfluxcore 1 glass-meridian (.*)" "$control/shlibs" || fail "shlibs: '$(cat "$control/shlibs" 2>&1)'"
grep -qx "activate-noawait ldconfig" "$control/triggers" || fail "no ldconfig trigger: '$(cat "$control/triggers" 2>&1)'"
[[ -s "$control/md5sums" ]] || fail "no md5sums"
echo "ok: control files"

dpkg-deb -c "$deb" >"$work_dir/contents"
awk '$6 !~ /^\.\/usr\// && $6 != "./" { print; bad = 1 } END { exit bad }' "$work_dir/contents" \
  || fail "files outside /usr"
awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work_dir/contents" || fail "files not owned by root"
entry() { awk -v p="./usr/$1" '$6 == p { print $1 }' "$work_dir/contents"; }
for f in "$bindir/glass-meridian" "$bindir/glass-meridian-capture"; do
  [[ "$(entry "$f")" == -rwxr-xr-x ]] || fail "$f: '$(entry "$f")', expected -rwxr-xr-x"
done
upstream="$(field Version)"
upstream="${upstream%-*}"
for f in "$libdir/libfluxcore.so.$upstream" share/glass-meridian/data.pak share/doc/glass-meridian/copyright \
         share/doc/glass-meridian/changelog.Debian.gz share/man/man1/glass-meridian.1.gz \
         share/man/man1/glass-meridian-capture.1.gz; do
  [[ "$(entry "$f")" == -rw-r--r-- ]] || fail "$f: '$(entry "$f")', expected -rw-r--r--"
done
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print; bad = 1 } END { exit bad }' "$work_dir/contents" \
  || fail "folders not drwxr-xr-x"
echo "ok: contents and permissions"

unpacked="$work_dir/unpacked"
dpkg-deb -x "$deb" "$unpacked" || fail "dpkg-deb -x failed"
for f in "$bindir/glass-meridian" "$bindir/glass-meridian-capture" "$libdir/libfluxcore.so.$upstream"; do
  sections="$(readelf -S -W "$unpacked/usr/$f")"
  [[ "$sections" != *" .symtab "* && "$sections" != *" .debug_info "* ]] || fail "$f is not stripped"
done
gzip -t "$unpacked/usr/share/doc/glass-meridian/changelog.Debian.gz" || fail "the changelog is not gzip"
gzip -dc "$unpacked/usr/share/doc/glass-meridian/changelog.Debian.gz" | head -n 1 \
  | grep -q "^glass-meridian ($(field Version)) " || fail "the changelog's first entry is not version $(field Version)"
echo "ok: stripped, changelog of version $(field Version)"
