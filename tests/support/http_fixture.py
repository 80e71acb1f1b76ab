#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the exchange tests.

Started by a test with --root DIR; prints its port on the first line of stdout and serves
until it is killed. Every request is appended to DIR/requests.log as one JSON line
(request line, headers, body in base64).

  GET  /files/NAME           the file DIR/NAME (404 when missing)
  *    /status/CODE          an HTML page with that status; 500's page holds "<done>"
  GET  /redirect/N/REST      N redirects in a row, then /REST
  GET  /truncated            announces 1000 bytes, sends 500 and closes
  *    /slow                 announces 1000 bytes, sends 10 and then nothing for 30 s
  POST /upload               answers with DIR/reply.txt, or "<done>" when it is missing
  POST /redirect-upload      302 to /upload
  GET  /redirect-file        302 to a file: address

With --proxy USER:PASS, requests for an absolute address are proxy requests: without the
right Basic Proxy-Authorization they get 407, otherwise they are served from this server.
With --forward as well, the server is a proxy alone: an authorised request is sent on to
the server it names and that server's answer comes back as it is (redirects included);
any other request gets 400.
"""
import argparse
import base64
import http.client
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

ARGS = None
LOG_LOCK = threading.Lock()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self, body):
        entry = {
            "line": self.requestline,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": base64.b64encode(body).decode(),
        }
        with LOG_LOCK, open(os.path.join(ARGS.root, "requests.log"), "a") as f:
            f.write(json.dumps(entry) + "\n")

    def reply(self, code, body, headers=()):
        self.send_response(code)
        for k, v in headers:
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Content-Type", "text/html")
        self.end_headers()
        self.wfile.write(body)

    def forward(self, body):
        target = urlsplit(self.path)
        path = target.path + ("?" + target.query if target.query else "")
        skip = {"proxy-authorization", "proxy-connection", "connection", "keep-alive", "host"}
        headers = {k: v for k, v in self.headers.items() if k.lower() not in skip}
        upstream = http.client.HTTPConnection(target.hostname, target.port or 80, timeout=30)
        try:
            upstream.request(self.command, path, body=body or None, headers=headers)
            answer = upstream.getresponse()
            data = answer.read()
            passed = [(k, v) for k, v in answer.getheaders()
                      if k.lower() not in ("connection", "keep-alive", "transfer-encoding", "content-length",
                                           "content-type", "server", "date")]
            self.send_response(answer.status, answer.reason)
            for k, v in passed:
                self.send_header(k, v)
            self.send_header("Content-Type", answer.getheader("Content-Type", "text/html"))
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)
        finally:
            upstream.close()

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        self.record(body)
        path = self.path
        if path.startswith("http://") or path.startswith("https://"):
            if not ARGS.proxy:
                return self.reply(502, b"<html>no proxy here</html>")
            want = "Basic " + base64.b64encode(ARGS.proxy.encode()).decode()
            if self.headers.get("Proxy-Authorization") != want:
                return self.reply(407, b"<html>proxy authentication required</html>",
                                  [("Proxy-Authenticate", 'Basic realm="fixture"')])
            if ARGS.forward:
                return self.forward(body)
            path = urlsplit(path).path
        elif ARGS.forward:
            return self.reply(400, b"<html>a proxy takes absolute addresses</html>")
        parts = [p for p in path.split("/") if p]
        if not parts:
            return self.reply(404, b"<html>nothing here</html>")
        head = parts[0]
        if head == "files" and len(parts) == 2:
            name = os.path.join(ARGS.root, parts[1])
            if not os.path.isfile(name):
                return self.reply(404, b"<html><body>404 Not Found</body></html>")
            with open(name, "rb") as f:
                return self.reply(200, f.read())
        if head == "status" and len(parts) == 2:
            code = int(parts[1])
            page = b"<html><body>error <done></body></html>" if code == 500 else b"<html><body>error</body></html>"
            return self.reply(code, page)
        if head == "redirect" and len(parts) >= 3:
            n = int(parts[1])
            rest = "/".join(parts[2:])
            target = "/redirect/%d/%s" % (n - 1, rest) if n > 1 else "/" + rest
            return self.reply(302, b"<html>moved</html>", [("Location", target)])
        if head == "redirect-file":
            return self.reply(302, b"<html>moved</html>", [("Location", "file:///etc/hostname")])
        if head == "redirect-upload":
            return self.reply(302, b"<html>moved <done></html>", [("Location", "/upload")])
        if head == "truncated":
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"x" * 500)
            self.wfile.flush()
            self.close_connection = True
            return
        if head == "slow":
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"x" * 10)
            self.wfile.flush()
            time.sleep(30)
            self.close_connection = True
            return
        if head == "upload":
            name = os.path.join(ARGS.root, "reply.txt")
            answer = b"<done>"
            if os.path.isfile(name):
                with open(name, "rb") as f:
                    answer = f.read()
            return self.reply(200, answer)
        return self.reply(404, b"<html>unknown</html>")

    do_GET = handle_any
    do_POST = handle_any


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--proxy", default="")
    parser.add_argument("--forward", action="store_true")
    ARGS = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
