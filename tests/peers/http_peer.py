"""HTTP peer for the website and download tests: http.server on 127.0.0.1, port 0, the port printed first.

  /a.html, /b.html    two pages with titles that link to each other
  /redirect           302 to /b.html
  /missing (any other path) 404
  /stall              sends headers, then nothing for a minute
  /big                a body of 4 MiB
  --root DIR          files in DIR are served as they are (for example a language file)
"""
import argparse
import os
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

parser = argparse.ArgumentParser()
parser.add_argument("--root")
args = parser.parse_args()

PAGES = {
    "/a.html": b"<html><head><title>Page A</title><script>document.write('ran')</script></head>"
               b"<body><h1>Page A</h1><p><a href=\"b.html\">to B</a></p></body></html>",
    "/b.html": b"<html><head><title>Page B</title></head>"
               b"<body><h1>Page B</h1><p><a href=\"/a.html\">to A</a></p></body></html>",
}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *_):
        pass

    def send_body(self, status, body, content_type="text/html; charset=utf-8"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        path = self.path.split("?")[0]
        if path in PAGES:
            return self.send_body(200, PAGES[path])
        if path == "/redirect":
            self.send_response(302)
            self.send_header("Location", "/b.html")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if path == "/stall":
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            self.wfile.write(b"<html>")
            self.wfile.flush()
            time.sleep(60)
            return
        if path == "/big":
            # No length in advance: the cap has to count the bytes as they come.
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            chunk = b"<p>" + b"x" * 65533
            for _ in range(64):
                self.wfile.write(chunk)
            return
        if args.root:
            name = os.path.join(args.root, os.path.basename(path))
            if os.path.isfile(name):
                with open(name, "rb") as f:
                    return self.send_body(200, f.read(), "application/xml")
        self.send_body(404, b"<html><body>Not here</body></html>")


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    sys.exit(0)
