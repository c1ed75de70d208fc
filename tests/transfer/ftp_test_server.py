#!/usr/bin/env python3
"""FTP server for the download tests: one account over a folder holding one file; every other login is refused.

Usage: ftp_test_server.py PORT ROOT   (listens on 127.0.0.1 only)
"""
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

USER = "folivex"
PASSWORD = "secret"
FILE_NAME = "doc.bin"
FILE_SIZE = 3000


def main():
    port = int(sys.argv[1])
    root = sys.argv[2]
    os.makedirs(root, exist_ok=True)
    with open(os.path.join(root, FILE_NAME), "wb") as f:
        f.write(bytes(i % 251 for i in range(FILE_SIZE)))
    authorizer = DummyAuthorizer()
    authorizer.add_user(USER, PASSWORD, root, perm="elr")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "folivex test server"
    handler.permit_foreign_addresses = False
    server = FTPServer(("127.0.0.1", port), handler)
    server.serve_forever()


if __name__ == "__main__":
    main()
