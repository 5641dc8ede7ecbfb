#!/usr/bin/env python3
"""Hostile output names and files for glass-meridian-capture: archives given
by relative paths, outputs onto the archive (also through a link), a file of
the user's that looks like a temporary name, names ffmpeg would read as
protocols or options, a contact sheet too large to encode, a stalled ffmpeg
and a frame past the end. Each case checks the exit code and message, what is
left on disk, and that a failing run ends within 10 s under 300 MB.

  hostile_outputs.py --bin-dir DIR --case NAME
  hostile_outputs.py --list
"""

import os
import resource
import shutil
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reliability  # noqa: E402

from reliability import ANY_FAILURE, Failed, Run, Skipped, pak_without  # noqa: E402

SECONDS = 10
PEAK_MB = 300
SHORT = ["--from", "1500", "--to", "1700", "--fps", "10", "--width", "160", "--height", "120", "--no-audio"]
STALLING_FFMPEG = """#!/bin/sh
# Starts a child that never reads its input, and waits for it.
echo $$ > wrapper.pid
sh -c 'echo $$ > child.pid; exec sleep 600'
"""
FAILING_FFMPEG = "#!/bin/sh\nexit 1\n"


def case(name, argv, **fields):
    return dict(name=name, argv=argv, **fields)


def copy_real(name):
    return lambda real, work: shutil.copyfile(real, os.path.join(work, name))


def link_to_copy(link, name):
    def make(real, work):
        shutil.copyfile(real, os.path.join(work, name))
        os.symlink(name, os.path.join(work, link))
    return make


def user_file(name, content):
    return lambda real, work: open(os.path.join(work, name), "wb").write(content)


def script(name, text):
    def make(real, work):
        path = os.path.join(work, name)
        with open(path, "w") as f:
            f.write(text)
        os.chmod(path, 0o755)
    return make


def broken_pak(real, work):
    pak_without("loadpic.jpg")(real, os.path.join(work, "data.pak"))


CASES = [
    # The archive named by the user is theirs, relative to the working folder,
    # even where the program's own folder has one of that name.
    case("archive_relative_to_working_folder", ["--data", "./data.pak", "--frame-at", "1000", "-o", "out.png"],
         setup=[broken_pak], rc=ANY_FAILURE, says=[r"loadpic\.jpg: no such texture"], absent=["out.png"]),
    case("output_onto_the_archive", ["--data", "demo.mp4", "-o", "demo.mp4"] + SHORT,
         setup=[copy_real("demo.mp4")], rc=ANY_FAILURE, unchanged=["demo.mp4"],
         says=[r"'demo\.mp4' is the data archive '\S*demo\.mp4'"]),
    case("output_onto_the_archive_through_a_link", ["--data", "link.pak", "-o", "demo.mp4"] + SHORT,
         setup=[link_to_copy("link.pak", "demo.mp4")], rc=ANY_FAILURE, unchanged=["demo.mp4"],
         says=[r"'demo\.mp4' is the data archive"]),
    case("users_partial_file_survives", ["-o", "clip.mp4", "--ffmpeg", "./ffmpeg"] + SHORT,
         setup=[user_file("clip.mp4.partial", b"the user's own notes\n"), script("ffmpeg", FAILING_FFMPEG)],
         rc=ANY_FAILURE, says=[r"ffmpeg failed"], unchanged=["clip.mp4.partial"], absent=["clip.mp4"]),
    case("name_with_colons", ["-o", "clip-2024-05-01T10:30.mp4"] + SHORT, ffmpeg=True,
         rc=0, written=["clip-2024-05-01T10:30.mp4"]),
    case("name_like_an_option", ["-o", "-dash.mp4"] + SHORT, ffmpeg=True, rc=0, written=["-dash.mp4"]),
    case("name_like_a_protocol", ["-o", "pipe:1.mkv"] + SHORT, ffmpeg=True, rc=0, written=["pipe:1.mkv"]),
    case("contact_sheet_too_large",
         ["--contact-sheet", "sheet.png", "--width", "16", "--height", "16", "--grid", "16x16",
          "--thumb-width", "2400"],
         rc=2, says=[r"contact sheet of 38536x38888 pixels is beyond the limit of 16384 pixels a side"],
         absent=["sheet.png"]),
    case("frame_past_the_end", ["--frame-at", "60000", "-o", "shot.png"],
         rc=2, says=[r"--frame-at: 60000 ms is at or past the end of the demo \(49000 ms\)"], absent=["shot.png"]),
    # Ctrl+C while the writer waits on an ffmpeg whose child stopped reading.
    case("stalled_ffmpeg_interrupted",
         ["-o", "clip.mp4", "--ffmpeg", "./ffmpeg", "--fps", "30", "--width", "320", "--height", "240",
          "--no-audio"],
         setup=[script("ffmpeg", STALLING_FFMPEG)], interrupt=signal.SIGINT, stop_within=1.5,
         rc=130, says=[r"interrupted; no half-written file left"], absent=["clip.mp4"]),
]


def sanitized():
    return bool(os.environ.get("GM_SANITIZER_PRELOAD") or os.environ.get("ASAN_OPTIONS"))


def alive(pid_file):
    try:
        pid = int(open(pid_file).read())
    except (OSError, ValueError):
        return False
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A zombie awaiting its reaper is gone for our purposes.
    try:
        return open(f"/proc/{pid}/stat").read().split(") ")[1][0] != "Z"
    except (OSError, IndexError):
        return False


def run_case(c, args, work):
    real = os.path.join(args.bin_dir, "data.pak")
    if c.get("ffmpeg") and not shutil.which("ffmpeg"):
        raise Skipped("ffmpeg is not installed")
    for make in c.get("setup", []):
        make(real, work)
    before = {name: open(os.path.join(work, name), "rb").read() for name in c.get("unchanged", [])}
    if not sanitized():
        resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))
    argv = [os.path.join(args.bin_dir, "glass-meridian-capture")] + c["argv"]
    run = Run(argv, work, reliability.env_for({}), os.path.join(work, "output.txt"))
    began = time.monotonic()
    try:
        if "interrupt" in c:
            time.sleep(3.0)
            if not run.running():
                raise Failed("the capture ended before it could be interrupted")
            run.proc.send_signal(c["interrupt"])
            began = time.monotonic()
            rc = run.wait(SECONDS, "stop after the signal")
            if time.monotonic() - began > c["stop_within"]:
                raise Failed(f"took {time.monotonic() - began:.1f} s to stop after the signal")
        else:
            rc = run.wait(SECONDS * 6 if c["rc"] == 0 else SECONDS, "end")
    finally:
        run.kill()
    output = run.output()
    reliability.check(c, rc, output)
    check_files(c, work, before)
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss // 1024
    if not sanitized() and peak > PEAK_MB:
        raise Failed(f"peak memory {peak} MB, more than {PEAK_MB} MB")
    return output + f"\n(peak {peak} MB)"


def check_files(c, work, before):
    for name, data in before.items():
        path = os.path.join(work, name)
        if not os.path.exists(path) or open(path, "rb").read() != data:
            raise Failed(f"{name} was changed or removed")
    for name in c.get("absent", []):
        if os.path.exists(os.path.join(work, name)):
            raise Failed(f"{name} written although the run failed")
    for name in c.get("written", []):
        path = os.path.join(work, name)
        if not os.path.exists(path) or os.path.getsize(path) < 1000:
            raise Failed(f"{name} not written, or empty")
    left = [f for f in os.listdir(work) if ".partial" in f and f not in before]
    if left:
        raise Failed(f"temporary files left behind: {left}")
    # The program reaps the wrapper; the wrapper's own child was sent SIGKILL
    # with it but, on a busy machine, may take a moment to be scheduled and die.
    deadline = time.monotonic() + 5.0
    for pid_file in ("wrapper.pid", "child.pid"):
        while alive(os.path.join(work, pid_file)):
            if time.monotonic() > deadline:
                raise Failed(f"the stand-in ffmpeg's process in {pid_file} is still running 5 s after the program ended")
            time.sleep(0.02)


def stop_stand_ins(work):
    """Kills a stand-in ffmpeg a failed case left running."""
    for pid_file in ("wrapper.pid", "child.pid"):
        if alive(os.path.join(work, pid_file)):
            os.kill(int(open(os.path.join(work, pid_file)).read()), signal.SIGKILL)


if __name__ == "__main__":
    for c in CASES:
        c["cleanup"] = stop_stand_ins
    sys.exit(reliability.table_main(CASES, run_case, "gm-hostile-out-"))
