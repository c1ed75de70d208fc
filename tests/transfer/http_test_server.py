#!/usr/bin/env python3
"""HTTP server for the download tests: every misbehaviour the downloader must report, selected by path.

Usage: http_test_server.py PORT   (listens on 127.0.0.1 only)
"""
import base64
import hashlib
import http.server
import socketserver
import sys
import threading
import time

USER = "folivex"
PASSWORD = "secret"
REALM = "folivex tests"
NONCE = "5f0e1b7c2d9a4e6f"
LAST_MODIFIED = "Tue, 15 Nov 1994 08:12:31 GMT"
BODY = bytes(i % 251 for i in range(5000))
SLOW_ANSWER_SECONDS = 20
TRICKLE_LENGTH = 10 * 1024 * 1024
TRICKLE_LIMIT_SECONDS = 60

hits = {}
hits_lock = threading.Lock()


def md5(text):
    return hashlib.md5(text.encode("utf-8")).hexdigest()


def parse_digest(value):
    fields = {}
    for part in value[len("Digest "):].split(","):
        if "=" in part:
            key, _, val = part.strip().partition("=")
            fields[key.strip()] = val.strip().strip('"')
    return fields


def digest_ok(header, method):
    if not header or not header.lower().startswith("digest "):
        return False
    f = parse_digest(header)
    if f.get("username") != USER or f.get("nonce") != NONCE or "uri" not in f or "response" not in f:
        return False
    ha1 = md5(f"{USER}:{REALM}:{PASSWORD}")
    ha2 = md5(f"{method}:{f['uri']}")
    if f.get("qop"):
        expected = md5(f"{ha1}:{NONCE}:{f.get('nc', '')}:{f.get('cnonce', '')}:{f['qop']}:{ha2}")
    else:
        expected = md5(f"{ha1}:{NONCE}:{ha2}")
    return f["response"] == expected


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, code, body=b"", length=True, modified=True, extra=()):
        self.send_response(code)
        if length:
            self.send_header("Content-Length", str(len(body)))
        if modified:
            self.send_header("Last-Modified", LAST_MODIFIED)
        for key, value in extra:
            self.send_header(key, value)
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def challenge(self, scheme):
        if scheme == "Digest":
            value = f'Digest realm="{REALM}", qop="auth", nonce="{NONCE}", algorithm=MD5'
        else:
            value = f'Basic realm="{REALM}"'
        self.answer(401, b"denied", extra=[("WWW-Authenticate", value)])

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        auth = self.headers.get("Authorization")
        if path.startswith("/ok"):
            self.answer(200, BODY)
        elif path.startswith("/count/"):
            with hits_lock:
                hits[path] = hits.get(path, 0) + 1
                body = f"hit {hits[path]}".encode()
            self.answer(200, body)
        elif path == "/nolength":
            self.answer(200, BODY, length=False)
        elif path == "/nolastmod":
            self.answer(200, BODY, modified=False)
        elif path == "/early":
            self.send_response(200)
            self.send_header("Content-Length", str(len(BODY)))
            self.send_header("Last-Modified", LAST_MODIFIED)
            self.end_headers()
            self.wfile.write(BODY[:1000])
            self.wfile.flush()
            self.close_connection = True
        elif path == "/missing":
            self.answer(404, b"not here")
        elif path == "/basic":
            expected = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode()
            if auth == expected:
                self.answer(200, BODY)
            else:
                self.challenge("Basic")
        elif path == "/digest":
            if digest_ok(auth, "GET"):
                self.answer(200, BODY)
            else:
                self.challenge("Digest")
        elif path == "/slow":
            time.sleep(SLOW_ANSWER_SECONDS)
            self.answer(200, BODY)
        elif path == "/trickle":
            self.trickle()
        else:
            self.answer(404, b"unknown")

    def trickle(self):
        self.send_response(200)
        self.send_header("Content-Length", str(TRICKLE_LENGTH))
        self.send_header("Last-Modified", LAST_MODIFIED)
        self.end_headers()
        self.close_connection = True
        chunk = bytes(1024)
        sent = 0
        end = time.monotonic() + TRICKLE_LIMIT_SECONDS
        try:
            self.wfile.write(bytes(8192))
            self.wfile.flush()
            sent = 8192
            while sent < TRICKLE_LENGTH and time.monotonic() < end:
                time.sleep(0.02)
                self.wfile.write(chunk)
                self.wfile.flush()
                sent += len(chunk)
        except OSError:
            pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    port = int(sys.argv[1])
    Server(("127.0.0.1", port), Handler).serve_forever()


if __name__ == "__main__":
    main()
