"""The listening side that every scripted test server shares."""

import socket
import threading


def listen(port, backlog=64, before_bind=None):
    """A socket listening on 127.0.0.1:port. SO_REUSEADDR lets a server
    started again take its port back at once; before_bind(listener) may set
    options the accepted sockets should inherit."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    if before_bind:
        before_bind(listener)
    listener.bind(("127.0.0.1", port))
    listener.listen(backlog)
    return listener


def serve_in_threads(port, serve, *args):
    """Accepts for ever and calls serve(conn, *args) for each connection on a
    thread of its own."""
    listener = listen(port)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn,) + args, daemon=True).start()
