#!/usr/bin/env bash
# The package unpacked into a scratch folder (dpkg-deb -x, not installed):
# both programs run from there, finding their library and data.pak inside it.
#   unpacked_runs.sh DEB BINDIR LIBDIR DATADIR
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../e2e/e2e_lib.sh"
source "$here/installed_lib.sh"
deb="$1" bindir="$2" libdir="$3" datadir="$4"
[[ -f "$deb" ]] || fail "no package $deb"
work_dir="$(mktemp -d)"
dpkg-deb -x "$deb" "$work_dir/unpacked" || fail "dpkg-deb -x failed"
root="$work_dir/unpacked/usr"
check_libraries "$root" "$bindir" "$libdir"
check_capture "$root" "$bindir" "$datadir"
check_demo "$root" "$bindir" "$datadir"
