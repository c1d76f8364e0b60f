#!/usr/bin/env python3
"""The download benchmark's server: serves the files of FOLDER on 127.0.0.1, in pieces
of 64 KiB as most servers do ("copy"), or with sendfile ("sendfile"). Prints its port.
Usage: serve.py FOLDER [copy|sendfile]"""
import http.server
import os
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def do_GET(self):
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
            if len(sys.argv) > 2 and sys.argv[2] == "sendfile":
                self.connection.sendfile(f)
            else:
                while piece := f.read(65536):
                    self.wfile.write(piece)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
