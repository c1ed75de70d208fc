#!/usr/bin/env python3
"""Loopback HTTP server for the download tests; the path picks the misbehaviour.
Usage: http_test_server.py PORT [DOC_DIR]   (DOC_DIR: help documents served under /doc/ and, with a login, /basicdoc/)"""
import base64
import os
import http.server
import socketserver
import sys
import threading
import time

BODY = bytes(i % 251 for i in range(5000))
BASIC = "Basic " + base64.b64encode(b"folivex:secret").decode()
CHALLENGES = {"/basic": 'Basic realm="folivex"',
              "/digest": 'Digest realm="folivex", qop="auth", nonce="5f0e1b7c2d9a4e6f", algorithm=MD5'}
DOC_DIR = sys.argv[2] if len(sys.argv) > 2 else None
hits = {}
hits_lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def head(self, code, length=None, modified=True, close=True, extra=()):
        self.send_response(code)
        if length is not None:
            self.send_header("Content-Length", str(length))
        if modified:
            self.send_header("Last-Modified", "Tue, 15 Nov 1994 08:12:31 GMT")
        for key, value in extra:
            self.send_header(key, value)
        if close:
            self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True

    def answer(self, code, body=BODY, **kw):
        self.head(code, len(body), **kw)
        self.wfile.write(body)

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if DOC_DIR and (path.startswith("/doc/") or path.startswith("/basicdoc/")):
            if path.startswith("/basicdoc/") and self.headers.get("Authorization") != BASIC:
                self.answer(401, b"denied", extra=[("WWW-Authenticate", CHALLENGES["/basic"])])
                return
            name = os.path.basename(path)
            try:
                with open(os.path.join(DOC_DIR, name), "rb") as document:
                    self.answer(200, document.read())
            except OSError:
                self.answer(404)
        elif path.startswith("/count/"):
            with hits_lock:
                hits[path] = hits.get(path, 0) + 1
                self.answer(200, f"hit {hits[path]}".encode())
        elif path == "/nolength":
            self.head(200)
            self.wfile.write(BODY)
        elif path == "/nolastmod":
            self.answer(200, modified=False)
        elif path == "/early":
            self.head(200, len(BODY), close=False)
            self.wfile.write(BODY[:1000])
        elif path in CHALLENGES:
            if path == "/basic" and self.headers.get("Authorization") == BASIC:
                self.answer(200)
            else:
                self.answer(401, b"denied", extra=[("WWW-Authenticate", CHALLENGES[path])])
        elif path == "/slow":
            time.sleep(20)
            self.answer(200)
        elif path == "/trickle":
            self.head(200, 10 << 20, close=False)
            try:
                self.wfile.write(bytes(8192))
                for _ in range(3000):
                    self.wfile.flush()
                    time.sleep(0.02)
                    self.wfile.write(bytes(1024))
            except OSError:
                pass
        else:
            self.answer(200 if path.startswith("/ok") else 404)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


if __name__ == "__main__":
    Server(("127.0.0.1", int(sys.argv[1])), Handler).serve_forever()
