#!/usr/bin/env python3
"""The signing test's time-stamping authority: answers RFC 3161 requests over HTTP on 127.0.0.1 with `openssl ts
-reply -config CONFIG`, and stops by itself after REQUESTS requests or SECONDS seconds. Writes its port to PORT_FILE.

    timestamp_server.py CONFIG PORT_FILE REQUESTS SECONDS
"""
import http.server, os, subprocess, sys, tempfile, time


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        self.server.answered += 1
        with tempfile.NamedTemporaryFile() as query, tempfile.NamedTemporaryFile() as reply:
            query.write(self.rfile.read(int(self.headers.get("Content-Length", 0))))
            query.flush()
            done = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", query.name,
                                   "-out", reply.name], capture_output=True)
            answer = reply.read()
        if done.returncode != 0 or not answer:
            return self.send_error(500, done.stderr.decode(errors="replace")[:200])
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(answer)))
        self.end_headers()
        self.wfile.write(answer)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(sys.argv[2] + ".new", "w") as f:
    f.write(str(server.server_port))
os.replace(sys.argv[2] + ".new", sys.argv[2])
deadline, server.answered = time.monotonic() + float(sys.argv[4]), 0
while server.answered < int(sys.argv[3]) and time.monotonic() < deadline:
    server.timeout = max(0.1, deadline - time.monotonic())
    server.handle_request()
server.server_close()
