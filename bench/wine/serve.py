#!/usr/bin/env python3
"""The download benchmark's server: serves the files of FOLDER on 127.0.0.1, in pieces
of 64 KiB as most servers do ("copy"), or with sendfile ("sendfile"). A file asked for
as /paced/NAME comes at the pace of a gigabit network instead. Prints its port.
Usage: serve.py FOLDER [copy|sendfile]"""
import http.server
import os
import sys
import time

GIGABIT_BYTES_PER_SECOND = 117_000_000  # what a 1 Gbit/s link carries of a body


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        paced = self.path.startswith("/paced/")
        path = os.path.join(sys.argv[1], os.path.basename(self.path))
        if not os.path.isfile(path):
            self.send_error(404)
            return
        size = os.path.getsize(path)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        self.wfile.flush()
        with open(path, "rb") as f:
            if paced:
                start, sent = time.monotonic(), 0
                while piece := f.read(65536):
                    self.wfile.write(piece)
                    sent += len(piece)
                    ahead = start + sent / GIGABIT_BYTES_PER_SECOND - time.monotonic()
                    if ahead > 0:
                        time.sleep(ahead)
            elif len(sys.argv) > 2 and sys.argv[2] == "sendfile":
                self.connection.sendfile(f)
            else:
                while piece := f.read(65536):
                    self.wfile.write(piece)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
