#!/usr/bin/python3
"""An HTTP/1.1 server on 127.0.0.1 whose answers go wrong on purpose, for the
tests of the response and body readers.

Usage: http_faults_server.py PORT
Each request path picks a canned answer (see ANSWERS). Connections are kept
open for further requests unless the answer closes them. Runs until it is
terminated.
"""

import gzip
import socket
import sys
import time
import zlib

from loopback_listener import serve_in_threads

# The text behind the coded answers; the tests build the same text.
SAMPLE = "".join("line %d of the page\n" % i for i in range(2000)).encode()

# How long a stalled answer waits for the client to go away.
STALL_LIMIT = 60


def ok(body, fields=""):
    return ("HTTP/1.1 200 OK\r\n%sContent-Length: %d\r\n\r\n" % (fields, len(body))).encode() + body


def chunked(pieces, trailer=""):
    out = b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
    for piece in pieces:
        out += b"%x\r\n" % len(piece) + piece + b"\r\n"
    return out + b"0\r\n" + trailer.encode() + b"\r\n"


def raw_deflate(data):
    compressor = zlib.compressobj(6, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


# path: (bytes sent, what happens after them)
#   "keep"  the connection serves the next request
#   "close" the server closes the connection
#   "stall" the server sends nothing more and waits for the client to close
#   "drip"  the bytes go out one at a time, then the connection is kept
ANSWERS = {
    "/plain": (ok(b"hello"), "keep"),
    "/chunked-trailer": (chunked([b"hello", b" world"], "X-Checksum: 1\r\nExpires: 0\r\n"), "keep"),
    "/chunked-drip": (chunked([b"first ", b"second ", b"third"]), "drip"),
    # A chunk of 1 MiB announced, 1000 bytes of it sent, then nothing.
    "/chunked-stall": (b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n100000\r\n" + b"a" * 1000, "stall"),
    "/chunked-long-line": (b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1" + b"0" * 100000, "stall"),
    "/chunked-absurd": (b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFFFF\r\nabc", "stall"),
    "/chunked-truncated": (b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", "close"),
    "/length-overrun": (b"HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\n0123456789", "stall"),
    "/length-short": (b"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789", "close"),
    "/until-close": (b"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + SAMPLE, "close"),
    "/negative-length": (b"HTTP/1.1 404 Not Found\r\nContent-Length: -1\r\n\r\nhello", "stall"),
    "/continue": (b"HTTP/1.1 100 Continue\r\n\r\n" + ok(b"hello"), "keep"),
    "/header-flood": (b"HTTP/1.1 200 OK\r\nX-Flood: " + b"x" * 400000, "stall"),
    "/slow-header": (ok(b"hello", "Content-Type: text/plain\r\n"), "drip"),
    "/gzip": (ok(gzip.compress(SAMPLE), "Content-Encoding: gzip\r\nContent-Type: text/plain\r\n"), "keep"),
    "/x-gzip": (ok(gzip.compress(SAMPLE), "Content-Encoding: x-gzip\r\nContent-Type: text/plain\r\n"), "keep"),
    "/deflate-zlib": (ok(zlib.compress(SAMPLE), "Content-Encoding: deflate\r\nContent-Type: text/plain\r\n"), "keep"),
    "/deflate-raw": (ok(raw_deflate(SAMPLE), "Content-Encoding: deflate\r\nContent-Type: text/plain\r\n"), "keep"),
}


def read_request(conn, pending):
    """The path of the next request, or None when the client has gone."""
    while b"\r\n\r\n" not in pending[0]:
        data = conn.recv(65536)
        if not data:
            return None
        pending[0] += data
    head, _, rest = pending[0].partition(b"\r\n\r\n")
    pending[0] = rest
    parts = head.split(b"\r\n", 1)[0].split(b" ")
    return parts[1].decode() if len(parts) > 1 else ""


def wait_for_close(conn):
    conn.settimeout(STALL_LIMIT)
    try:
        while conn.recv(65536):
            pass
    except OSError:
        pass


def serve(conn):
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    pending = [b""]
    with conn:
        while True:
            path = read_request(conn, pending)
            if path is None:
                return
            answer, after = ANSWERS.get(path, (b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", "keep"))
            if after == "drip":
                for i in range(len(answer)):
                    conn.sendall(answer[i:i + 1])
                    # Apart in time, so that they arrive in separate reads.
                    time.sleep(0.002)
            else:
                conn.sendall(answer)
            if after == "close":
                conn.shutdown(socket.SHUT_WR)
                wait_for_close(conn)
                return
            if after == "stall":
                wait_for_close(conn)
                return


def main():
    serve_in_threads(int(sys.argv[1]), serve)


if __name__ == "__main__":
    main()
