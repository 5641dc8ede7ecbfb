#!/usr/bin/env bash
# The release archive as an organiser gets it: exactly the files to ship, a
# file_id.diz of at most 40 columns, a 160x90 PNG-8 screenshot, the same bytes
# when made again, and linux/ unpacked into a read-only folder with a space in
# its name: it loads no library but its own and the system's by the policy,
# plays 5 s and ends on Escape with exit 0, and writes nothing anywhere.
#   release_archive.sh ZIP MAKE_RELEASE_COMMAND...   (the command makes ZIP again)
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../e2e/e2e_lib.sh"
source "$here/installed_lib.sh"
zip="$1"; shift
[[ -f "$zip" ]] || fail "no release archive $zip"
work_dir="$(mktemp -d)"

# The listing: exactly these, nothing else.
expected="file_id.diz
glass-meridian.nfo
linux/data.pak
linux/glass-meridian
linux/libGLU.so.1
linux/libSDL2-2.0.so.0
linux/libdecor-0.so.0
linux/libfltk.so.1.3
linux/libfluxcore.so.1
linux/libogg.so.0
linux/libsamplerate.so.0
linux/libvorbis.so.0
linux/libvorbisfile.so.3
linux/run.sh
screenshot.png
windows/data.pak
windows/fluxcore.dll
windows/glass-meridian.exe"
listing="$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")"
[[ "$listing" == "$expected" ]] || fail "the archive holds:
$listing
expected:
$expected"
echo "ok: the archive holds exactly the $(wc -l <<<"$expected") files to ship"

# The same archive when made again.
"$@" --out "$work_dir/again.zip" >/dev/null || fail "making the archive again failed"
cmp -s "$zip" "$work_dir/again.zip" || fail "a second run made a different archive"
echo "ok: made again, byte for byte the same ($(stat -c %s "$zip") bytes)"

unpacked="$work_dir/Glass Meridian release"
mkdir "$unpacked"
python3 -c 'import sys, zipfile, os
with zipfile.ZipFile(sys.argv[1]) as z:
    for info in z.infolist():
        z.extract(info, sys.argv[2])
        os.chmod(os.path.join(sys.argv[2], info.filename), info.external_attr >> 16 & 0o777)' "$zip" "$unpacked" \
  || fail "cannot unpack $zip"
wide="$(awk 'length($0) > 40 { print NR ": " $0 }' "$unpacked/file_id.diz")"
[[ -z "$wide" ]] || fail "file_id.diz has lines wider than 40 columns: $wide"
[[ "$(png_info "$unpacked/screenshot.png")" == "160 90 3" ]] \
  || fail "screenshot.png is not a 160x90 PNG-8 (width height colour type: $(png_info "$unpacked/screenshot.png" 2>&1))"
echo "ok: file_id.diz within 40 columns, screenshot.png 160x90 with a palette"
python3 "$here/../../packaging/release/make_release.py" --check-libraries "$unpacked/linux" || fail "the bundle breaks the policy"
chmod -R a-w "$unpacked"

# linux/run.sh from another working folder, with a home and a temporary
# folder of its own that must stay empty.
require_display
home="$work_dir/home" tmp="$work_dir/tmp"
mkdir "$home" "$tmp"
cd "$work_dir" || fail "cannot enter $work_dir"
start_program env -u LD_LIBRARY_PATH HOME="$home" TMPDIR="$tmp" LD_DEBUG=libs,files \
  "$unpacked/linux/run.sh" --window --size 320x240 --no-sound
demo="$(window_id 30 '^Time: [0-9.]+s$')"
[[ -n "$demo" ]] || fail "no demo window with a 'Time: ...s' caption"
deadline=$((SECONDS + 60))
until seconds="$(caption_seconds "$demo" 2>/dev/null)" && ((${seconds%%.*} >= 5)); do
  ((SECONDS < deadline)) || fail "the demo did not reach 5 s within a minute"
  kill -0 "$program_pid" 2>/dev/null || fail "the demo ended before 5 s"
  sleep 0.2
done
timeout 5 xdotool windowfocus --sync "$demo" && timeout 5 xdotool key Escape || fail "xdotool could not press Escape"
wait_exit 10 || fail "the demo did not end within 10 s of Escape"
((program_rc == 0)) || fail "exit code $program_rc, expected 0"
echo "ok: linux/run.sh played 5 s from a read-only folder and ended on Escape"

# Every library loaded came from the folder, or is the system's by the
# policy, or was loaded by such a system library (its driver, say).
python3 - "$program_log" "$unpacked/linux" "$here/../../packaging/release/system_libraries.txt" <<'PY' || fail "libraries loaded from outside the policy"
import fnmatch, os, re, sys
log, folder, policy = sys.argv[1:]
patterns = [l.strip() for l in open(policy) if l.strip() and not l.startswith("#")]
system = lambda path: any(fnmatch.fnmatchcase(os.path.basename(path), p) for p in patterns)
loaded_by, paths = {}, {}
for line in open(log, errors="replace"):
    m = re.search(r"file=(.+?) \[\d+\];\s+(?:needed|dynamically loaded) by (.+?) \[\d+\]", line)
    if m:
        loaded_by.setdefault(m.group(1), m.group(2))
    m2 = re.search(r"calling init: (.+?)(?: \[\d+\])?\s*$", line)
    if m2:
        paths[os.path.basename(m2.group(1))] = m2.group(1)
faults = []
for name, path in sorted(paths.items()):
    if path.startswith(folder + "/") or system(path) or name.startswith("ld-linux"):
        continue
    # Walk who asked for it: a system library's own needs are its own.
    asker, seen = loaded_by.get(name) or loaded_by.get(path), set()
    while asker and asker not in seen:
        seen.add(asker)
        if system(asker) and not asker.startswith(folder):
            break
        asker = loaded_by.get(os.path.basename(asker)) or loaded_by.get(asker)
    if not (asker and system(asker) and not asker.startswith(folder)):
        faults.append(f"{path} (loaded by {loaded_by.get(name) or loaded_by.get(path)})")
ours = sum(p.startswith(folder + "/") for p in paths.values())
print(f"{len(paths)} libraries loaded, {ours} from the folder")
if ours < 5:
    sys.exit("the loader's trace shows too few of the folder's libraries to judge")
if faults:
    print("loaded from outside the folder and the policy:\n  " + "\n  ".join(faults))
    sys.exit(1)
PY
left="$(find "$home" "$tmp" -mindepth 1 | head -n 5)"
[[ -z "$left" ]] || fail "the demo wrote: $left"
echo "ok: every library from the folder or the system's by the policy; nothing written"
