"""The tests' FTP server on 127.0.0.1, on a free port it prints first: root folder (uploads go to its folder
"upload"), and the bytes a second it takes in (0: as fast as it can; -1: as fast as it can, but then it says
no word more). A slow server still reads all it is sent; it only answers the end of a transfer late. A mute
one neither confirms the transfer nor answers or ends on QUIT."""
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

root, rate = sys.argv[1], int(sys.argv[2])
os.makedirs(os.path.join(root, "upload"), exist_ok=True)


class SlowDTPHandler(DTPHandler):
    """Reads a tenth of a second's worth, then sleeps off what it has read."""

    def __init__(self, sock, cmd_channel):
        super().__init__(sock, cmd_channel)
        self.ac_in_buffer_size = max(1, rate // 10)
        self._wake = None

    def recv(self, buffer_size):
        chunk = super().recv(buffer_size)
        if chunk:
            self.del_channel()
            self._wake = self.ioloop.call_later(len(chunk) / rate, self._resume, _errback=self.handle_error)
        return chunk

    def _resume(self):
        self.add_channel(events=self.ioloop.READ)

    def close(self):
        if self._wake is not None and not self._wake.cancelled:
            self._wake.cancel()
        super().close()


class MuteFTPHandler(FTPHandler):
    """Takes the data, then stays silent: no "226" after it and nothing on QUIT."""

    muted = False

    def respond(self, resp, *args, **kwargs):
        if resp.startswith("226"):
            self.muted = True
        if not self.muted:
            super().respond(resp, *args, **kwargs)

    def ftp_QUIT(self, line):
        if not self.muted:
            super().ftp_QUIT(line)


authorizer = DummyAuthorizer()
authorizer.add_user("qmz", "secret", root, perm="elradfmwMT")
handler = MuteFTPHandler if rate < 0 else FTPHandler
handler.authorizer = authorizer
if rate > 0:
    handler.dtp_handler = SlowDTPHandler
server = FTPServer(("127.0.0.1", 0), handler)
print(server.address[1], flush=True)
server.serve_forever()
