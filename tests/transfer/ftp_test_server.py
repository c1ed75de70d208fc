#!/usr/bin/env python3
"""Loopback FTP server: one account over a folder holding doc.bin. Usage: ftp_test_server.py PORT ROOT"""
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

if __name__ == "__main__":
    port, root = int(sys.argv[1]), sys.argv[2]
    os.makedirs(root, exist_ok=True)
    with open(os.path.join(root, "doc.bin"), "wb") as f:
        f.write(bytes(i % 251 for i in range(3000)))
    FTPHandler.authorizer = DummyAuthorizer()
    FTPHandler.authorizer.add_user("folivex", "secret", root, perm="elr")
    FTPHandler.permit_foreign_addresses = False
    FTPServer(("127.0.0.1", port), FTPHandler).serve_forever()
