#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Serves Borvane's web folder on this machine only, to try the page or test it:

    scripts/web/serve.py build/web [PORT]        (PORT 8080 by default; 0 picks a free one)

then http://localhost:PORT/ in a browser. Only 127.0.0.1 is listened on. WebAssembly goes out
as application/wasm, and where the browser takes it, a file's brotli or gzip copy beside it
(name.br, name.gz) goes out in its place, as a web server set up for the page does. The first
line printed is the address."""

import http.server
import os
import sys

ENCODINGS = (("br", ".br"), ("gzip", ".gz"))


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".js": "text/javascript",
        ".svg": "image/svg+xml",
    }

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        accepted = self.headers.get("Accept-Encoding", "")
        for encoding, suffix in ENCODINGS:
            if encoding in accepted and os.path.isfile(path + suffix):
                try:
                    data = open(path + suffix, "rb")
                except OSError:
                    break
                self.send_response(200)
                self.send_header("Content-Type", self.guess_type(path))
                self.send_header("Content-Encoding", encoding)
                self.send_header("Content-Length", str(os.fstat(data.fileno()).st_size))
                self.send_header("Vary", "Accept-Encoding")
                self.end_headers()
                return data
        return super().send_head()

    def log_message(self, format, *args):  # quiet: the tests read the browser, not this
        pass


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    folder = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) == 3 else 8080
    if not os.path.isfile(os.path.join(folder, "index.html")):
        sys.exit(f"serve.py: no index.html in {folder} (make it with scripts/web.sh)")
    handler = lambda *args, **kwargs: Handler(*args, directory=folder, **kwargs)
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        print(f"http://localhost:{server.server_address[1]}/", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
