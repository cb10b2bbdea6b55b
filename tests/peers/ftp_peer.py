"""FTP server on 127.0.0.1 for the FTP client tests: serves one folder, prints its port first.

Options:
  --root DIR         folder served to the user (and to anonymous)
  --user NAME        login name (default "user")
  --password TEXT    login password (default "secret")
  --anonymous        also accept anonymous logins
  --long-banner      a greeting over 75 characters, which pyftpdlib sends as a two-line 220
  --pieces           every reply is written in small pieces with pauses between them
"""
import argparse
import logging
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--anonymous", action="store_true")
    parser.add_argument("--long-banner", action="store_true")
    parser.add_argument("--pieces", action="store_true")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if args.anonymous:
        authorizer.add_anonymous(args.root, perm="elradfmwMT")

    handler = PieceHandler if args.pieces else FTPHandler
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0
    handler.encoding = "utf8"
    if args.long_banner:
        handler.banner = "Quillback test server ready; this greeting is deliberately longer than 75 chars."
    else:
        handler.banner = "Quillback test server ready."

    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
