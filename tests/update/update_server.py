"""Loopback HTTP server for the update tests.

Serves the files of a folder with "$PORT" in them replaced by the server's port. Paths under
/nolength/ are sent without Content-Length, /status404/ with status 404, /loop redirects to itself.
Prints the port on its first line, then serves until killed.
"""
import http.server
import os
import sys


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
        status = 200
        path = self.path
        with_length = True
        if path.startswith("/nolength/"):
            path, with_length = path[len("/nolength"):], False
        elif path.startswith("/status404/"):
            path, status = path[len("/status404"):], 404
        file = os.path.join(self.server.root, path.lstrip("/"))
        if not os.path.isfile(file):
            status, body = 404, b"<html>not found</html>"
        else:
            with open(file, "rb") as f:
                body = f.read().replace(b"$PORT", str(self.server.server_port).encode())
        self.send_response(status)
        if with_length:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.root = sys.argv[1]
print(server.server_port, flush=True)
server.serve_forever()
