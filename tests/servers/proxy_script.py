#!/usr/bin/python3
"""A scripted proxy on 127.0.0.1 for the faults real proxies never show.

Usage: proxy_script.py PORT MODE [options]

Modes:
  socks4   SOCKS4 CONNECT; --code is the reply code (90 granted).
  socks5   SOCKS5 with optional RFC 1929 login; --method picks the method
           ("auto": 2 when offered, else 0), --auth-status the login reply,
           --rep the CONNECT reply, --atyp the bound address type of the
           reply (1 IPv4, 3 domain name, 4 IPv6).
  connect  HTTP CONNECT; --status is the status line's text after
           "HTTP/1.0 ", --extra bytes follow the blank line in the same
           send, --endless sends header lines that never end instead
           (until the client gives up, at most 8 MiB).

--split sends every reply byte by byte, so the client sees short reads.
--truncate N sends only the first N bytes of the final reply (the SOCKS
reply to CONNECT, or the CONNECT reply), then closes.

Connections are served one at a time. After a granted handshake the script
is the target: it echoes every byte back. A connection whose first line is
"REPORT" gets the hex of the handshake bytes of the last connection that
sent any, then a line break, so tests can check the exact bytes a client
sent once it has closed its side.
"""

import argparse
import socket
import struct
import sys
import time

from loopback_listener import listen

CONNECTION_TIMEOUT = 30.0
ENDLESS_LIMIT = 8 * 1024 * 1024
BOUND_DOMAIN = b"bound-address.proxy.example.test"


class Closed(Exception):
    pass


class Conversation:
    def __init__(self, sock, split, truncate):
        self.sock = sock
        self.split = split
        self.truncate = truncate
        self.received = bytearray()

    def read(self, n):
        data = bytearray()
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise Closed()
            data += chunk
        self.received += data
        return bytes(data)

    def read_until(self, marker, limit=65536):
        data = bytearray()
        while not data.endswith(marker):
            if len(data) > limit:
                raise Closed()
            data += self.read(1)
        return bytes(data)

    def send(self, data):
        if self.split:
            for i in range(len(data)):
                self.sock.sendall(data[i:i + 1])
                time.sleep(0.01)
        else:
            self.sock.sendall(data)

    def reply(self, data):
        """The final reply of a handshake, cut short when asked."""
        if self.truncate is not None:
            self.send(data[:self.truncate])
            raise Closed()
        self.send(data)

    def echo(self):
        while True:
            chunk = self.sock.recv(65536)
            if not chunk:
                return
            self.sock.sendall(chunk)


def serve_socks4(talk, args):
    talk.read(8)
    talk.read_until(b"\0", 1024)
    talk.reply(bytes([0, args.code]) + b"\x12\x34" + socket.inet_aton("127.0.0.1"))
    if args.code == 90:
        talk.echo()


def bound_address(atyp):
    if atyp == 1:
        return bytes([1]) + socket.inet_aton("127.0.0.1")
    if atyp == 3:
        return bytes([3, len(BOUND_DOMAIN)]) + BOUND_DOMAIN
    if atyp == 4:
        return bytes([4]) + socket.inet_pton(socket.AF_INET6, "2001:db8::1")
    return bytes([atyp]) + socket.inet_aton("127.0.0.1")


def serve_socks5(talk, args):
    _, count = talk.read(2)
    methods = talk.read(count)
    if args.method == "auto":
        method = 2 if 2 in methods else (0 if 0 in methods else 0xFF)
    else:
        method = int(args.method)
    talk.send(bytes([5, method]))
    if method == 0xFF:
        return
    if method == 2:
        talk.read(1)
        (user_length,) = talk.read(1)
        talk.read(user_length)
        (password_length,) = talk.read(1)
        talk.read(password_length)
        talk.send(bytes([1, args.auth_status]))
        if args.auth_status != 0:
            return
    _, _, _, atyp = talk.read(4)
    if atyp == 1:
        talk.read(4)
    elif atyp == 3:
        (length,) = talk.read(1)
        talk.read(length)
    elif atyp == 4:
        talk.read(16)
    talk.read(2)
    talk.reply(bytes([5, args.rep, 0]) + bound_address(args.atyp) + struct.pack(">H", 4321))
    if args.rep == 0:
        talk.echo()


def serve_connect(talk, args):
    talk.read_until(b"\r\n\r\n")
    if args.endless:
        talk.send(b"HTTP/1.0 200 Connection established\r\n")
        line = b"X-Filler: " + b"a" * 100 + b"\r\n"
        sent = 0
        while sent < ENDLESS_LIMIT:
            talk.sock.sendall(line)
            sent += len(line)
        return
    talk.reply(b"HTTP/1.0 " + args.status.encode() + b"\r\n\r\n" + args.extra.encode())
    if args.status.startswith("200"):
        talk.echo()


def serve(conn, args, state):
    talk = Conversation(conn, args.split, args.truncate)
    first = conn.recv(1, socket.MSG_PEEK)
    if not first:
        return
    if first == b"R":
        talk.read_until(b"\n")
        conn.sendall(state["last"].hex().encode() + b"\n")
        return
    try:
        if args.mode == "socks4":
            serve_socks4(talk, args)
        elif args.mode == "socks5":
            serve_socks5(talk, args)
        else:
            serve_connect(talk, args)
    finally:
        state["last"] = bytes(talk.received)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("port", type=int)
    parser.add_argument("mode", choices=["socks4", "socks5", "connect"])
    parser.add_argument("--code", type=int, default=90)
    parser.add_argument("--method", default="auto")
    parser.add_argument("--auth-status", type=int, default=0)
    parser.add_argument("--rep", type=int, default=0)
    parser.add_argument("--atyp", type=int, default=1)
    parser.add_argument("--status", default="200 Connection established")
    parser.add_argument("--extra", default="")
    parser.add_argument("--endless", action="store_true")
    parser.add_argument("--split", action="store_true")
    parser.add_argument("--truncate", type=int, default=None)
    args = parser.parse_args()

    listener = listen(args.port, 16)
    state = {"last": b""}
    while True:
        conn, _ = listener.accept()
        conn.settimeout(CONNECTION_TIMEOUT)
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        try:
            serve(conn, args, state)
        except (Closed, OSError) as error:
            print("connection ended: %r" % (error,), file=sys.stderr, flush=True)
        finally:
            conn.close()


if __name__ == "__main__":
    main()
