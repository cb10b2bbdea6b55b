"""FTP server on 127.0.0.1 for the FTP client tests: serves one folder, prints its port first.

Options:
  --root DIR         folder served to the user (and to anonymous)
  --user NAME        login name (default "user")
  --password TEXT    login password (default "secret")
  --anonymous        also accept anonymous logins
  --long-banner      a greeting over 75 characters, which pyftpdlib sends as a two-line 220
  --pieces           every reply is written in small pieces with pauses between them
  --masquerade ADDR  the address the server names in its replies to PASV
  --drop-after N     a data connection is cut (426) after N bytes either way
  --stall-after N    a data connection stops sending and reading after N bytes
  --only MODE        "active" or "passive": the other way of opening data connections is refused
  --login-folder P   the folder (below the root, e.g. /home/user) a session starts in after login
  --perm PERMS       the user's pyftpdlib permissions (default "elradfmwMT"; without "f" no renames)
  --throttle BPS     data connections move at most BPS bytes a second either way
  --uploads WHAT     "discarded": a received file is removed at once; "emptied": it is cut to 0 bytes
  --short-downloads N  RETR sends at most the first N bytes of a file and calls it complete
  --refuse NAME      an upload of a file whose name begins with NAME is refused with 552
  --deny CMD         every CMD (e.g. RNTO, SIZE) is refused with 550; may be given more than once
"""
import argparse
import logging
import os
import socket
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


class PieceHandler(FTPHandler):
    """Writes each reply in pieces of a few bytes, so the client must assemble lines itself."""

    def push(self, data):
        raw = data.encode(self.encoding) if isinstance(data, str) else data
        # Split the final line mid-text as well as between lines.
        step = 7
        for start in range(0, len(raw), step):
            self.socket.sendall(raw[start:start + step])
            time.sleep(0.01)


class LimitedDTP(DTPHandler):
    """A data connection that is cut, or goes quiet, once `limit` bytes went through it."""

    limit = None
    stall = False

    def _over(self):
        return self.tot_bytes_sent + self.tot_bytes_received >= self.limit

    def _stop(self):
        if self.stall:
            # Out of the event loop: the connection stays open and nothing moves any more.
            if not getattr(self, "stalled", False):
                self.stalled = True
                self.ioloop.unregister(self._fileno)
            return 0
        self._resp = ("426 Connection closed; transfer aborted.", logging.info)
        self.close()
        return 0

    def send(self, data):
        if self._over():
            return self._stop()
        return DTPHandler.send(self, data[: self.limit - self.tot_bytes_sent])

    def handle_read(self):
        if self._over():
            self._stop()
            return
        DTPHandler.handle_read(self)

    handle_read_event = handle_read


def start_in(folder):
    """An on_login hook that starts each session in `folder` instead of the root."""

    def on_login(self, username):
        self.fs.cwd = folder

    return on_login


class ShortFile:
    """A file opened for reading that ends after `left` bytes."""

    def __init__(self, inner, left):
        self._inner = inner
        self._left = left

    def read(self, size=-1):
        wanted = self._left if size is None or size < 0 else min(size, self._left)
        data = self._inner.read(wanted) if wanted > 0 else b""
        self._left -= len(data)
        return data

    def __getattr__(self, name):
        return getattr(self._inner, name)


class ShortReadFS(AbstractedFS):
    limit = None

    def open(self, filename, mode):
        opened = AbstractedFS.open(self, filename, mode)
        return ShortFile(opened, self.limit) if "r" in mode else opened


class PacedDTP(ThrottledDTPHandler):
    """Moves data at the throttle's pace, evenly, through small socket buffers, as over a slow link:
    what is not yet taken waits on the sending side, not in a large buffer here."""

    def __init__(self, sock, cmd_channel):
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 32768)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 32768)
        super().__init__(sock, cmd_channel)

    def _throttle_bandwidth(self, len_chunk, max_speed):
        # A rest after every chunk for as long as the chunk takes at the pace, rather than the base
        # class's bursts of a second's worth followed by up to two seconds of silence.
        now = time.monotonic()
        self._timenext = max(self._timenext, now) + len_chunk / max_speed
        rest = self._timenext - now
        if rest <= 0:
            return

        def unsleep():
            self.add_channel(events=self.ioloop.READ if self.receive else self.ioloop.WRITE)

        self.del_channel()
        self._cancel_throttler()
        self._throttler = self.ioloop.call_later(rest, unsleep, _errback=self.handle_error)


def keep_uploads(handler_class, what):
    """A handler whose received files are discarded or emptied once their 226 is sent."""

    class Keeping(handler_class):
        def on_file_received(self, file):
            if what == "discarded":
                os.remove(file)
            else:
                open(file, "wb").close()

    return Keeping


def refuse(self, line):
    self.respond("502 This server does not open data connections that way.")


def refusing(handler, prefix):
    """The handler, but a server over its quota for uploads named `prefix`..."""

    class RefusingHandler(handler):
        def ftp_STOR(self, file, mode="w"):
            if os.path.basename(file).startswith(prefix):
                self.respond("552 Requested file action aborted. Exceeded storage allocation.")
                return None
            return handler.ftp_STOR(self, file, mode)

    return RefusingHandler


def denying(handler, commands):
    """The handler, but a server that refuses each of `commands` whatever it names."""

    class DenyingHandler(handler):
        pass

    for command in commands:
        setattr(DenyingHandler, "ftp_" + command, lambda self, *args: self.respond("550 Not allowed here."))
    return DenyingHandler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--anonymous", action="store_true")
    parser.add_argument("--long-banner", action="store_true")
    parser.add_argument("--pieces", action="store_true")
    parser.add_argument("--masquerade")
    parser.add_argument("--drop-after", type=int)
    parser.add_argument("--stall-after", type=int)
    parser.add_argument("--only", choices=["active", "passive"])
    parser.add_argument("--login-folder")
    parser.add_argument("--perm", default="elradfmwMT")
    parser.add_argument("--throttle", type=int)
    parser.add_argument("--uploads", choices=["discarded", "emptied"])
    parser.add_argument("--short-downloads", type=int)
    parser.add_argument("--refuse")
    parser.add_argument("--deny", action="append", default=[])
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm=args.perm)
    if args.anonymous:
        authorizer.add_anonymous(args.root, perm="elradfmwMT")

    handler = PieceHandler if args.pieces else FTPHandler
    if args.uploads:
        handler = keep_uploads(handler, args.uploads)
    if args.refuse:
        handler = refusing(handler, args.refuse)
    if args.deny:
        handler = denying(handler, [command.upper() for command in args.deny])
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0
    handler.encoding = "utf8"
    if args.long_banner:
        handler.banner = "Quillback test server ready; this greeting is deliberately longer than 75 chars."
    else:
        handler.banner = "Quillback test server ready."

    if args.only == "active":
        handler.ftp_PASV = handler.ftp_EPSV = refuse
    elif args.only == "passive":
        handler.ftp_PORT = handler.ftp_EPRT = refuse

    if args.login_folder:
        handler.on_login = start_in(args.login_folder)

    if args.masquerade:
        handler.masquerade_address = args.masquerade
    if args.drop_after is not None or args.stall_after is not None:
        LimitedDTP.limit = args.drop_after if args.drop_after is not None else args.stall_after
        LimitedDTP.stall = args.stall_after is not None
        handler.dtp_handler = LimitedDTP
        handler.use_sendfile = False

    if args.throttle:
        PacedDTP.read_limit = args.throttle
        PacedDTP.write_limit = args.throttle
        handler.dtp_handler = PacedDTP
    if args.short_downloads is not None:
        ShortReadFS.limit = args.short_downloads
        handler.abstracted_fs = ShortReadFS
        handler.use_sendfile = False

    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
