#!/usr/bin/env python3
"""Serves the demo store that the build generates (BUILD/store) on the
loopback interface, the way the program expects to find its store:

    /index.html, /Cart.aspx?idd=1, /productdata/NAME.exe, /productdata/NAME.exe.sig

Usage: store_server.py STORE_DIR [PORT]   (port 8470 unless given)
Standard library only. Binds 127.0.0.1, lists no folders, logs nothing but
errors.
"""

import functools
import http.server
import os
import sys

DEFAULT_PORT = 8470


class StoreHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".aspx": "text/html; charset=utf-8",
        ".html": "text/html; charset=utf-8",
        ".css": "text/css; charset=utf-8",
        ".exe": "application/octet-stream",
        ".sig": "application/octet-stream",
        ".jpg": "image/jpeg",
    }

    def list_directory(self, path):
        # A folder is served only through its index.html, never listed.
        self.send_error(404, "Not found")
        return None

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, format, *args):
        pass

    def log_error(self, format, *args):
        sys.stderr.write("store-server: %s\n" % (format % args))


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write("usage: store_server.py STORE_DIR [PORT]\n")
        return 2
    store = os.path.abspath(argv[1])
    if not os.path.isfile(os.path.join(store, "index.html")):
        sys.stderr.write("store-server: %s holds no store (build it first)\n" % store)
        return 1
    try:
        port = int(argv[2]) if len(argv) == 3 else DEFAULT_PORT
    except ValueError:
        sys.stderr.write("store-server: bad port %r\n" % argv[2])
        return 2
    handler = functools.partial(StoreHandler, directory=store)
    http.server.ThreadingHTTPServer.allow_reuse_address = True
    try:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    except OSError as error:
        sys.stderr.write("store-server: cannot listen on 127.0.0.1:%d: %s\n" % (port, error))
        return 1
    print("store-server: serving %s at http://127.0.0.1:%d/" % (store, port), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
