"""Smallest peer: a TCP server on 127.0.0.1 that echoes each line; shows the fixture protocol."""
import socketserver
import sys


class Echo(socketserver.StreamRequestHandler):
    def handle(self):
        for line in self.rfile:
            self.wfile.write(line)


with socketserver.TCPServer(("127.0.0.1", 0), Echo) as server:
    print(server.server_address[1], flush=True)
    server.serve_forever()
