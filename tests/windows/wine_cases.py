#!/usr/bin/env python3
"""The Windows build under Wine: the setup dialog, frames, exports, sound,
failures, the command line and the shipped zip.

  wine_cases.py prefix --prefix DIR
  wine_cases.py CASE --prefix DIR --dist DIR --bin-dir DIR --probe EXE --grab EXE [--zip FILE] [--song OGG]

`prefix` makes the Wine prefix all cases share (wineboot --init, once per
test run). Every other case runs on the X server run_on_xvfb.sh made, ends
with its Wine session (wineserver -k), and so runs alone on the prefix (the
tests hold one resource lock). gm-win-probe.exe, run in the same Wine
session, reads the dialog's controls, the message box and the demo window's
client area; gm-x-grab reads pictures off the X screen.

Cases:
  dialog          caption, German texts, first state, placement, the banner's
                  picture; Enter starts the demo, Escape ends it with exit 0
  pointer_monitor two monitors side by side (GM_XVFB_MONITORS), the pointer on
                  the second: the dialog is centred in that monitor's work area
  declined        Escape, and Tab to "Niemals" then Enter, decline: exit 0
  arrow_choice    --dialog --window: Up chooses 1280*1024, the demo's window
                  then has that client size
  frames          the picture paused at several demo times against the Linux
                  capture tool's frames at the same times
  exports         the .exe exports Path's and the copy operations, fluxcore.dll
                  the dms* operations
  sound           the song through winepulse into a PulseAudio null sink of the
                  case's own: heard (gm-sync-check), the offsets reported
  no_data         without data.pak: the message box names it, exit 1; with the
                  box off, stderr does
  command_line    --help and --version exit 0, bad options 2, with their texts
  zip             exactly the files to ship, unpacked read-only: plays 5 s, ends
                  on Escape with exit 0, nothing new in the prefix's user folders

Every wait is bounded and says what it waited for. Exit 0: the case holds;
1: it does not; 77: skipped (no display).
"""
import argparse
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "web"))
sys.path.insert(0, os.path.join(HERE, "..", "pulse"))
from devtools import decode_png  # noqa: E402
from web_page_test import MAX_FAR_SHARE, MAX_MEAN, compare  # noqa: E402

SKIP = 77
CAPTION = "Glass Meridian"
SHIPPED = {"glass-meridian.exe", "fluxcore.dll", "data.pak"}
# The dialog's controls in template order, as the dialog model's table has them.
TEXTS = ["Vielleicht", "Niemals", "1280*1024", "1024*768", "800*600", "640*480", "Sehen", "Hören", "Warten",
         "Lesen", "", "Wünsche", "Wirklichkeit", "", "", ""]
FRAME_TIMES_MS = (1000, 5000, 20000, 35000, 46000)
FRAME_SIZE = (640, 480)


class Failed(Exception):
    pass


def wait_until(what, seconds, condition, interval=0.1):
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failed(f"waited {seconds:g} s for {what}")
        time.sleep(interval)


def wine_env(prefix, **extra):
    env = dict(os.environ)
    env.update({"WINEPREFIX": prefix, "WINEARCH": "win64", "WINEDEBUG": "-all",
                "WINEDLLOVERRIDES": "mscoree,mshtml=",
                # No sound server unless the case starts one: winepulse gives up at once.
                "PULSE_SERVER": "unix:/nonexistent-gm-pulse"})
    env.pop("GLASS_MERIDIAN_NO_MESSAGE_BOX", None)
    env.update(extra)
    return env


class Program:
    """A Windows program under Wine, its output in files of the case's folder."""

    def __init__(self, work, name, exe, args, env, cwd=None):
        self.out = os.path.join(work, name + ".out")
        self.err = os.path.join(work, name + ".err")
        with open(self.out, "wb") as out, open(self.err, "wb") as err:
            self.proc = subprocess.Popen(["wine", exe, *args], env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                         stdout=out, stderr=err, start_new_session=True)

    def running(self):
        return self.proc.poll() is None

    def wait(self, seconds, what):
        try:
            return self.proc.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            raise Failed(f"waited {seconds:g} s for the program to {what}\n{self.output()}") from None

    def text(self, which):
        with open(self.out if which == "out" else self.err, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def output(self):
        return f"--- stdout ---\n{self.text('out')[-3000:]}\n--- stderr ---\n{self.text('err')[-3000:]}"

    def kill(self):
        if self.running():
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait(timeout=10)


class Case:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.env = wine_env(args.prefix)
        self.programs = []

    def start(self, *options, env=None, cwd=None, exe=None, name="demo"):
        program = Program(self.work, name, exe or os.path.join(self.args.dist, "glass-meridian.exe"), options,
                          env or self.env, cwd)
        self.programs.append(program)
        return program

    def probe(self, what, seconds, program=None):
        """The probe's lines for the window `what`, waiting at most `seconds`.
        Its output goes through a file: a Wine service the probe's start may
        launch keeps a pipe open long after the probe has ended."""
        path = os.path.join(self.work, "probe.out")
        with open(path, "wb") as out:
            probe = subprocess.Popen(["wine", self.args.probe, what, str(seconds)], env=self.env,
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + seconds + 60
        while probe.poll() is None:
            if program and not program.running():
                probe.kill()
                probe.wait(timeout=10)
                raise Failed(f"the program ended before its {what} window showed\n{program.output()}")
            if time.monotonic() > deadline:
                probe.kill()
                probe.wait(timeout=10)
                raise Failed(f"gm-win-probe {what} did not answer")
            time.sleep(0.1)
        rc = probe.returncode
        if rc != 0:
            detail = program.output() if program else ""
            raise Failed(f"no {what} window within {seconds} s\n{detail}")
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace").splitlines()

    def dialog(self, program):
        lines = self.probe("dialog", 60, program)
        facts = {"controls": []}
        for line in lines:
            if line.startswith("control "):
                fields = dict(re.findall(r"(\w+)=(\S*)", line.split(" text=")[0]))
                fields["text"] = line.split(" text=", 1)[1]
                facts["controls"].append(fields)
            else:
                key, _, value = line.partition(" ")
                facts[key] = value
        return facts

    def demo_window(self, program):
        lines = self.probe("demo", 90, program)
        caption = next(l[8:] for l in lines if l.startswith("caption "))
        m = re.search(r"client (\d+) (\d+) at (-?\d+) (-?\d+)", "\n".join(lines))
        return caption, tuple(int(v) for v in m.groups())

    def end(self):
        for p in self.programs:
            p.kill()
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60, capture_output=True)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60, capture_output=True)


def xdo(*args):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=20)
    if done.returncode != 0:
        raise Failed(f"xdotool {' '.join(args)} failed: {done.stderr.strip()}")
    return done.stdout.strip()


def x_window(pattern, seconds, program):
    def found():
        if not program.running():
            raise Failed(f"the program ended before a window named {pattern} showed\n{program.output()}")
        done = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern], capture_output=True,
                              text=True, timeout=10)
        ids = done.stdout.split()
        return ids[0] if ids else None
    return wait_until(f"an X window named {pattern}", seconds, found)


def press(window, *keys):
    """Keys to the X window, which first takes the keyboard focus."""
    xdo("windowfocus", "--sync", window)
    xdo("key", "--delay", "60", *keys)


def caption_time(window):
    title = xdo("getwindowname", window)
    m = re.match(r"Time: ([0-9.]+)s", title)
    return float(m.group(1)) if m else None


def grab(args, work, x, y, width, height, name):
    path = os.path.join(work, name + ".ppm")
    subprocess.run([args.grab, str(x), str(y), str(width), str(height), path], check=True, timeout=30)
    with open(path, "rb") as f:
        data = f.read()
    header = data.split(b"\n", 3)
    return width, height, header[3]


def read_bmp8(path):
    """(width, height, RGB bytes) of an 8-bit bottom-up BMP with a palette."""
    with open(path, "rb") as f:
        d = f.read()
    offset = int.from_bytes(d[10:14], "little")
    width, height = int.from_bytes(d[18:22], "little"), int.from_bytes(d[22:26], "little")
    palette = d[54:54 + 1024]
    stride = (width + 3) // 4 * 4
    rgb = bytearray()
    for row in range(height - 1, -1, -1):
        for index in d[offset + row * stride:offset + row * stride + width]:
            rgb += bytes((palette[index * 4 + 2], palette[index * 4 + 1], palette[index * 4]))
    return width, height, bytes(rgb)


def check_exit(program, seconds, want, what):
    rc = program.wait(seconds, what)
    if rc != want:
        raise Failed(f"exit code {rc} after {what}, not {want}\n{program.output()}")


def check_dialog_state(facts, radio, boxes):
    controls = facts["controls"]
    texts = [c["text"] for c in controls]
    if texts != TEXTS:
        raise Failed(f"the dialog's texts are {texts}, not {TEXTS}")
    checked = {int(c["id"]): c["checked"] == "1" for c in controls if c["class"] == "Button" and c["id"] != "0"}
    want = {i: (i == radio) for i in range(1001, 1005)}
    want.update({1005 + k: on for k, on in enumerate(boxes)})
    got = {i: checked[i] for i in want}
    if got != want:
        raise Failed(f"the dialog shows {got}, not {want}")


# --- cases ------------------------------------------------------------------

def case_prefix(args, work):
    shutil.rmtree(args.prefix, ignore_errors=True)
    env = wine_env(args.prefix)
    done = subprocess.run(["wineboot", "--init"], env=env, capture_output=True, text=True, timeout=300)
    subprocess.run(["wineserver", "-w"], env=env, timeout=120)
    if done.returncode != 0 or not os.path.isdir(os.path.join(args.prefix, "drive_c", "users")):
        raise Failed(f"wineboot --init failed ({done.returncode}):\n{done.stderr[-3000:]}")
    print(f"prefix made: {args.prefix}")


def case_dialog(case):
    program = case.start()
    facts = case.dialog(program)
    if facts.get("caption") != CAPTION:
        raise Failed(f"the dialog's caption is {facts.get('caption')!r}")
    window = x_window(f"^{CAPTION}$", 30, program)
    if xdo("getwindowname", window) != CAPTION:
        raise Failed("the X window's name is not the caption")
    check_dialog_state(facts, 1002, [True, True, True, False])
    focused = [c["id"] for c in facts["controls"] if c["focused"] == "1"]
    if focused != ["1"] or facts.get("foreground") != "1":
        raise Failed(f"focus on {focused}, foreground {facts.get('foreground')}: not on \"Vielleicht\" in front")
    # Centred in the work area of the pointer's (the only) monitor.
    wx, wy, ww, wh = (int(v) for v in facts["window"].split())
    ax, ay, aw, ah = (int(v) for v in facts["work"].split())
    if abs(wx - (ax + (aw - ww) // 2)) > 1 or abs(wy - (ay + (ah - wh) // 2)) > 1:
        raise Failed(f"the dialog at {wx},{wy} ({ww}x{wh}) is not centred in the work area {facts['work']}")
    # The banner: the static bitmap control shows banner.bmp.
    banner = next(c for c in facts["controls"] if c["class"] == "Static")
    bx, by, bw, bh = (int(v) for v in banner["rect"].split(","))
    want = read_bmp8(os.path.join(case.args.gen_dir, "banner.bmp"))
    if (bw, bh) != want[:2]:
        raise Failed(f"the banner control is {bw}x{bh}, the banner {want[0]}x{want[1]}")
    mean, far = compare(grab(case.args, case.work, bx, by, bw, bh, "banner"), want)
    print(f"banner on screen against banner.bmp: mean absolute difference {mean:.2f}, {far * 100:.2f} % far off")
    if mean > 1.0:
        raise Failed("the banner is not shown")
    press(window, "Return")
    caption, client = case.demo_window(program)
    print(f"Enter started the demo: caption {caption!r}, client {client[0]}x{client[1]}")
    demo = x_window("^Time: ", 30, program)
    press(demo, "Escape")
    check_exit(program, 60, 0, "Escape")


X11_DRIVER_KEY = r"HKCU\Software\Wine\X11 Driver"


def case_pointer_monitor(case):
    # Wine reads the monitors of an X server without CRTCs (Xvfb's) through
    # Xinerama only, which the X11 driver uses when told to leave RandR alone.
    subprocess.run(["wine", "reg", "add", X11_DRIVER_KEY, "/v", "UseXRandR", "/d", "N", "/f"], env=case.env,
                   capture_output=True, timeout=120, check=True)
    try:
        case.end()  # the setting is read when the Wine session starts
        xdo("mousemove", "1900", "300")
        program = case.start()
        facts = case.dialog(program)
        wx, wy, ww, wh = (int(v) for v in facts["window"].split())
        ax, ay, aw, ah = (int(v) for v in facts["work"].split())
        print(f"the pointer at 1900,300: the dialog at {wx},{wy} ({ww}x{wh}) in the work area {aw}x{ah}+{ax}+{ay}")
        if (ax, aw) != (1280, 1280):
            raise Failed("the dialog is not on the monitor that holds the pointer")
        if abs(wx - (ax + (aw - ww) // 2)) > 1 or abs(wy - (ay + (ah - wh) // 2)) > 1:
            raise Failed("the dialog is not centred in that monitor's work area")
        press(x_window(f"^{CAPTION}$", 30, program), "Escape")
        check_exit(program, 60, 0, "Escape in the dialog")
    finally:
        subprocess.run(["wine", "reg", "delete", X11_DRIVER_KEY, "/v", "UseXRandR", "/f"], env=case.env,
                       capture_output=True, timeout=120)


def case_declined(case):
    program = case.start(name="escape")
    case.dialog(program)
    press(x_window(f"^{CAPTION}$", 30, program), "Escape")
    check_exit(program, 60, 0, "Escape in the dialog")
    program = case.start(name="niemals")
    case.dialog(program)
    press(x_window(f"^{CAPTION}$", 30, program), "Tab")
    def on_niemals():
        focused = [c["id"] for c in case.dialog(program)["controls"] if c["focused"] == "1"]
        return focused == ["2"]
    wait_until("Tab to move the focus to \"Niemals\"", 60, on_niemals, 0.2)
    press(x_window(f"^{CAPTION}$", 30, program), "Return")
    check_exit(program, 60, 0, "Enter on \"Niemals\"")
    for p in case.programs:
        if "Exception" in p.text("err"):
            raise Failed(f"a declined dialog reported a failure\n{p.output()}")


def case_arrow_choice(case):
    program = case.start("--dialog", "--window", "--no-sound")
    facts = case.dialog(program)
    check_dialog_state(facts, 1002, [False, False, True, False])  # preset from the command line
    window = x_window(f"^{CAPTION}$", 30, program)
    # From "Vielleicht" back through every control: Lesen ... 640*480 ... 1280*1024.
    press(window, *["Up"] * 8)
    def chosen():
        controls = case.dialog(program)["controls"]
        return any(c["id"] == "1001" and c["checked"] == "1" and c["focused"] == "1" for c in controls)
    wait_until("Up to choose 1280*1024", 60, chosen, 0.2)
    press(window, "Return")
    caption, client = case.demo_window(program)
    if client[:2] != (1280, 1024):
        raise Failed(f"the demo's client area is {client[0]}x{client[1]}, not 1280x1024")
    print(f"Up chose 1280*1024: the demo's client area is {client[0]}x{client[1]}")
    press(x_window("^Time: ", 30, program), "Escape")
    check_exit(program, 60, 0, "Escape")


def case_frames(case):
    failures = []
    width, height = FRAME_SIZE
    for ms in FRAME_TIMES_MS:
        program = case.start("--window", "--no-sound", "--no-vsync", "--size", f"{width}x{height}",
                             "--start", str(ms), name=f"frames-{ms}")
        window = x_window("^Time: ", 90, program)
        press(window, "space")
        # Paused: the caption stands still between two reads.
        last = [None]
        def settled():
            now = caption_time(window)
            same = now is not None and now == last[0]
            last[0] = now
            return same
        wait_until("the demo to pause", 30, settled, 0.3)
        paused_ms = round(last[0] * 1000.0)
        _, client = case.demo_window(program)
        if client[:2] != (width, height):
            raise Failed(f"the demo's client area is {client[0]}x{client[1]}, not {width}x{height}")
        shown = grab(case.args, case.work, client[2], client[3], width, height, f"shown-{ms}")
        press(window, "Escape")
        check_exit(program, 60, 0, "Escape")
        case.end()  # a fresh Wine session for the next start
        reference = os.path.join(case.work, f"capture-{paused_ms}.png")
        subprocess.run([os.path.join(case.args.bin_dir, "glass-meridian-capture"), "-o", reference, "--frame-at",
                        str(paused_ms), "--width", str(width), "--height", str(height)], check=True, timeout=180,
                       stdout=subprocess.DEVNULL)
        with open(reference, "rb") as f:
            mean, far = compare(shown, decode_png(f.read()))
        verdict = "ok" if mean <= MAX_MEAN and far <= MAX_FAR_SHARE else "DIFFERS"
        print(f"--start {ms:5d}, paused at {paused_ms:5d} ms: mean absolute difference {mean:.2f} "
              f"(at most {MAX_MEAN}), {far * 100:.2f} % of pixels off by more than 64 "
              f"(at most {MAX_FAR_SHARE * 100:.1f} %): {verdict}")
        if verdict != "ok":
            failures.append(paused_ms)
    if failures:
        raise Failed(f"the frames at {failures} ms differ from the capture tool's")


def exported(path):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True, text=True,
                          timeout=60, check=True).stdout
    names = re.findall(r"^\s*\[\s*\d+\]\s+(\S+)$", dump.split("[Ordinal/Name Pointer] Table", 1)[-1], re.M)
    demangled = subprocess.run(["x86_64-w64-mingw32-c++filt"], input="\n".join(names), capture_output=True,
                               text=True, timeout=60, check=True).stdout
    return "\n" + demangled


def case_exports(case):
    source = os.path.join(HERE, "..")
    checks = [("glass-meridian.exe", os.path.join(source, "curves", "exports.txt"), lambda w: True),
              ("fluxcore.dll", os.path.join(source, "engine", "exports.txt"), lambda w: "::dms" in w)]
    missing = []
    for binary, listing, wanted in checks:
        symbols = exported(os.path.join(case.args.dist, binary))
        with open(listing) as f:
            names = [line.strip() for line in f if line.strip() and wanted(line)]
        missing += [f"{binary}: {n}" for n in names if "\n" + n not in symbols]
        print(f"{binary}: {len(names) - sum(1 for m in missing if m.startswith(binary))} of {len(names)} "
              f"operations of {os.path.relpath(listing, source)} exported")
    if missing:
        raise Failed("not exported:\n" + "\n".join(missing))


def case_sound(case):
    import pulse_sync
    server = pulse_sync.PulseAudioServer(case.work)
    server.start()
    try:
        recorder = pulse_sync.Recorder(case.args.bin_dir, case.work, server.env)
        env = dict(server.env)
        env.update({k: v for k, v in case.env.items() if k.startswith("WINE")})
        program = case.start("--window", "--size", "320x240", "--sound", "--no-vsync", "--log", "--start",
                             "30000", env=env)
        check_exit(program, 120, 0, "the demo's end")
        recorder.stop()

        class Log:
            output = program.err
            text = staticmethod(lambda: program.text("err"))
        pulse_sync.sync_check(case.args, case.work, "heard", recorder, Log)
    finally:
        server.stop()


def case_no_data(case):
    folder = os.path.join(case.work, "app")
    os.mkdir(folder)
    for name in ("glass-meridian.exe", "fluxcore.dll"):
        shutil.copy(os.path.join(case.args.dist, name), folder)
    exe = os.path.join(folder, "glass-meridian.exe")
    program = case.start("--window", "--no-sound", exe=exe, cwd=folder, name="box")
    lines = case.probe("message", 90, program)
    text = "\n".join(l[5:] for l in lines if l.startswith("text "))
    print(f"the message box says: {text!r}")
    if "data.pak" not in text:
        raise Failed(f"the message box does not name data.pak: {lines}")
    press(x_window(f"^{CAPTION}$", 30, program), "Return")
    check_exit(program, 60, 1, "the message box")
    # "Lesen": the engine's log on stderr and, through OutputDebugString, for a
    # debugger (Wine's debugstr channel shows what a debugger would get).
    quiet = case.start("--window", "--no-sound", "--log", exe=exe, cwd=folder, name="quiet",
                       env=wine_env(case.args.prefix, GLASS_MERIDIAN_NO_MESSAGE_BOX="1", WINEDEBUG="-all,warn+debugstr"))
    check_exit(quiet, 90, 1, "the failure without a message box")
    if "data.pak" not in quiet.text("err"):
        raise Failed(f"stderr does not name data.pak\n{quiet.output()}")
    debugger = [l for l in quiet.text("err").splitlines() if "debugstr" in l and "fluxcore: " in l]
    if not debugger:
        raise Failed(f"no engine log line reached the debugger's output\n{quiet.output()}")
    print(f"the debugger's output has {len(debugger)} engine lines, the first {debugger[0].strip()!r}")


def case_command_line(case):
    runs = [(["--help"], 0, "out", "--size"), (["--version"], 0, "out", "1.0"),
            (["--bogus"], 2, "err", "glass-meridian: "), (["--size", "10x10"], 2, "err", "--size")]
    for options, want, stream, text in runs:
        program = case.start(*options, name="cli")
        check_exit(program, 60, want, " ".join(options))
        if text not in program.text(stream):
            raise Failed(f"{' '.join(options)}: {stream} lacks {text!r}\n{program.output()}")
        print(f"{' '.join(options)}: exit {want}, {program.text(stream).splitlines()[0]!r}")


def listing(top):
    found = set()
    for root, dirs, files in os.walk(top):
        for name in dirs + files:
            found.add(os.path.relpath(os.path.join(root, name), top))
    return found


def case_zip(case):
    """The zip, or its --zip-folder (the release archive's windows/), as shipped."""
    folder = os.path.join(case.work, "unpacked")
    inside = case.args.zip_folder
    if not os.path.exists(case.args.zip):
        raise Failed(f"no {case.args.zip} (windows/make_windows_zip.py or the release makes it)")
    names = set()
    with zipfile.ZipFile(case.args.zip) as z:
        for info in z.infolist():
            if info.filename.startswith(inside) and info.filename != inside:
                names.add(info.filename[len(inside):])
                with z.open(info) as source, open(os.path.join(os.makedirs(folder, exist_ok=True) or folder,
                                                               info.filename[len(inside):]), "wb") as target:
                    shutil.copyfileobj(source, target)
    print(f"{os.path.basename(case.args.zip)}{' ' + inside if inside else ''}: "
          f"{os.path.getsize(case.args.zip)} bytes, {sorted(names)}")
    if names != SHIPPED:
        raise Failed(f"the files to ship are {sorted(names)}, not {sorted(SHIPPED)}")
    for root, dirs, files in os.walk(folder):
        for name in files + dirs:
            path = os.path.join(root, name)
            os.chmod(path, os.stat(path).st_mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))
    os.chmod(folder, 0o555)
    users = os.path.join(case.args.prefix, "drive_c", "users")
    before, unpacked = listing(users), listing(folder)
    program = case.start("--window", "--no-sound", "--size", "640x480",
                         exe=os.path.join(folder, "glass-meridian.exe"), cwd=case.work, name="zip")
    window = x_window("^Time: ", 90, program)
    wait_until("5 s of the demo", 60, lambda: (caption_time(window) or 0.0) >= 5.0, 0.2)
    press(window, "Escape")
    check_exit(program, 60, 0, "Escape")
    case.end()
    added = sorted(listing(users) - before) + sorted(os.path.join("unpacked", p) for p in listing(folder) - unpacked)
    if added:
        raise Failed(f"the demo wrote {added}")
    print("played 5 s from the read-only folder, ended on Escape with 0, wrote nothing")
    os.chmod(folder, 0o755)


CASES = {"dialog": case_dialog, "pointer_monitor": case_pointer_monitor, "declined": case_declined, "arrow_choice": case_arrow_choice,
         "frames": case_frames, "exports": case_exports, "sound": case_sound, "no_data": case_no_data,
         "command_line": case_command_line, "zip": case_zip}


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=["prefix", *CASES])
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--dist")
    parser.add_argument("--bin-dir")
    parser.add_argument("--gen-dir")
    parser.add_argument("--probe")
    parser.add_argument("--grab")
    parser.add_argument("--zip")
    parser.add_argument("--zip-folder", default="", help="the folder of the zip that holds the program")
    parser.add_argument("--song")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix=f"gm-wine-{args.case}-")
    case = None
    try:
        if args.case == "prefix":
            case_prefix(args, work)
        else:
            if not os.environ.get("DISPLAY"):
                print(f"{args.case}: skipped: DISPLAY is not set")
                return SKIP
            case = Case(args, work)
            CASES[args.case](case)
    except (Failed, subprocess.CalledProcessError, subprocess.TimeoutExpired) as why:
        print(f"FAIL {args.case}: {why}")
        return 1
    finally:
        if case:
            case.end()
        if os.environ.get("GM_WINE_KEEP"):
            print(f"kept {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    print(f"ok {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
