#!/usr/bin/env python3
"""The demo's web page in headless Chromium.

    web_page_test.py frames SITE CAPTURE_PROGRAM   the page's frames against the capture tool's
    web_page_test.py form SITE                     the setup form, the start, the clock, sound, keys

frames: the page at ?frame=MS&size=640x480 for each time below, compared with
glass-meridian-capture --frame-at MS at the same size. The two draw through
different rasterisers (SwiftShader's WebGL with the engine's fixed-function
layer, Mesa's OpenGL), so single pixels differ, mostly along the one-pixel
cube outlines and the smooth lines; the mean absolute difference over all
channels must stay under MAX_MEAN, and the share of pixels off by more than
a quarter of the range under MAX_FAR_SHARE.
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import KEYS, Browser, Failure, Site, data_url_bytes, decode_png  # noqa: E402

TIMES_MS = (1000, 5000, 20000, 35000, 46000)
WIDTH, HEIGHT = 640, 480
MAX_MEAN = 2.0        # grey levels of 255, averaged over every channel of every pixel (about 1 measured)
MAX_FAR_SHARE = 0.015  # pixels with a channel off by more than 64 (about 0.5 % measured)


def compare(page, desktop):
    pw, ph, a = page
    dw, dh, b = desktop
    if (pw, ph) != (dw, dh):
        raise Failure(f"the page's frame is {pw}x{ph}, the capture's {dw}x{dh}")
    total = 0
    far = 0
    for i in range(0, len(a), 3):
        d0, d1, d2 = abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])
        total += d0 + d1 + d2
        if max(d0, d1, d2) > 64:
            far += 1
    return total / len(a), far / (pw * ph)



def check_ended_cleanly(browser, when):
    """The show has ended with exit code 0 and no console error."""
    if browser.evaluate("document.body.dataset.exitCode") != "0":
        raise Failure("the show ended with a failure: " + browser.evaluate("document.getElementById('status').textContent"))
    if browser.errors:
        raise Failure(f"console errors {when}: {browser.errors}")

def frames(site_folder, capture):
    failures = []
    with tempfile.TemporaryDirectory(prefix="gm-web-frames-") as folder, Site(site_folder) as site, \
            Browser(WIDTH + 40, HEIGHT + 40) as browser:
        for ms in TIMES_MS:
            shot = os.path.join(folder, f"desktop-{ms}.png")
            subprocess.run([capture, "-o", shot, "--frame-at", str(ms), "--width", str(WIDTH), "--height",
                            str(HEIGHT)], check=True, timeout=120, stdout=subprocess.DEVNULL)
            with open(shot, "rb") as f:
                desktop = decode_png(f.read())
            browser.navigate(f"{site.url}?frame={ms}&size={WIDTH}x{HEIGHT}")
            state = browser.wait_for("document.body.dataset.state === 'frame' || document.body.dataset.state === 'failed'"
                                     " ? document.body.dataset.state : ''", what=f"the frame at {ms} ms")
            if state != "frame":
                raise Failure(f"the page could not draw the frame at {ms} ms: {browser.errors}")
            page_png = data_url_bytes(browser.evaluate("window.gmFrame"))
            with open(os.path.join(folder, f"page-{ms}.png"), "wb") as f:
                f.write(page_png)
            mean, far_share = compare(decode_png(page_png), desktop)
            verdict = "ok" if mean <= MAX_MEAN and far_share <= MAX_FAR_SHARE else "DIFFERS"
            print(f"{ms:6d} ms: mean absolute difference {mean:.2f} (at most {MAX_MEAN}), "
                  f"{100 * far_share:.2f} % of pixels far off (at most {100 * MAX_FAR_SHARE:.1f} %): {verdict}")
            if verdict != "ok":
                failures.append(ms)
        if browser.errors:
            raise Failure(f"console errors: {browser.errors}")
        refusals(site, browser)
        if failures:
            kept = os.environ.get("GM_WEB_KEEP_FRAMES")
            if kept:
                subprocess.run(["cp", "-r", folder + "/.", kept], check=False)
            raise Failure(f"frames differ from the capture tool's at {failures} ms")


# Wrong ?frame= and ?size= values, each with what the page must say of it.
BAD_PARAMETERS = [
    ("frame=-1", "frame: '-1' is not a whole number from 0 to 48999 ms"),
    ("frame=abc", "frame: 'abc' is not a whole number"),
    ("frame=NaN", "frame: 'NaN' is not a whole number"),
    ("frame=1e309", "frame: '1e309' is not a whole number"),
    ("frame=", "frame: '' is not a whole number"),
    ("frame=49000", "frame: 49000 is out of range"),
    ("frame=1000&frame=2000", "frame: given 2 times; give it once"),
    ("frame=1000&size=0x0", "size: 0x0 is out of range (WIDTHxHEIGHT, each from 64 to 16384"),
    ("frame=1000&size=-5x-5", "size: '-5x-5' is not WIDTHxHEIGHT"),
    ("frame=1000&size=640", "size: '640' is not WIDTHxHEIGHT"),
    ("frame=1000&size=640x480x7", "size: '640x480x7' is not WIDTHxHEIGHT"),
    ("frame=1000&size=100000x100000", "size: 100000x100000 is out of range"),
    ("frame=1000&size=16384x16384", "size: 16384x16384 is beyond this browser's WebGL, which draws at most"),
    ("frame=1000&size=640x480&size=800x600", "size: given 2 times; give it once"),
]


def refusals(site, browser):
    """Each wrong parameter is named, with what is allowed, on the page and
    the console, and no frame is drawn."""
    for query, said in BAD_PARAMETERS:
        browser.errors.clear()
        browser.navigate(f"{site.url}?{query}")
        state = browser.wait_for("['frame', 'failed', 'refused'].includes(document.body.dataset.state)"
                                 " ? document.body.dataset.state : ''", what=f"the page's answer to ?{query}")
        status = browser.evaluate("document.getElementById('status').textContent")
        drawn = browser.evaluate("window.gmFrame")
        if state != "refused" or said not in status or drawn:
            raise Failure(f"?{query}: state {state!r}, status {status!r}, expected it to say {said!r} and draw nothing")
        if not any(said in e for e in browser.errors):
            raise Failure(f"?{query}: the console has {browser.errors}, not {said!r}")
        print(f"?{query}: {status}")
    browser.errors.clear()


def demo_time(browser):
    """The demo time the page's title shows ("Time: 1.234000s"), in ms; -1 before the first frame."""
    title = browser.evaluate("document.title")
    if not title.startswith("Time: "):
        return -1.0
    return float(title[len("Time: "):-1]) * 1000


def expect_declined(browser, how):
    """Nothing started, and a line in the page says so."""
    browser.wait_for("document.body.dataset.state === 'declined'", timeout=20, what=f"{how} to decline")
    status = browser.evaluate("document.getElementById('status').textContent")
    if "nicht gestartet" not in status:
        raise Failure(f"declined by {how}, the page says {status!r}")
    if browser.evaluate("document.title") != "Glass Meridian":
        raise Failure(f"declined by {how}, yet the demo ran")


def form(site_folder):
    with Site(site_folder) as site, Browser(1024, 768) as browser:
        # The dialog as the desktop shows it at first.
        browser.navigate(site.url)
        browser.wait_for("document.body.dataset.state === 'dialog'", what="the setup form")
        texts = browser.evaluate("Array.from(document.querySelectorAll('#dialog button, #dialog label, #dialog .group span'))"
                                 ".map(e => e.textContent)")
        expected = ["Vielleicht", "Niemals", "1280*1024", "1024*768", "800*600", "640*480", "Sehen", "Hören", "Warten",
                    "Lesen", "Wünsche", "Wirklichkeit"]
        if texts != expected:
            raise Failure(f"the form's texts are {texts}, not {expected}")
        checked = browser.evaluate("Array.from(document.querySelectorAll('#dialog input')).map(e => e.checked)")
        if checked != [False, True, False, False, True, True, True, False]:
            raise Failure(f"the form's first state is {checked}: 1024*768, Sehen, Hören and Warten should be chosen")
        if browser.evaluate("document.activeElement.textContent") != "Vielleicht":
            raise Failure("the focus is not on Vielleicht at first")
        # Tab moves to Niemals; Enter there declines as the button does.
        browser.key(*KEYS["Tab"])
        if browser.evaluate("document.activeElement.textContent") != "Niemals":
            raise Failure("Tab does not move the focus from Vielleicht to Niemals")
        browser.key(*KEYS["Enter"])
        expect_declined(browser, "Enter on Niemals")

        # Escape declines too.
        browser.navigate(site.url)
        browser.wait_for("document.body.dataset.state === 'dialog'", what="the setup form again")
        browser.key(*KEYS["Escape"])
        expect_declined(browser, "Escape")

        # Enter starts: the clock advances from the loading picture into the
        # scene with the music, as fast as the wall clock.
        browser.navigate(site.url)
        browser.wait_for("document.body.dataset.state === 'dialog'", what="the setup form again")
        browser.key(*KEYS["Enter"])
        browser.wait_for("document.title.startsWith('Time: ')", timeout=30, what="the first frame after Enter")
        first = demo_time(browser)
        browser.wait_for(f"document.title.startsWith('Time: ') && parseFloat(document.title.slice(6)) * 1000 > {first + 1000}",
                         timeout=60, what="the demo clock to advance a second")
        browser.wait_for("document.title.startsWith('Time: ') && parseFloat(document.title.slice(6)) > 5.0",
                         timeout=60, what="5 s of play")
        state = browser.evaluate("Module.gmAudioContext ? Module.gmAudioContext.state : 'none'")
        if state != "running":
            raise Failure(f"the audio context is {state!r} after the start")
        if not browser.evaluate("!!(Module.gmSong && Module.gmSong.buffer && Module.gmSong.source)"):
            raise Failure("the song is not playing from 2000 ms on")
        duration = browser.evaluate("Module.gmSong.buffer.duration")
        if abs(duration - 48.0) > 0.05:
            raise Failure(f"the decoded song lasts {duration} s, not 48 s")

        # Right seeks a second forward at once; Space pauses (the time stands
        # still) and resumes; Escape ends the show.
        before = demo_time(browser)
        browser.key(*KEYS["Right"])
        browser.wait_for(f"parseFloat(document.title.slice(6)) * 1000 >= {before + 1000}", timeout=20,
                         what="Right to seek a second forward")
        browser.key(*KEYS["Space"])
        # The press acts in the next frame; from then on every frame shows
        # the same time, however slowly the frames come.
        paused = browser.after_frames("document.title")
        time.sleep(1.0)
        if browser.after_frames("document.title") != paused:
            raise Failure("the demo time moves while paused")
        paused = demo_time(browser)
        browser.key(*KEYS["Space"])
        browser.wait_for(f"parseFloat(document.title.slice(6)) * 1000 > {paused}", timeout=20,
                         what="Space to resume")
        browser.key(*KEYS["Escape"])
        browser.wait_for("document.body.dataset.state === 'ended'", timeout=20, what="Escape to end the show")
        check_ended_cleanly(browser, "while it played")

        # The other choices: 640*480, no full screen, frames as fast as the
        # browser runs them, the engine's log on the console. Carried to the
        # end by Right, the show ends by itself at 49 s.
        browser.navigate(site.url)
        browser.wait_for("document.body.dataset.state === 'dialog'", what="the setup form a third time")
        for control in (3, 4, 6, 7):  # 640*480; Sehen, Warten off; Lesen on
            browser.evaluate(f"document.querySelectorAll('#dialog input')[{control}].click()")
        logged = len(browser.console)
        browser.key(*KEYS["Enter"])
        browser.wait_for("document.title.startsWith('Time: ')", timeout=30, what="the first frame after Enter")
        size = browser.evaluate("[document.getElementById('canvas').width, document.getElementById('canvas').height]")
        if size != [640, 480]:
            raise Failure(f"640*480 chosen, the canvas draws at {size}")
        if browser.evaluate("document.fullscreenElement !== null"):
            raise Failure("Sehen off, yet the page is in full screen")
        for _ in range(48):
            browser.key(*KEYS["Right"])
        browser.wait_for("document.body.dataset.state === 'ended'", timeout=60, what="the end at 49 s")
        check_ended_cleanly(browser, "while it played to the end")
        log = [line for line in browser.console[logged:] if line.startswith("fluxcore: ")]
        if not any("archive" in line for line in log) or not any("song1.ogg" in line for line in log):
            raise Failure(f"Lesen on, the console shows no engine log of the archive and the song: {log}")
        print("form, start, clock, sound, keys and the end: ok")


def main():
    if len(sys.argv) >= 2 and sys.argv[1] == "frames" and len(sys.argv) == 4:
        frames(sys.argv[2], sys.argv[3])
    elif len(sys.argv) >= 2 and sys.argv[1] == "form" and len(sys.argv) == 3:
        form(sys.argv[2])
    else:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        sys.exit(1)
