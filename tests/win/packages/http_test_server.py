#!/usr/bin/env python3
"""A local HTTP server for the download tests, alive exactly as long as one command.

    http_test_server.py COMMAND [ARGS...]

Listens on 127.0.0.1 on a port the system picks, holds a second port bound without
listening (connections to it are refused), runs COMMAND with both ports in
KELVANO_TEST_HTTP_PORT and KELVANO_TEST_REFUSED_PORT, stops the server and exits with
COMMAND's exit code. The server dies with this process, also when COMMAND fails or is
killed, so no server outlives a test run.

Paths (N is a byte count; every body is body(N), the pattern the tests compute too):
    /length/N           Content-Length N
    /chunked/N          no length, chunked transfer encoding
    /redirect/N         302 to /length/N
    /status/CODE        that status with a small HTML page
    /cut/N              announces N, sends half of it, closes the connection
    /slow/N/STEPS/MS    announces N, sends it in STEPS pieces, MS milliseconds apart
    /stall/N            announces N, sends a quarter, then sends nothing more
    /silent             reads the request and never answers
    /huge               announces 3 GiB, sends 64 KiB, closes
    /proxied/N          as /length/N, but only when asked as a proxy (an absolute URL)
    /file/NAME          the file NAME of a folder that lives as long as the server, named
                        to COMMAND in KELVANO_TEST_HTTP_FILES (as a Windows path, Z:\\...)
    /breaks/K/N/TAG     body(N) with the ETag "TAG"; the first K requests of the path get
                        half of what they ask for, then the connection closes
    /breaks-file/K/NAME the same for the file NAME (its ETag: its size and time of change)
    /stalls-file/NAME   the file NAME, resumable; the first request gets half of it, then
                        nothing more while the connection lasts (a run to be killed)
    /changes/N/TAG      the first request gets half of body(N), ETag "TAG-1"; every later
                        one a file of another content, ETag "TAG-2"

Every body of these three honours "Range: bytes=FIRST-" with "If-Range" as HTTP/1.1 does:
206 and the rest while the ETag matches, else 200 and the whole file.

An FTP server on KELVANO_TEST_FTP_PORT serves the same folder to anonymous users in
passive mode: just what a download needs (USER, PASS, TYPE, PASV, SIZE, RETR, QUIT).
"""

import http.server
import os
import shutil
import socket
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

STALL_SECONDS = 120  # a stalled answer ends on its own after this, should a client never leave
stopping = threading.Event()
files_folder = tempfile.mkdtemp(prefix="kelvano-http-files-")
requests_of = {}  # path: requests so far, for the paths that break their first answers
requests_lock = threading.Lock()


def count_request(path):
    with requests_lock:
        requests_of[path] = requests_of.get(path, 0) + 1
        return requests_of[path]


def body(size):
    """Byte i is (i * 31 + i // 251) mod 256, as ServedBytes() of the C++ tests computes."""
    return bytes((i * 31 + i // 251) & 0xFF for i in range(size))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):  # quiet: the test program reports what matters
        pass

    def do_GET(self):
        # A client that takes this server for its proxy asks for the absolute URL.
        self.as_proxy = "://" in self.path
        parts = [p for p in urllib.parse.urlsplit(self.path).path.split("/") if p]
        if len(parts) == 2 and parts[0] == "file":
            self.serve_file(urllib.parse.unquote(parts[1]))
            return
        if len(parts) == 3 and parts[0] == "breaks-file" and parts[1].isdigit():
            self.serve_file(urllib.parse.unquote(parts[2]), breaks=int(parts[1]))
            return
        if len(parts) == 2 and parts[0] == "stalls-file":
            self.serve_file(urllib.parse.unquote(parts[1]), stalls=True)
            return
        if len(parts) == 4 and parts[0] == "breaks" and parts[1].isdigit() and parts[2].isdigit():
            self.serve_resumable(body(int(parts[2])), '"%s"' % parts[3], count_request(self.path) <= int(parts[1]))
            return
        if len(parts) == 3 and parts[0] == "changes" and parts[1].isdigit():
            size, first = int(parts[1]), count_request(self.path) == 1
            data = body(size) if first else body(size + 1)[1:]
            self.serve_resumable(data, '"%s-%d"' % (parts[2], 1 if first else 2), first)
            return
        route = getattr(self, "route_" + parts[0], None) if parts else None
        try:
            numbers = [int(p) for p in parts[1:]]
        except ValueError:
            route = None
        if route is None:
            self.send_page(404, "no such test path")
            return
        try:
            route(*numbers)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client gave up, as some tests intend

    def send_head(self, code, length=None, extra=()):
        self.send_response(code)
        self.send_header("Content-Type", "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()

    def send_page(self, code, text):
        page = ("<html><body><h1>%d</h1><p>%s</p></body></html>" % (code, text)).encode()
        self.send_response(code)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(page)))
        self.end_headers()
        self.wfile.write(page)

    def hang_up(self):
        self.wfile.flush()
        self.close_connection = True
        self.connection.shutdown(socket.SHUT_RDWR)

    def serve_file(self, name, breaks=0, stalls=False):
        path = os.path.join(files_folder, os.path.basename(name))
        if not os.path.isfile(path):
            self.send_page(404, "no such file")
            return
        with open(path, "rb") as f:
            data = f.read()
        if breaks == 0 and not stalls:
            self.send_head(200, len(data))
            self.wfile.write(data)
            return
        info = os.stat(path)
        first = count_request(self.path) <= max(breaks, 1 if stalls else 0)
        self.serve_resumable(data, '"%d-%d"' % (info.st_size, info.st_mtime_ns), first, stall=stalls)

    def serve_resumable(self, data, etag, cut, stall=False):
        """The rest from FIRST of "Range: bytes=FIRST-" while If-Range names this ETag (206),
        else all of it (200); cut: half of that, then the connection closes (stall: stays
        silent first)."""
        asked = self.headers.get("Range", "")
        if_range = self.headers.get("If-Range")
        start = 0
        if asked.startswith("bytes=") and asked.endswith("-") and asked[6:-1].isdigit() and if_range in (None, etag):
            start = int(asked[6:-1])
            if start >= len(data):
                self.send_head(416, 0, [("Content-Range", "bytes */%d" % len(data))])
                return
            self.send_head(206, len(data) - start,
                           [("ETag", etag), ("Content-Range", "bytes %d-%d/%d" % (start, len(data) - 1, len(data)))])
        else:
            self.send_head(200, len(data), [("ETag", etag)])
        rest = data[start:]
        if not cut:
            self.wfile.write(rest)
            return
        self.wfile.write(rest[: len(rest) // 2])
        if stall:
            self.wfile.flush()
            time.sleep(STALL_SECONDS)
        self.hang_up()

    def route_length(self, size):
        self.send_head(200, size)
        self.wfile.write(body(size))

    def route_chunked(self, size):
        self.send_head(200, extra=[("Transfer-Encoding", "chunked")])
        data = body(size)
        for start in range(0, size, 4096):
            piece = data[start:start + 4096]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
        self.wfile.write(b"0\r\n\r\n")

    def route_redirect(self, size):
        self.send_response(302)
        self.send_header("Location", "/length/%d" % size)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def route_status(self, code):
        self.send_page(code, "a test answer")

    def route_cut(self, size):
        self.send_head(200, size)
        self.wfile.write(body(size)[: size // 2])
        self.hang_up()

    def route_slow(self, size, steps, milliseconds):
        self.send_head(200, size)
        data = body(size)
        bounds = [size * k // steps for k in range(steps + 1)]
        for k in range(steps):
            self.wfile.write(data[bounds[k]:bounds[k + 1]])
            self.wfile.flush()
            if k + 1 < steps:
                time.sleep(milliseconds / 1000)

    def route_stall(self, size):
        self.send_head(200, size)
        self.wfile.write(body(size)[: size // 4])
        self.wfile.flush()
        stopping.wait(STALL_SECONDS)
        self.hang_up()

    def route_silent(self):
        stopping.wait(STALL_SECONDS)
        self.hang_up()

    def route_proxied(self, size):
        if self.as_proxy:
            self.route_length(size)
        else:
            self.send_page(404, "asked directly, not as a proxy")

    def route_huge(self):
        self.send_head(200, 3 * 1024 ** 3)
        self.wfile.write(body(65536))
        self.hang_up()


class FtpHandler(socketserver.StreamRequestHandler):
    def reply(self, line):
        self.wfile.write((line + "\r\n").encode())

    def handle(self):
        passive = None
        self.reply("220 Kelvano test FTP")
        for raw in self.rfile:
            command, _, argument = raw.decode("latin-1").strip().partition(" ")
            command = command.upper()
            path = os.path.join(files_folder, os.path.basename(argument.strip("/")))
            if command == "USER":
                self.reply("331 Password please")
            elif command in ("PASS", "TYPE", "MODE", "STRU", "OPTS"):
                self.reply("230 OK" if command == "PASS" else "200 OK")
            elif command in ("PWD", "XPWD"):
                self.reply('257 "/"')
            elif command == "CWD":
                self.reply("250 OK")
            elif command == "SYST":
                self.reply("215 UNIX Type: L8")
            elif command == "PASV":
                passive = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                passive.bind(("127.0.0.1", 0))
                passive.listen(1)
                port = passive.getsockname()[1]
                self.reply("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (port >> 8, port & 255))
            elif command == "SIZE":
                if os.path.isfile(path):
                    self.reply("213 %d" % os.path.getsize(path))
                else:
                    self.reply("550 No such file")
            elif command == "RETR":
                if passive is None or not os.path.isfile(path):
                    self.reply("550 No such file")
                    continue
                self.reply("150 Sending")
                data, _ = passive.accept()
                with open(path, "rb") as f:
                    data.sendall(f.read())
                data.close()
                passive.close()
                passive = None
                self.reply("226 Done")
            elif command == "QUIT":
                self.reply("221 Bye")
                return
            else:
                self.reply("502 Not implemented")


class FtpServer(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True  # a stalled answer never keeps the process alive


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    server = Server(("127.0.0.1", 0), Handler)
    refused = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    refused.bind(("127.0.0.1", 0))  # bound, never listening: connections are refused
    threading.Thread(target=server.serve_forever, daemon=True).start()
    ftp = FtpServer(("127.0.0.1", 0), FtpHandler)
    threading.Thread(target=ftp.serve_forever, daemon=True).start()
    env = dict(os.environ,
               KELVANO_TEST_HTTP_PORT=str(server.server_address[1]),
               KELVANO_TEST_REFUSED_PORT=str(refused.getsockname()[1]),
               KELVANO_TEST_FTP_PORT=str(ftp.server_address[1]),
               KELVANO_TEST_HTTP_FILES="Z:" + files_folder.replace("/", "\\"))
    try:
        return subprocess.call(sys.argv[1:], env=env)
    finally:
        stopping.set()
        server.shutdown()
        server.server_close()
        ftp.shutdown()
        ftp.server_close()
        refused.close()
        shutil.rmtree(files_folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
