#!/usr/bin/python3
"""An HTTP/1.1 server on 127.0.0.1 for the tests of the HTTP client: request
bodies, early answers to a POST, coded and broken bodies, endless streams,
oversized headers and an NTLM logon that checks the client's proof.

Usage: http_client_server.py PORT
Every answer carries "X-Connection: <n>" (connections counted from 1 in the
order they were accepted) and "X-Request: <k>" (requests on that
connection, from 1), so tests can tell whether a connection was reused.
Runs until it is terminated.
"""

import base64
import gzip
import hashlib
import hmac
import itertools
import socket
import struct
import sys
import threading
import time
import zlib

from loopback_listener import listen

SAMPLE = "".join("line %d of the page\n" % i for i in range(2000)).encode()

# The NT hash (MD4 of the UTF-16LE password) of "Password", the one password
# the NTLM logon accepts; MD4 may be missing from hashlib, so it is given.
NT_HASH = bytes.fromhex("a4f49c406510bdcab6824ee7c30fd852")
SERVER_CHALLENGE = bytes.fromhex("0123456789abcdef")
TARGET_INFO = bytes.fromhex("02000c0044006f006d00610069006e00"
                            "01000c00530065007200760065007200"
                            "00000000")

# How long a stalled connection waits for the client to go away.
STALL_LIMIT = 60

counter = itertools.count(1)

# Paths answered with a bare status and a short page (none for HEAD).
STATUS_ANSWERS = {
    "/no-content": "204 No Content",
    "/missing": "404 Not Found",
    "/forbidden": "403 Forbidden",
    "/broken": "500 Internal Server Error",
    "/moved-nowhere": "302 Found",
    "/denied": "401 Unauthorized",
}


def answer(status, body=b"", fields="", conn_no=0, req_no=0):
    return ("HTTP/1.1 %s\r\nX-Connection: %d\r\nX-Request: %d\r\n%sContent-Length: %d\r\n\r\n"
            % (status, conn_no, req_no, fields, len(body))).encode() + body


class Reader:
    def __init__(self, conn):
        self.conn = conn
        self.pending = b""

    def head(self):
        """(request line, {lower-cased name: value}) or None when the client went."""
        while b"\r\n\r\n" not in self.pending:
            data = self.conn.recv(65536)
            if not data:
                return None
            self.pending += data
        head, _, self.pending = self.pending.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n")
        fields = {}
        for line in lines[1:]:
            name, _, value = line.partition(":")
            fields[name.strip().lower()] = value.strip()
        return lines[0], fields

    def body(self, length):
        while len(self.pending) < length:
            data = self.conn.recv(65536)
            if not data:
                return None
            self.pending += data
        out, self.pending = self.pending[:length], self.pending[length:]
        return out


def ntlm_challenge():
    target_name = "Domain".encode("utf-16-le")
    flags = 0xE28A8235
    payload_at = 56
    message = b"NTLMSSP\0" + struct.pack("<I", 2)
    message += struct.pack("<HHI", len(target_name), len(target_name), payload_at)
    message += struct.pack("<I", flags) + SERVER_CHALLENGE + b"\0" * 8
    message += struct.pack("<HHI", len(TARGET_INFO), len(TARGET_INFO), payload_at + len(target_name))
    message += bytes.fromhex("0601b11d0000000f")
    return message + target_name + TARGET_INFO


def field(message, at):
    length, _, offset = struct.unpack_from("<HHI", message, at)
    return message[offset:offset + length]


def ntlm_check(token):
    """(accepted, user, domain) for an AUTHENTICATE message."""
    message = base64.b64decode(token)
    if message[:8] != b"NTLMSSP\0" or struct.unpack_from("<I", message, 8)[0] != 3:
        return False, "", ""
    nt_response = field(message, 20)
    domain = field(message, 28).decode("utf-16-le")
    user = field(message, 36).decode("utf-16-le")
    if len(nt_response) < 32:
        return False, user, domain
    key = hmac.new(NT_HASH, (user.upper() + domain).encode("utf-16-le"), hashlib.md5).digest()
    proof = hmac.new(key, SERVER_CHALLENGE + nt_response[16:], hashlib.md5).digest()
    return hmac.compare_digest(proof, nt_response[:16]), user, domain


def wait_for_close(conn):
    conn.settimeout(STALL_LIMIT)
    try:
        while conn.recv(65536):
            pass
    except OSError:
        pass


def serve(conn, conn_no):
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    reader = Reader(conn)
    with conn:
        for req_no in itertools.count(1):
            request = reader.head()
            if request is None:
                return
            line, fields = request
            parts = line.split(" ")
            method, path = parts[0], parts[1] if len(parts) > 1 else ""
            length = int(fields.get("content-length", "0") or "0")
            ids = dict(conn_no=conn_no, req_no=req_no)

            if path == "/echo":
                body = reader.body(length)
                if body is None:
                    return
                conn.sendall(answer("200 OK", body, "Content-Type: application/octet-stream\r\n", **ids))
            elif path == "/continue-echo":
                conn.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
                body = reader.body(length)
                if body is None:
                    return
                conn.sendall(answer("200 OK", body, **ids))
            elif path == "/refuse":
                # Answers before the body, then reads the announced body away
                # as a server that keeps the connection must.
                conn.sendall(answer("413 Request Entity Too Large", b"refused", **ids))
                if reader.body(length) is None:
                    return
            elif path == "/deflate":
                conn.sendall(answer("200 OK", zlib.compress(SAMPLE),
                                    "Content-Encoding: deflate\r\nContent-Type: text/plain\r\n", **ids))
            elif path == "/gzip-truncated":
                data = gzip.compress(SAMPLE)
                conn.sendall(answer("200 OK", data[:len(data) // 2],
                                    "Content-Encoding: gzip\r\nContent-Type: text/plain\r\n", **ids))
            elif path == "/endless-chunked":
                conn.sendall(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
                piece = b"4000\r\n" + b"e" * 0x4000 + b"\r\n"
                try:
                    while True:
                        conn.sendall(piece)
                except OSError:
                    return
            elif path == "/header-flood":
                try:
                    conn.sendall(b"HTTP/1.1 200 OK\r\nX-Flood: " + b"x" * 1000000)
                except OSError:
                    return
                wait_for_close(conn)
                return
            elif path == "/ntlm":
                authorization = fields.get("authorization", "")
                scheme, _, token = authorization.partition(" ")
                if scheme.upper() != "NTLM" or not token:
                    conn.sendall(answer("401 Unauthorized", b"who?", "WWW-Authenticate: NTLM\r\n", **ids))
                    continue
                message = base64.b64decode(token)
                kind = struct.unpack_from("<I", message, 8)[0] if len(message) >= 12 else 0
                if kind == 1:
                    challenge = base64.b64encode(ntlm_challenge()).decode()
                    conn.sendall(answer("401 Unauthorized", b"go on",
                                        "WWW-Authenticate: NTLM %s\r\n" % challenge, **ids))
                    continue
                accepted, user, domain = ntlm_check(token)
                if accepted:
                    conn.sendall(answer("200 OK", ("welcome %s\\%s" % (domain, user)).encode(), **ids))
                else:
                    conn.sendall(answer("401 Unauthorized", b"wrong", "WWW-Authenticate: NTLM\r\n", **ids))
            elif path == "/stray-later":
                # A goodbye that answers no request, after the client has its
                # answer (as servers send before closing an idle connection).
                conn.sendall(answer("200 OK", b"hello", **ids))
                time.sleep(0.05)
                conn.sendall(b"HTTP/1.1 408 Request Timeout\r\nConnection: close\r\n\r\n")
            elif path in STATUS_ANSWERS:
                body = b"" if method == "HEAD" else b"status page"
                status = STATUS_ANSWERS[path]
                head = answer(status, b"status page", **ids)
                conn.sendall(head[:len(head) - len(b"status page")] + body)
            else:
                conn.sendall(answer("200 OK", b"hello", **ids))


def main():
    port = int(sys.argv[1])
    listener = listen(port)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, next(counter)), daemon=True).start()


if __name__ == "__main__":
    main()
