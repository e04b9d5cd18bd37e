"""The tests' FTP server on 127.0.0.1: port, root folder, and the bytes a second it takes in (0: as fast
as it can). A slow server still reads all it is sent; it only answers the end of a transfer late."""
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

port, root, rate = int(sys.argv[1]), sys.argv[2], int(sys.argv[3])


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


authorizer = DummyAuthorizer()
authorizer.add_user("qmz", "secret", root, perm="elradfmwMT")
handler = FTPHandler
handler.authorizer = authorizer
if rate > 0:
    handler.dtp_handler = SlowDTPHandler
FTPServer(("127.0.0.1", port), handler).serve_forever()
