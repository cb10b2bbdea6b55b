"""Scripted SMTP peer for servers that aiosmtpd will not imitate: 127.0.0.1, port 0, the port printed first.

Every command gets its usual positive reply except where --mode says otherwise:

  early-250          answers DATA with 354 and 250 in one piece, reads the message to its final "."
                     and refuses it there with 554
  midway-250         answers DATA with 354, says 250 after the first 64 KiB of the message, reads on to
                     the final "." and refuses it there with 554
  midway-250-close   answers DATA with 354, reads 64 KiB of the message, says 250 and closes
  quit-554           accepts the message and answers QUIT with 554
  blank-STEP         answers STEP (GREETING, HELO, MAIL, RCPT, DATA or DOT) with an empty line
"""
import argparse
import socketserver

parser = argparse.ArgumentParser()
parser.add_argument("--mode", required=True)
args = parser.parse_args()


class Session(socketserver.StreamRequestHandler):
    def reply(self, step, text):
        if args.mode == "blank-" + step:
            text = ""
        self.wfile.write(text.encode() + b"\r\n")

    def read_to_dot(self):
        for line in self.rfile:
            if line == b".\r\n":
                return True
        return False

    def data(self):
        if args.mode == "early-250":
            self.wfile.write(b"354 Go ahead\r\n250 OK\r\n")
        elif args.mode.startswith("midway-250"):
            self.wfile.write(b"354 Go ahead\r\n")
            self.rfile.read(64 * 1024)
            self.wfile.write(b"250 OK\r\n")
            if args.mode == "midway-250-close":
                return False
        else:
            self.reply("DATA", "354 Go ahead")
        if not self.read_to_dot():
            return False
        if args.mode in ("early-250", "midway-250"):
            self.wfile.write(b"554 5.7.1 Message refused\r\n")
        else:
            self.reply("DOT", "250 OK queued")
        return True

    def handle(self):
        try:
            self.converse()
        except ConnectionError:
            pass  # the client gave up, as it should on many of these replies

    def converse(self):
        self.reply("GREETING", "220 scripted.test ESMTP")
        for line in self.rfile:
            verb = line[:4].upper()
            if verb in (b"HELO", b"EHLO"):
                self.reply("HELO", "250 scripted.test")
            elif verb == b"MAIL":
                self.reply("MAIL", "250 OK")
            elif verb == b"RCPT":
                self.reply("RCPT", "250 OK")
            elif verb == b"DATA":
                if not self.data():
                    return
            elif verb == b"QUIT":
                self.wfile.write(b"554 5.0.0 Changed my mind\r\n" if args.mode == "quit-554" else b"221 Bye\r\n")
                return
            else:
                self.wfile.write(b"500 Unknown command\r\n")


socketserver.ThreadingTCPServer.daemon_threads = True
socketserver.ThreadingTCPServer.allow_reuse_address = True
with socketserver.ThreadingTCPServer(("127.0.0.1", 0), Session) as server:
    print(server.server_address[1], flush=True)
    server.serve_forever()
