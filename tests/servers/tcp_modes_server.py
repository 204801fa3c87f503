#!/usr/bin/python3
"""A TCP server on 127.0.0.1 that misbehaves on purpose, for socket tests.

Usage: tcp_modes_server.py PORT MODE
  silent  accept every connection, read nothing, send nothing, keep it open
          (with a small receive buffer, so a sender stalls soon)
  close   accept every connection and close it at once
  echo    send back every byte received until the peer closes
Runs until it is terminated.
"""

import socket
import sys
import threading

from loopback_listener import listen


def serve_echo(conn):
    with conn:
        while True:
            data = conn.recv(65536)
            if not data:
                return
            conn.sendall(data)


def main():
    port = int(sys.argv[1])
    mode = sys.argv[2]
    if mode not in ("silent", "close", "echo"):
        sys.exit("unknown mode: " + mode)
    # Set before listen so accepted sockets inherit it; a fixed size also
    # stops the kernel from growing the buffer by itself.
    small_buffer = lambda s: s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    listener = listen(port, before_bind=small_buffer if mode == "silent" else None)
    held = []  # silent connections stay open until the process ends
    while True:
        conn, _ = listener.accept()
        if mode == "silent":
            held.append(conn)
        elif mode == "close":
            conn.close()
        else:
            threading.Thread(target=serve_echo, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
