#!/usr/bin/env python3
"""Serves the built web page on 127.0.0.1 only, to watch it in a local browser.

    serve.py SITE_FOLDER [PORT]

PORT 0 (or none given: 8000) asks for any free port; the address is printed.
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    # Browsers compile WebAssembly while it downloads only when it comes as
    # application/wasm.
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm"}


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    port = int(sys.argv[2]) if len(sys.argv) == 3 else 8000
    handler = functools.partial(Handler, directory=sys.argv[1])
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        print(f"Glass Meridian: http://127.0.0.1:{server.server_address[1]}/glass-meridian.html (Ctrl+C ends)",
              flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
