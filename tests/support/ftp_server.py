#!/usr/bin/python3
# A local FTP server for the tests, the demo and the benchmark: pyftpdlib on
# a loopback port of the system's choice, serving ROOT to one user with
# every right. The port goes to PORTFILE once the server listens.
#
#   ftp_server.py ROOT PORTFILE [USER PASSWORD] [--ipv6] [--no-active]
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    flags = [a for a in sys.argv[1:] if a.startswith("--")]
    root, portfile = args[0], args[1]
    user = args[2] if len(args) > 2 else "zel"
    password = args[3] if len(args) > 3 else "zel"
    auth = DummyAuthorizer()
    auth.add_user(user, password, root, perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = auth
    Handler.banner = "ZEL test server ready."
    Handler.auth_failed_timeout = 0.1
    if "--no-active" in flags:
        # A server that only serves passive clients, as behind a firewall.
        def ftp_PORT(self, line):
            self.respond("502 Active mode is not offered here.")
        Handler.ftp_PORT = ftp_PORT
        Handler.ftp_EPRT = ftp_PORT
    host = "::1" if "--ipv6" in flags else "127.0.0.1"
    server = FTPServer((host, 0), Handler)
    server.max_cons = 64
    port = server.socket.getsockname()[1]
    tmp = portfile + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % port)
    os.rename(tmp, portfile)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    import logging
    logging.basicConfig(level=logging.CRITICAL)
    main()
