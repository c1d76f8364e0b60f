#!/usr/bin/env python3
"""The demo's download server: serves the files of FOLDER on 127.0.0.1 at about RATE
bytes a second, so that the progress page's counter can be seen, whatever the path's
folders (only the file name counts). Writes its port to PORT_FILE, and touches
PORT_FILE.started when a download begins.
Usage: slow_server.py FOLDER PORT_FILE RATE"""
import http.server
import os
import sys
import time

folder, port_file, rate = sys.argv[1], sys.argv[2], int(sys.argv[3])


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, format, *args):
        pass

    def do_GET(self):
        path = os.path.join(folder, os.path.basename(self.path.split("?")[0]))
        if not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as f:
            data = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/zip")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        open(port_file + ".started", "w").close()
        piece = max(rate // 10, 1)
        for start in range(0, len(data), piece):
            self.wfile.write(data[start:start + piece])
            self.wfile.flush()
            time.sleep(0.1)


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(port_file, "w") as f:
    f.write(str(server.server_address[1]))
server.serve_forever()
