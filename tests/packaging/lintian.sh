#!/usr/bin/env bash
# lintian finds no error in the package; its warnings and notes are shown.
#   lintian.sh DEB
set -u
deb="$1"
command -v lintian >/dev/null || { echo "FAIL: lintian is not installed (package lintian)" >&2; exit 1; }
[[ -f "$deb" ]] || { echo "FAIL: no package $deb" >&2; exit 1; }
# lintian's notice about running as root (CI runs as root) is left out.
lintian --fail-on error --display-info --pedantic "$deb" 2>&1 | grep -v "running with root privileges is not recommended"
status=${PIPESTATUS[0]}
((status == 0)) || { echo "FAIL: lintian reports errors (exit $status)" >&2; exit 1; }
echo "ok: no lintian errors"
