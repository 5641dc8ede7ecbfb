#!/usr/bin/env python3
"""The reliability table: the real glass-meridian and glass-meridian-capture run
on broken archives and with missing or failing devices, signals and a window
closed by the window manager. Each case checks the exit code, that the message
names the file or device and the fault, that the program neither crashed (no
signal, no sanitizer report) nor hung (every wait is bounded), and what it left
on disk.

  reliability.py --bin-dir DIR --case NAME [--window-close PROGRAM]
                 [--installed-data-dir DIR]
  reliability.py --list     one line per case: NAME x11|- slow|-

Broken archives are made here from the build's own data.pak. Exit 0: passed,
1: failed, 77: skipped (no X display for a case that needs one).
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile

SKIP = 77
MEMBERS = ("loadpic.jpg", "particle.jpg", "fontti.pcx", "song1.ogg")
SANITIZER_REPORT = re.compile(
    r"ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|UndefinedBehaviorSanitizer|"
    r"Segmentation fault|core dumped|terminate called|Aborted")


class Failed(Exception):
    pass


class Skipped(Exception):
    pass


# --- broken archives, made from the real one ---------------------------------

def read_members(pak):
    with zipfile.ZipFile(pak) as z:
        return {name: z.read(name) for name in z.namelist()}


def write_zip(path, members):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in members.items():
            z.writestr(name, data)


def pak_bytes(data):
    return lambda real, path: open(path, "wb").write(data)


def pak_head(fraction):
    def make(real, path):
        data = open(real, "rb").read()
        open(path, "wb").write(data[: int(len(data) * fraction)])
    return make


def pak_without(member):
    def make(real, path):
        members = read_members(real)
        del members[member]
        write_zip(path, members)
    return make


def pak_replacing(member, change):
    def make(real, path):
        members = read_members(real)
        members[member] = change(members[member])
        write_zip(path, members)
    return make


def pak_with_nameless_member(real, path):
    """The real files and one more whose name in the central directory ends
    at a folder's slash (zero bytes after it), as a damaged directory has."""
    members = read_members(real)
    members["extra/NAMELESS.jpg"] = b"bytes"
    write_zip(path, members)
    data = open(path, "rb").read()
    at = data.rfind(b"NAMELESS")  # the central directory's copy of the name
    open(path, "wb").write(data[:at] + bytes(8) + data[at + 8:])


def pcx_resized(data, width, height):
    """The same PCX header claiming another size (the body no longer fits it)."""
    header = bytearray(data[:128])
    header[8:10] = (width - 1).to_bytes(2, "little")
    header[10:12] = (height - 1).to_bytes(2, "little")
    header[66:68] = width.to_bytes(2, "little")  # bytes per line
    return bytes(header) + data[128:]


def ogg_damaged(data):
    """Every page after the headers overwritten from its middle on: the song
    opens, its audio is garbage the decoder must refuse or skip."""
    out = bytearray(data)
    for i in range(8192, len(out), 4096):
        out[i:i + 64] = bytes(64)
    return bytes(out)


# --- running a program, bounded ------------------------------------------------

class Run:
    def __init__(self, argv, cwd, env, log):
        self.log_path = log
        self.log = open(log, "wb")
        self.proc = subprocess.Popen(argv, cwd=cwd, env=env, stdout=self.log, stderr=subprocess.STDOUT,
                                     stdin=subprocess.DEVNULL, start_new_session=True)

    def wait(self, seconds, what):
        try:
            return self.proc.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.kill()
            raise Failed(f"hung: {what} within {seconds} s")

    def running(self):
        return self.proc.poll() is None

    def kill(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait(timeout=10)

    def output(self):
        self.log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")


def xdo(*args, seconds=10):
    try:
        done = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=seconds)
    except subprocess.TimeoutExpired:
        return ""
    return done.stdout.strip() if done.returncode == 0 else ""


def wait_window(name_regex, seconds, run):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ids = xdo("search", "--onlyvisible", "--name", name_regex, seconds=5).split()
        if ids:
            return ids[0]
        if not run.running():
            raise Failed(f"ended before a window named /{name_regex}/ appeared")
        time.sleep(0.1)
    raise Failed(f"no window named /{name_regex}/ within {seconds} s")


def wait_focus(window, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if xdo("getwindowfocus", "-f", seconds=5) == window:
            return
        time.sleep(0.05)
    raise Failed("the setup dialog did not take the keyboard focus")


def caption_seconds(window):
    match = re.fullmatch(r"Time: ([0-9]+\.[0-9]{6})s", xdo("getwindowname", window, seconds=5))
    return float(match.group(1)) if match else None


def wait_clock(run, seconds_wanted, limit):
    """Waits for the demo window and until its caption clock reaches
    seconds_wanted; returns the window."""
    window = wait_window(r"^Time: [0-9.]+s$", limit, run)
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        shown = caption_seconds(window)
        if shown is not None and shown >= seconds_wanted:
            return window
        if not run.running():
            raise Failed("the demo ended early")
        time.sleep(0.1)
    raise Failed(f"the caption clock did not reach {seconds_wanted} s within {limit} s")


# --- the table -------------------------------------------------------------------

# Dialog pixels of the "Lesen" check box (dialog units 18, 116 at 6 x 13 base
# units, plus a few pixels into the box): clicking it turns the engine log on.
LESEN = ("37", "196")


def case(name, program, **case_def):
    case_def["name"] = name
    case_def["program"] = program
    return case_def


ANY_FAILURE = "nonzero"
CASES = [
    # The capture tool: no dialog, the archive named with --data.
    case("capture.pak_missing", "capture", pak=None,
         rc=ANY_FAILURE, says=[r"data\.pak: not found"]),
    case("capture.pak_empty", "capture", pak=pak_bytes(b""),
         rc=ANY_FAILURE, says=[r"data\.pak: not a ZIP archive \(empty file\)"]),
    case("capture.pak_truncated", "capture", pak=pak_head(0.5),
         rc=ANY_FAILURE, says=[r"data\.pak: not a ZIP archive"]),
    case("capture.pak_not_zip", "capture", pak=pak_bytes(b"GIF89a this is not an archive\n" * 40),
         rc=ANY_FAILURE, says=[r"data\.pak: not a ZIP archive"]),
    case("capture.pak_member_without_a_name", "capture", pak=pak_with_nameless_member,
         rc=0, output=True),
    case("capture.pak_without_loadpic", "capture", pak=pak_without("loadpic.jpg"),
         rc=ANY_FAILURE, says=[r"loadpic\.jpg: no such texture"]),
    case("capture.pak_without_particle", "capture", pak=pak_without("particle.jpg"), frame_at=20000,
         rc=ANY_FAILURE, says=[r"particle\.jpg: no such texture"]),
    case("capture.pak_without_font", "capture", pak=pak_without("fontti.pcx"),
         rc=ANY_FAILURE, says=[r"fontti\.pcx: font sheet not found in data\.pak"]),
    case("capture.pak_without_song", "capture", pak=pak_without("song1.ogg"), video=True,
         rc=0, says=[r"no song1\.ogg; the video will be silent"], output=True),
    case("capture.picture_truncated", "capture",
         pak=pak_replacing("particle.jpg", lambda d: d[:200]),
         rc=ANY_FAILURE, says=[r"particle\.jpg: cannot decode picture"]),
    case("capture.picture_cut_midway", "capture",
         pak=pak_replacing("loadpic.jpg", lambda d: d[: len(d) * 3 // 5]),
         rc=ANY_FAILURE, says=[r"loadpic\.jpg: cannot decode picture \(.*cut short"]),
    case("capture.picture_of_another_format", "capture",
         pak=pak_replacing("particle.jpg", lambda d: b'<svg xmlns="http://www.w3.org/2000/svg">'),
         rc=ANY_FAILURE, says=[r"particle\.jpg: cannot decode picture \(not a JPEG"]),
    case("capture.picture_not_a_picture", "capture",
         pak=pak_replacing("loadpic.jpg", lambda d: b"this is text, not a JPEG\n" * 100),
         rc=ANY_FAILURE, says=[r"loadpic\.jpg: cannot decode picture"]),
    case("capture.font_truncated", "capture",
         pak=pak_replacing("fontti.pcx", lambda d: d[:2000]),
         rc=ANY_FAILURE, says=[r"fontti\.pcx: cannot decode picture"]),
    case("capture.font_wrong_size", "capture",
         pak=pak_replacing("fontti.pcx", lambda d: pcx_resized(d, 500, 512)),
         rc=ANY_FAILURE, says=[r"fontti\.pcx: font sheet is 500x512, not a multiple of 32x32"]),
    case("capture.song_damaged_frame", "capture", pak=pak_replacing("song1.ogg", ogg_damaged),
         frame_at=3000, rc=0, output=True),
    case("capture.song_damaged_video", "capture", pak=pak_replacing("song1.ogg", ogg_damaged), video=True,
         rc=0, says=[r"song1\.ogg: damaged .*; the video will be silent"], output=True),
    case("capture.song_not_vorbis_video", "capture", video=True,
         pak=pak_replacing("song1.ogg", lambda d: d[:58] + bytes(4000)),
         rc=0, says=[r"song1\.ogg: .*; the video will be silent"], output=True),
    # Devices.
    case("capture.no_gl_context_of_version", "capture", env={"MESA_GL_VERSION_OVERRIDE": "1.0"},
         rc=ANY_FAILURE, says=[r"video driver \"offscreen\": cannot create OpenGL context"]),
    case("capture.no_gl_library", "capture", env={"SDL_VIDEO_EGL_DRIVER": "/nonexistent/libEGL.so.1"},
         rc=ANY_FAILURE, says=[r"cannot create OpenGL context"]),
    case("capture.no_display", "capture", window=True, env={"SDL_VIDEODRIVER": "x11"}, unset=["DISPLAY"],
         rc=ANY_FAILURE, says=[r"video driver \"x11\": no display"]),
    case("capture.window_without_display", "capture", window=True, unset=["DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"],
         rc=ANY_FAILURE, says=[r"--window needs a display"]),
    case("capture.sigint_video", "capture", video=True, whole=True, interrupt=signal.SIGINT,
         rc=130, says=[r"interrupted; no half-written file left"], output=False),
    case("capture.sigterm_png_sequence", "capture", sequence=True, whole=True, interrupt=signal.SIGTERM,
         rc=130, says=[r"interrupted"]),
    # The demo: the dialog accepted with Enter, the archive beside the program.
    case("demo.pak_missing", "demo", pak=None, x11=True,
         rc=ANY_FAILURE, says=[r"Exception: data\.pak: not found"]),
    case("demo.pak_empty", "demo", pak=pak_bytes(b""), x11=True,
         rc=ANY_FAILURE, says=[r"Exception: .*data\.pak: not a ZIP archive \(empty file\)"]),
    case("demo.pak_truncated", "demo", pak=pak_head(0.3), x11=True,
         rc=ANY_FAILURE, says=[r"Exception: .*data\.pak: not a ZIP archive"]),
    case("demo.pak_without_font", "demo", pak=pak_without("fontti.pcx"), x11=True,
         rc=ANY_FAILURE, says=[r"Exception: fontti\.pcx: font sheet not found in data\.pak"]),
    case("demo.pak_without_particle", "demo", pak=pak_without("particle.jpg"), x11=True,
         rc=ANY_FAILURE, says=[r"Exception: particle\.jpg: no such texture"]),
    case("demo.picture_not_a_picture", "demo", x11=True,
         pak=pak_replacing("particle.jpg", lambda d: b"\xff\xd8\xff" + bytes(500)),
         rc=ANY_FAILURE, says=[r"Exception: particle\.jpg: cannot decode picture"]),
    case("demo.font_wrong_size", "demo", x11=True,
         pak=pak_replacing("fontti.pcx", lambda d: pcx_resized(d, 512, 500)),
         rc=ANY_FAILURE, says=[r"Exception: fontti\.pcx: font sheet is 512x500"]),
    case("demo.song_corrupt_plays_silently", "demo", x11=True, play_until=3.0,
         pak=pak_replacing("song1.ogg", lambda d: d[:58] + bytes(4000)),
         rc=0, says=[r"song1\.ogg: no sound \(.+\); playing on silently"]),
    case("demo.song_damaged_midway_plays_on", "demo", x11=True, play_until=4.0,
         pak=pak_replacing("song1.ogg", ogg_damaged), rc=0),
    case("demo.song_missing_plays_silently", "demo", x11=True, play_until=3.0, log=True,
         pak=pak_without("song1.ogg"),
         rc=0, says=[r"song1\.ogg: not in data\.pak; playing on silently"]),
    case("demo.no_audio_device", "demo", x11=True, play_until=3.0, env={"SDL_AUDIODRIVER": "nonexistent"},
         rc=0, says=[r"song1\.ogg: no sound \(.+\); playing on silently"]),
    case("demo.no_display", "demo", unset=["DISPLAY"], env={"SDL_VIDEODRIVER": "x11"},
         rc=ANY_FAILURE, says=[r"cannot open display"]),
    case("demo.no_gl_context_of_version", "demo", x11=True, env={"MESA_GL_VERSION_OVERRIDE": "1.0"},
         rc=ANY_FAILURE, says=[r"Exception: display \".*\": cannot create OpenGL context"]),
    case("demo.sigint_mid_run", "demo", x11=True, log=True, interrupt=signal.SIGINT,
         rc=0, says=[r"fluxcore: window closed"]),
    case("demo.sigterm_mid_run", "demo", x11=True, log=True, interrupt=signal.SIGTERM,
         rc=0, says=[r"fluxcore: window closed"]),
    case("demo.window_closed_by_window_manager", "demo", x11=True, log=True, close=True,
         rc=0, says=[r"fluxcore: window closed"]),
    # Xlib words the loss after the errno of the call that noticed it: "X
    # connection to :N broken" from a write (EPIPE), "XIO: fatal IO error 11
    # ... on X server ":N"" from a read that found the socket closed.
    case("demo.display_connection_lost", "demo", x11=True, kill_client=True,
         rc=ANY_FAILURE, says=[r"X connection to \S+ broken|XIO: +fatal IO error \d+ .* on X server \"\S+\""]),
    # The demo never changes the ramp, and Xvfb shows no picture through it:
    # the log shows the ramp saved at start and the window (which puts a
    # changed ramp back) released at the end.
    case("demo.gamma_saved_and_released", "demo", x11=True, log=True, play_until=1.0,
         rc=0, says=[r"gamma ramp (saved|not available)", r"fluxcore: window closed"]),
]


def env_for(case_def):
    env = dict(os.environ)
    env.setdefault("SDL_AUDIODRIVER", "dummy")
    env["GLASS_MERIDIAN_NO_MESSAGE_BOX"] = "1"  # nobody here to dismiss it
    # Sanitizer builds: libraries to keep loaded in the program (and only
    # there), so LeakSanitizer still sees Mesa's globals at exit.
    preload = env.pop("GM_SANITIZER_PRELOAD", "")
    if preload:
        env["LD_PRELOAD"] = preload
    env.update(case_def.get("env", {}))
    for name in case_def.get("unset", []):
        env.pop(name, None)
    return env


def make_archive(case_def, real, work):
    """Writes the case's data.pak into work; returns its path (None when the
    case has no archive at all)."""
    path = os.path.join(work, "data.pak")
    maker = case_def.get("pak", "real")
    if maker is None:
        return None
    if maker == "real":
        shutil.copyfile(real, path)
    else:
        maker(real, path)
    return path


def run_capture(case_def, args, work):
    capture = os.path.join(args.bin_dir, "glass-meridian-capture")
    argv = [capture, "--data", os.path.join(work, "data.pak"), "--width", "160", "--height", "120"]
    if case_def.get("window"):
        argv.append("--window")
    if case_def.get("video"):
        out = os.path.join(work, "out.mp4")
        if case_def.get("whole"):
            argv += ["--fps", "30", "--width", "320", "--height", "240"]
        else:
            argv += ["--from", "1500", "--to", "2600", "--fps", "10"]
    elif case_def.get("sequence"):
        os.mkdir(os.path.join(work, "frames"))
        out = os.path.join(work, "frames", "f%05d.png")
        argv += ["--fps", "30", "--width", "320", "--height", "240"]
    else:
        out = os.path.join(work, "out.png")
        argv += ["--frame-at", str(case_def.get("frame_at", 1000))]
    argv += ["-o", out]
    run = Run(argv, work, env_for(case_def), os.path.join(work, "output.txt"))
    try:
        if "interrupt" in case_def:
            time.sleep(2.0)
            if not run.running():
                raise Failed("the capture ended before it could be interrupted")
            run.proc.send_signal(case_def["interrupt"])
            rc = run.wait(15, "stop after the signal")
        else:
            rc = run.wait(case_def.get("limit", 120), "end")
    finally:
        run.kill()
    check(case_def, rc, run.output())  # a crash is named before what it left behind
    check_outputs(case_def, work, out)
    return rc, run.output()


def check_outputs(case_def, work, out):
    left = sorted(os.path.relpath(os.path.join(d, f), work)
                  for d, _, files in os.walk(work) for f in files)
    partial = [f for f in left if "partial" in f or f.startswith("gm-capture")]
    if partial:
        raise Failed(f"partial files left behind: {partial}")
    if case_def.get("sequence"):
        # Frames finished before the signal may stay; none may be cut short.
        for f in left:
            if f.startswith("frames/"):
                data = open(os.path.join(work, f), "rb").read()
                if not data.endswith(b"IEND\xaeB`\x82"):
                    raise Failed(f"{f} was left half written")
        return
    exists = os.path.exists(out)
    if case_def.get("output") is True and not exists:
        raise Failed(f"no output {os.path.basename(out)} written")
    if case_def.get("output") is not True and exists:
        raise Failed(f"{os.path.basename(out)} written although the run failed")


def run_demo(case_def, args, work):
    if case_def.get("x11") and not os.environ.get("DISPLAY"):
        raise Skipped("DISPLAY is not set")
    program = os.path.join(work, "glass-meridian")
    shutil.copy2(os.path.join(args.bin_dir, "glass-meridian"), program)
    # Xvfb resets when its last client leaves and refuses connections for a
    # moment; a client held open for the whole case keeps it up.
    holder = subprocess.Popen(["xprop", "-root", "-spy"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL) if case_def.get("x11") else None
    run = Run([program], work, env_for(case_def), os.path.join(work, "output.txt"))
    try:
        if not case_def.get("x11"):
            return run.wait(30, "end without a display"), run.output()
        dialog = wait_window(r"^Glass Meridian$", 30, run)
        wait_focus(dialog, 15)
        if case_def.get("log"):
            xdo("mousemove", "--window", dialog, *LESEN, "click", "1")
            time.sleep(0.2)
        xdo("key", "Return")
        if case_def.get("rc") == ANY_FAILURE and not case_def.get("kill_client"):
            return run.wait(45, "end after the failure"), run.output()
        window = wait_clock(run, case_def.get("play_until", 1.0), 60)
        if "interrupt" in case_def:
            run.proc.send_signal(case_def["interrupt"])
        elif case_def.get("kill_client"):
            # The X server drops the program's connection, as when it dies.
            xdo("windowkill", window)
        elif case_def.get("close"):
            done = subprocess.run([args.window_close, window], capture_output=True, text=True, timeout=10)
            if done.returncode != 0:
                raise Failed(f"could not close the window: {done.stderr.strip()}")
        else:
            xdo("windowfocus", "--sync", window)
            xdo("key", "Escape")
        return run.wait(15, "end"), run.output()
    finally:
        run.kill()
        if holder:
            holder.kill()
            holder.wait(timeout=10)


def check(case_def, rc, output):
    problems = []
    if rc < 0:
        problems.append(f"killed by signal {-rc}")
    report = SANITIZER_REPORT.search(output)
    if report:
        problems.append(f"crash or sanitizer report: {report.group(0)}")
    wanted = case_def["rc"]
    if wanted == ANY_FAILURE and rc == 0:
        problems.append("exit code 0 although the run failed")
    if wanted != ANY_FAILURE and rc != wanted:
        problems.append(f"exit code {rc}, expected {wanted}")
    for pattern in case_def.get("says", []):
        if not re.search(pattern, output):
            problems.append(f"no message matching /{pattern}/")
    if problems:
        raise Failed("; ".join(problems))


def table_main(cases, run_case, work_prefix):
    """The command line of a table: --list (one line per case: NAME x11|-
    slow|-), or --case NAME, run as run_case(case_def, args, work) in a fresh
    folder; it returns the program's output or raises Failed or Skipped."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin-dir")
    parser.add_argument("--case")
    parser.add_argument("--window-close")
    parser.add_argument("--installed-data-dir", default="")
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    if args.list:
        for c in cases:
            print(c["name"], "x11" if c.get("x11") else "-", "slow" if c.get("whole") else "-")
        return 0
    case_def = next((c for c in cases if c["name"] == args.case), None)
    if case_def is None:
        print(f"no case {args.case}", file=sys.stderr)
        return 1
    work = tempfile.mkdtemp(prefix=work_prefix)
    try:
        output = run_case(case_def, args, work)
    except Skipped as why:
        print(f"{case_def['name']}: skipped: {why}")
        return SKIP
    except Failed as why:
        log = os.path.join(work, "output.txt")
        print(f"FAIL {case_def['name']}: {why}")
        print("--- program output ---")
        print(open(log, "rb").read().decode("utf-8", "replace") if os.path.exists(log) else "(none)")
        return 1
    finally:
        case_def.get("cleanup", lambda work: None)(work)
        shutil.rmtree(work, ignore_errors=True)
    print(output.rstrip())
    print(f"ok {case_def['name']}")
    return 0


def run_case(case_def, args, work):
    if case_def.get("pak", "real") is None and args.installed_data_dir and \
            os.path.exists(os.path.join(args.installed_data_dir, "data.pak")):
        raise Skipped(f"an installed data.pak in {args.installed_data_dir} would be found")
    make_archive(case_def, os.path.join(args.bin_dir, "data.pak"), work)
    runner = run_capture if case_def["program"] == "capture" else run_demo
    rc, output = runner(case_def, args, work)
    check(case_def, rc, output)
    return output + f"\nexit code {rc}"


if __name__ == "__main__":
    sys.exit(table_main(CASES, run_case, "gm-reliability-"))
