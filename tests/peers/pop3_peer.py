"""POP3 peer for POP-before-SMTP: 127.0.0.1, port 0, the port printed first.

  --mode ok       "+OK" to the greeting, USER, PASS and QUIT
  --mode err      "-ERR" to PASS
  --mode silent   accepts the connection and says nothing
"""
import argparse
import socketserver

parser = argparse.ArgumentParser()
parser.add_argument("--mode", default="ok")
args = parser.parse_args()


class Session(socketserver.StreamRequestHandler):
    def handle(self):
        if args.mode == "silent":
            self.rfile.read()
            return
        self.wfile.write(b"+OK ready\r\n")
        for line in self.rfile:
            command = line[:4].upper()
            if command == b"PASS" and args.mode == "err":
                self.wfile.write(b"-ERR invalid password\r\n")
            else:
                self.wfile.write(b"+OK\r\n")
            if command == b"QUIT":
                return


with socketserver.ThreadingTCPServer(("127.0.0.1", 0), Session) as server:
    print(server.server_address[1], flush=True)
    server.serve_forever()
