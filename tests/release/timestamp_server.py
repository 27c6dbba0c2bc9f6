#!/usr/bin/env python3
"""A time-stamping authority for the signing test: answers RFC 3161 requests
over HTTP on 127.0.0.1 with `openssl ts -reply`, and stops by itself after
REQUESTS answers or SECONDS seconds, whichever comes first.

    timestamp_server.py CONFIG PORT_FILE REQUESTS SECONDS

CONFIG is the openssl configuration of the authority ([tsa] section); the
port it listens on is written to PORT_FILE once it listens.
"""

import http.server
import os
import subprocess
import sys
import tempfile
import time


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        self.server.answered += 1
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with tempfile.NamedTemporaryFile() as q, tempfile.NamedTemporaryFile() as r:
            q.write(query)
            q.flush()
            done = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", q.name,
                                   "-out", r.name], capture_output=True)
            reply = r.read()
        if done.returncode != 0 or not reply:
            self.send_error(500, done.stderr.decode(errors="replace")[:200])
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


def main():
    config, port_file, requests, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    with open(port_file + ".new", "w") as f:
        f.write(str(server.server_port))
    os.replace(port_file + ".new", port_file)
    deadline = time.monotonic() + seconds
    server.answered = 0
    while server.answered < requests and time.monotonic() < deadline:
        server.timeout = max(0.1, deadline - time.monotonic())
        server.handle_request()
    server.server_close()


if __name__ == "__main__":
    main()
