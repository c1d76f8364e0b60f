#!/usr/bin/env python3
"""The download benchmark's server: serves the files of FOLDER on 127.0.0.1, in pieces
of 64 KiB as most servers do ("copy"), or with sendfile ("sendfile"). A file asked for
as /paced/NAME comes at the pace of a gigabit network instead; as /breaking/ROUND/NAME,
with an ETag and "Range: bytes=N-" honoured, the first two requests of each ROUND
close the connection a third of the way through what they ask for. Prints its port.
Usage: serve.py FOLDER [copy|sendfile]"""
import http.server
import os
import sys
import threading
import time

requests_of = {}
requests_lock = threading.Lock()

GIGABIT_BYTES_PER_SECOND = 117_000_000  # what a 1 Gbit/s link carries of a body


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        paced = self.path.startswith("/paced/")
        breaking = self.path.startswith("/breaking/")
        path = os.path.join(sys.argv[1], os.path.basename(self.path))
        if not os.path.isfile(path):
            self.send_error(404)
            return
        size = os.path.getsize(path)
        etag = '"%d-%d"' % (size, os.stat(path).st_mtime_ns)
        start = 0
        asked = self.headers.get("Range", "")
        if breaking and asked.startswith("bytes=") and asked.endswith("-") and self.headers.get("If-Range") == etag:
            start = int(asked[6:-1])
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        else:
            self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size - start))
        if breaking:
            self.send_header("ETag", etag)
        self.end_headers()
        self.wfile.flush()
        with open(path, "rb") as f:
            if breaking:
                with requests_lock:
                    requests_of[self.path] = requests_of.get(self.path, 0) + 1
                    breaks = requests_of[self.path] <= 2
                f.seek(start)
                left = (size - start) // 3 if breaks else size - start
                while left > 0 and (piece := f.read(min(65536, left))):
                    self.wfile.write(piece)
                    left -= len(piece)
                if breaks:
                    self.wfile.flush()
                    self.close_connection = True
                    self.connection.shutdown(2)
            elif paced:
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
