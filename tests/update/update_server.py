"""Loopback HTTP server for the update tests.

Serves the files of a folder with "$PORT" in them replaced by the server's port. A first path component
names how the file is served badly:
  /nolength/   without Content-Length          /status404/  with status 404
  /badlength/  a Content-Length no number type holds
  /short/      the full length announced, half the body sent, then the connection closed
  /chunked/    HTTP/1.1 chunked, correctly ended
  /huge/       3 GiB announced, the file sent, then the connection closed
  /endless/    no length, data until the client goes
  /drip/       a head, then one byte of the file every 0.5 s
  /silent/     nothing at all until the client goes
  /auth/       only to the user "tester" with the password "s3cret" (basic authentication), else status 401
/loop redirects to itself. Prints the port on its first line, then serves until killed.
"""
import base64
import http.server
import os
import sys
import time

MODES = {"nolength", "status404", "badlength", "short", "chunked", "huge", "endless", "drip", "silent", "auth"}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.path == "/loop":
            self.send_response(302)
            self.send_header("Location", "/loop")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        mode, _, rest = self.path.lstrip("/").partition("/")
        if mode not in MODES:
            mode, rest = "", self.path.lstrip("/")
        if mode == "silent":
            time.sleep(600)
            return
        file = os.path.join(self.server.root, rest)
        if not os.path.isfile(file):
            body, status = b"<html>not found</html>", 404
        else:
            with open(file, "rb") as f:
                body, status = f.read().replace(b"$PORT", str(self.server.server_port).encode()), 200
        if mode == "status404":
            status = 404
        if mode == "auth" and self.headers.get("Authorization") != "Basic " + base64.b64encode(b"tester:s3cret").decode():
            body, status = b"<html>who are you</html>", 401
        try:
            self.serve(mode, status, body)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def serve(self, mode, status, body):
        if mode == "chunked":
            self.protocol_version = "HTTP/1.1"
        self.send_response(status)
        if mode == "badlength":
            self.send_header("Content-Length", "99999999999999999999")
        elif mode == "huge":
            self.send_header("Content-Length", str(3 * 1024 ** 3))
        elif mode == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
            self.send_header("Connection", "close")
        elif mode not in ("nolength", "endless", "drip"):
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if mode == "short":
            self.wfile.write(body[: len(body) // 2])
        elif mode == "chunked":
            self.wfile.write(b"%x\r\n%s\r\n0\r\n\r\n" % (len(body), body))
        elif mode == "endless":
            while True:
                self.wfile.write(body or b"x")
        elif mode == "drip":
            for i in range(len(body)):
                self.wfile.write(body[i:i + 1])
                self.wfile.flush()
                time.sleep(0.5)
        else:
            self.wfile.write(body)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


server = Server(("127.0.0.1", 0), Handler)
server.root = sys.argv[1]
print(server.server_port, flush=True)
server.serve_forever()
