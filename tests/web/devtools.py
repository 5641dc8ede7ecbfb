"""What the web page tests share: the page's folder served on 127.0.0.1, a
headless Chromium driven over the DevTools protocol on a pipe (no network
port, no third-party module), and a PNG decoder for the frames compared.
"""
import base64
import fcntl
import functools
import http.server
import json
import os
import shutil
import struct
import subprocess
import tempfile
import threading
import time
import zlib


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm"}

    def log_message(self, *args):
        pass


class Site:
    """The folder served on 127.0.0.1 at a free port, for the life of the with-block."""

    def __init__(self, folder):
        handler = functools.partial(Quiet, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/glass-meridian.html"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()


class Failure(Exception):
    pass


class Browser:
    """Headless Chromium with WebGL through SwiftShader, one page, its console
    errors collected. Every wait is bounded by a deadline."""

    def __init__(self, width=800, height=600):
        self.profile = tempfile.mkdtemp(prefix="gm-chromium-")
        to_chrome_r, to_chrome_w = os.pipe()
        from_chrome_r, from_chrome_w = os.pipe()
        # Chromium reads its commands on fd 3 and answers on fd 4: the child's
        # ends go above them first, so that placing one cannot close the other.
        to_chrome_r, from_chrome_w = (self._above_4(fd) for fd in (to_chrome_r, from_chrome_w))
        args = ["chromium", "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                "--remote-debugging-pipe", f"--user-data-dir={self.profile}", "--no-first-run", "--disable-dev-shm-usage",
                "--autoplay-policy=no-user-gesture-required", "--mute-audio", f"--window-size={width},{height}",
                "about:blank"]

        def pipes_to_3_and_4():
            os.dup2(to_chrome_r, 3)
            os.dup2(from_chrome_w, 4)

        self.process = subprocess.Popen(args, pass_fds=(3, 4), preexec_fn=pipes_to_3_and_4,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_chrome_r)
        os.close(from_chrome_w)
        self.out = os.fdopen(to_chrome_w, "wb")
        self.inp = os.fdopen(from_chrome_r, "rb")
        self.buffer = b""
        self.next_id = 0
        self.errors = []
        self.console = []  # every console message's text, in order
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        for domain in ("Runtime.enable", "Log.enable", "Page.enable"):
            self.call(domain, session=True)
        self.call("Emulation.setDeviceMetricsOverride", session=True, width=width, height=height,
                  deviceScaleFactor=1, mobile=False)

    @staticmethod
    def _above_4(fd):
        high = fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10)
        os.close(fd)
        return high

    def close(self):
        try:
            self.call("Browser.close", timeout=20)
        except Exception:
            pass  # already gone, or not answering: it is killed below
        try:
            self.out.close()
            self.process.wait(timeout=20)
        except Exception:
            self.process.kill()
            self.process.wait()
        self.inp.close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _message(self, deadline):
        while b"\0" not in self.buffer:
            if time.monotonic() > deadline:
                raise Failure("no answer from Chromium in time")
            chunk = os.read(self.inp.fileno(), 1 << 16)
            if not chunk:
                raise Failure("Chromium closed its pipe")
            self.buffer += chunk
        text, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(text)

    def _note(self, message):
        method = message.get("method", "")
        params = message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params["args"])
            self.console.append(text)
            if params.get("type") in ("error", "assert"):
                self.errors.append("console: " + text)
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.errors.append("exception: " + details.get("exception", {}).get("description", details.get("text", "")))
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            self.errors.append("log: " + params["entry"]["text"])

    def call(self, method, session=False, timeout=60, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        self.out.write(json.dumps(message).encode() + b"\0")
        self.out.flush()
        deadline = time.monotonic() + timeout
        while True:
            answer = self._message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise Failure(f"{method}: {answer['error']}")
                return answer.get("result", {})
            self._note(answer)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", session=True, expression=expression, returnByValue=True)
        if "exceptionDetails" in result:
            raise Failure(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def after_frames(self, expression, frames=3):
        """The expression's value once the page has drawn `frames` more
        animation frames, however long they take."""
        script = (f"new Promise(done => {{ let n = 0; const tick = () => ++n >= {frames} ? done({expression})"
                  f" : requestAnimationFrame(tick); requestAnimationFrame(tick); }})")
        result = self.call("Runtime.evaluate", session=True, expression=script, returnByValue=True,
                           awaitPromise=True, timeout=120)
        if "exceptionDetails" in result:
            raise Failure(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def navigate(self, url):
        self.call("Page.navigate", session=True, url=url)

    def wait_for(self, expression, timeout=90, what=None):
        """Polls until the expression is true (one that throws, as while a page
        loads, counts as false); its last value otherwise fails the test."""
        deadline = time.monotonic() + timeout
        guarded = f"(() => {{ try {{ return ({expression}); }} catch (e) {{ return null; }} }})()"
        while True:
            value = self.evaluate(guarded)
            if value:
                return value
            if time.monotonic() > deadline:
                raise Failure(f"waited {timeout} s for {what or expression}; last value {value!r}")
            time.sleep(0.1)

    def key(self, key, code, keycode):
        """One press and release, as the keyboard sends them."""
        common = dict(key=key, code=code, windowsVirtualKeyCode=keycode, nativeVirtualKeyCode=keycode)
        text = {"text": "\r"} if key == "Enter" else {"text": " "} if key == " " else {}
        self.call("Input.dispatchKeyEvent", session=True, type="keyDown", **common, **text)
        self.call("Input.dispatchKeyEvent", session=True, type="keyUp", **common)


KEYS = {"Enter": ("Enter", "Enter", 13), "Escape": ("Escape", "Escape", 27), "Space": (" ", "Space", 32),
        "Right": ("ArrowRight", "ArrowRight", 39), "Left": ("ArrowLeft", "ArrowLeft", 37),
        "Tab": ("Tab", "Tab", 9)}


def decode_png(data):
    """(width, height, RGB bytes) of an 8-bit RGB or RGBA PNG, not interlaced."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure("not a PNG")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise Failure(f"PNG of depth {depth}, colour type {colour}, interlace {interlace}: not read here")
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(bytes(line))
        previous = line
    pixels = b"".join(rows)
    if channels == 4:
        pixels = bytes(b for i, b in enumerate(pixels) if i % 4 != 3)
    return width, height, pixels


def data_url_bytes(url):
    prefix = "data:image/png;base64,"
    if not url or not url.startswith(prefix):
        raise Failure("the page gave no PNG frame")
    return base64.b64decode(url[len(prefix):])
