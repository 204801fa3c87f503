#!/usr/bin/python3
"""An HTTP/1.1 server on 127.0.0.1 that drops its first connections in the
middle of an answer, for the tests of transfer retries.

Usage: http_drop_server.py PORT DROPS
The first DROPS connections that send a request get the status line and half
of the header block, and are then closed. Every later connection gets
BODY (the same text the tests build) for each request and stays open.
Each connection that sent a request is counted, and the count is printed
("connection N dropped" or "connection N served") to stdout, so a test can
read how many attempts the client made. Runs until it is terminated.
"""

import sys
import threading

from loopback_listener import serve_in_threads

BODY = b"served after the drops\n"

lock = threading.Lock()
count = 0


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        piece = conn.recv(4096)
        if not piece:
            return None
        data += piece
        if len(data) > 65536:
            return None
    return data


def handle(conn, drops):
    global count
    with conn:
        if read_request(conn) is None:
            return
        with lock:
            count += 1
            number = count
        head = b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n\r\n" % len(BODY)
        if number <= drops:
            conn.sendall(head[: len(head) // 2])
            print("connection %d dropped" % number, flush=True)
            return
        print("connection %d served" % number, flush=True)
        while True:
            conn.sendall(head + BODY)
            if read_request(conn) is None:
                return


def main():
    port = int(sys.argv[1])
    drops = int(sys.argv[2])
    serve_in_threads(port, handle, drops)


if __name__ == "__main__":
    main()
