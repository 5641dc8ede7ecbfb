#!/usr/bin/env python3
"""The release archive a party can show: glass-meridian-VERSION.zip with

  windows/                the Windows folder (glass-meridian.exe, fluxcore.dll, data.pak)
  linux/                  glass-meridian, libfluxcore.so.1 and every library they use that is
                          not a desktop's own (system_libraries.txt), RUNPATH $ORIGIN; data.pak;
                          run.sh, which starts it from any working folder
  glass-meridian.nfo      what it is, how to run it, the keys, the options, the credits
  file_id.diz             the same in eight lines of at most 40 columns
  screenshot.png          160x90, PNG-8, a frame made by the capture tool

and nothing else. The same inputs give the same archive byte for byte: fixed
timestamps and permissions, members in sorted order.

  make_release.py --build DIR --windows DIR --version V --date YYYY-MM-DD --out FILE.zip
  make_release.py --check-libraries FOLDER   the bundle against the policy (exit 1 on a fault)
"""
import argparse
import fnmatch
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
POLICY = os.path.join(HERE, "system_libraries.txt")
# The newest glibc the Linux half may need: Ubuntu 22.04's.
NEWEST_GLIBC = (2, 35)
# Every member's time in the archive (the earliest a ZIP can hold is 1980).
ZIP_TIME = (1980, 1, 1, 0, 0, 0)
SCREENSHOT_MS = 20000
DIZ_COLUMNS = 40

RUN_SH = """#!/bin/sh
# Glass Meridian: starts the demo from its own folder, wherever this is run from.
exec "$(dirname "$(readlink -f "$0")")/glass-meridian" "$@"
"""


class ReleaseError(Exception):
    pass


def system_patterns():
    with open(POLICY) as f:
        return [line.strip() for line in f if line.strip() and not line.startswith("#")]


def on_the_system(soname, patterns):
    return any(fnmatch.fnmatchcase(soname, p) for p in patterns)


def needed(path):
    """The DT_NEEDED sonames of an ELF file."""
    out = subprocess.run(["objdump", "-p", path], capture_output=True, text=True, check=True).stdout
    return re.findall(r"^\s*NEEDED\s+(\S+)", out, re.M)


def resolved(binary):
    """soname -> path, as the loader resolves the binary's whole tree here."""
    out = subprocess.run(["ldd", binary], capture_output=True, text=True, check=True).stdout
    found = {}
    for line in out.splitlines():
        m = re.match(r"\s*(\S+) => (\S+) \(", line)
        if m:
            found[m.group(1)] = m.group(2)
        elif "not found" in line:
            raise ReleaseError(f"{binary}: {line.strip()}")
    return found


def bundle_libraries(folder, programs, search):
    """Copies into `folder` every library the programs need that the policy
    does not leave to the system, walking the libraries it copies (but not
    the system's), and points each at $ORIGIN."""
    patterns = system_patterns()
    where = {}
    for p in programs:
        where.update(resolved(p))
    where.update(search)
    # The programs and what is already beside them (the engine library).
    todo = [lib for name in sorted(os.listdir(folder)) if name.endswith(".so.1") for lib in needed(os.path.join(folder, name))]
    todo += [lib for p in programs for lib in needed(p)]
    bundled = set()
    while todo:
        soname = todo.pop()
        if soname in bundled or on_the_system(soname, patterns) or os.path.exists(os.path.join(folder, soname)):
            continue
        source = where.get(soname)
        if not source:
            raise ReleaseError(f"{soname}: not found for the bundle")
        target = os.path.join(folder, soname)
        shutil.copyfile(os.path.realpath(source), target)
        bundled.add(soname)
        todo.extend(needed(target))
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if name == "glass-meridian" or name.endswith(".so") or ".so." in name:
            subprocess.run(["strip", "--strip-unneeded", path], check=True)
            subprocess.run(["patchelf", "--set-rpath", "$ORIGIN", path], check=True)
    return sorted(bundled)


def glibc_versions(folder):
    """The newest GLIBC_x.y symbol version each ELF file of the folder needs."""
    newest = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if name.endswith((".pak", ".sh")):
            continue
        out = subprocess.run(["objdump", "-T", path], capture_output=True, text=True).stdout
        versions = [tuple(int(x) for x in v.split(".")) for v in re.findall(r"\(GLIBC_([0-9.]+)\)", out)]
        if versions:
            newest[name] = max(versions)
    return newest


def check_libraries(folder):
    """The bundle's faults: a library neither beside the program nor the
    system's by the policy, or a glibc newer than NEWEST_GLIBC."""
    patterns = system_patterns()
    faults = []
    present = set(os.listdir(folder))
    for name in sorted(present):
        path = os.path.join(folder, name)
        if name.endswith((".pak", ".sh")):
            continue
        for soname in needed(path):
            if soname not in present and not on_the_system(soname, patterns):
                faults.append(f"{name} needs {soname}, which is neither in the folder nor the system's")
    for name, version in glibc_versions(folder).items():
        if version > NEWEST_GLIBC:
            faults.append(f"{name} needs GLIBC_{'.'.join(map(str, version))}, newer than "
                          f"{'.'.join(map(str, NEWEST_GLIBC))}")
    return faults


def make_nfo(build, version, date):
    help_text = subprocess.run([os.path.join(build, "bin", "glass-meridian"), "--help"], capture_output=True,
                               text=True, check=True).stdout
    indented = "".join(line.rstrip() + "\n" for line in help_text.splitlines())
    with open(os.path.join(HERE, "glass-meridian.nfo.in")) as f:
        text = f.read()
    return text.replace("@VERSION@", version).replace("@DATE@", date).replace("@HELP@", indented)


def make_diz(version, date):
    with open(os.path.join(HERE, "file_id.diz")) as f:
        text = f.read().replace("@VERSION@", version).replace("@DATE@", date)
    for line in text.splitlines():
        if len(line) > DIZ_COLUMNS:
            raise ReleaseError(f"file_id.diz: '{line}' is wider than {DIZ_COLUMNS} columns")
    return text


def make_screenshot(build, work):
    """The capture tool's frame at 160x90, reduced to a palette by ffmpeg."""
    frame = os.path.join(work, "frame.png")
    subprocess.run([os.path.join(build, "bin", "glass-meridian-capture"), "-o", frame, "--frame-at",
                    str(SCREENSHOT_MS), "--width", "160", "--height", "90"], check=True,
                   stdout=subprocess.DEVNULL)
    shot = os.path.join(work, "screenshot.png")
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", frame, "-vf",
                    "split[a][b];[a]palettegen=max_colors=256:stats_mode=full[p];[b][p]paletteuse=dither=none",
                    "-pix_fmt", "pal8", "-bitexact", shot], check=True)
    return shot


def add(archive, name, data, executable=False):
    """A member deflated, or stored where deflating does not make it smaller
    (data.pak's pictures and song are compressed already)."""
    info = zipfile.ZipInfo(name, date_time=ZIP_TIME)
    info.compress_type = zipfile.ZIP_DEFLATED if len(zlib.compress(data, 9)) < len(data) else zipfile.ZIP_STORED
    info.create_system = 3  # Unix: the permissions below are kept by unzip
    info.external_attr = (0o100755 if executable else 0o100644) << 16
    archive.writestr(info, data, compresslevel=9)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build")
    parser.add_argument("--windows")
    parser.add_argument("--version")
    parser.add_argument("--date")
    parser.add_argument("--out")
    parser.add_argument("--check-libraries")
    args = parser.parse_args()
    try:
        if args.check_libraries:
            faults = check_libraries(args.check_libraries)
            print("\n".join(faults) or "every library is beside the program or the system's, glibc "
                  + ".".join(map(str, max(glibc_versions(args.check_libraries).values()))) + " at most")
            return 1 if faults else 0
        with tempfile.TemporaryDirectory(prefix="gm-release-") as work:
            linux = os.path.join(work, "linux")
            os.makedirs(linux)
            bin_dir = os.path.join(args.build, "bin")
            for name in ("glass-meridian", "libfluxcore.so.1", "data.pak"):
                shutil.copyfile(os.path.realpath(os.path.join(bin_dir, name)), os.path.join(linux, name))
            with open(os.path.join(linux, "run.sh"), "w") as f:
                f.write(RUN_SH)
            bundle_libraries(linux, [os.path.join(bin_dir, "glass-meridian")],
                             {"libfluxcore.so.1": os.path.join(bin_dir, "libfluxcore.so.1")})
            faults = check_libraries(linux)
            if faults:
                raise ReleaseError("the Linux folder: " + "; ".join(faults))
            members = {}
            for name in sorted(os.listdir(linux)):
                with open(os.path.join(linux, name), "rb") as f:
                    members["linux/" + name] = (f.read(), not name.endswith(".pak"))
            for name in ("glass-meridian.exe", "fluxcore.dll", "data.pak"):
                path = os.path.join(args.windows, name)
                if not os.path.exists(path):
                    raise ReleaseError(f"{path}: not built (the Windows tree)")
                with open(path, "rb") as f:
                    members["windows/" + name] = (f.read(), False)
            members["glass-meridian.nfo"] = (make_nfo(args.build, args.version, args.date).encode("ascii"), False)
            members["file_id.diz"] = (make_diz(args.version, args.date).encode("ascii"), False)
            with open(make_screenshot(args.build, work), "rb") as f:
                members["screenshot.png"] = (f.read(), False)
            os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
            partial = args.out + ".partial"
            with zipfile.ZipFile(partial, "w") as archive:
                for name in sorted(members):
                    data, executable = members[name]
                    add(archive, name, data, executable)
            os.replace(partial, args.out)
        print(f"{args.out}: {os.path.getsize(args.out)} bytes, {len(members)} files")
        return 0
    except (ReleaseError, subprocess.CalledProcessError, OSError) as error:
        print(f"make_release.py: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
