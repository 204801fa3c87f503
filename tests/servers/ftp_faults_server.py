#!/usr/bin/python3
"""An FTP server on 127.0.0.1 whose conversation goes wrong on purpose, for
the tests of the FTP client.

Usage: ftp_faults_server.py PORT MODE [OPTIONS...]

Every mode speaks a small FTP (USER, PASS, TYPE, CWD, SIZE, MDTM, PASV, PORT,
REST, RETR, LIST, QUIT) over the files in FILES, except where it breaks it:
  normal                  nothing goes wrong
  endless-line            the greeting "220 xxx..." never ends its line
  endless-lines           the greeting goes on with "220-" lines for ever
  multiline               a multi-line greeting with the reply to USER sent
                          along in the same packet (nothing is sent when USER
                          arrives), and a reply to CWD whose last line has
                          another code than its first
  pasv-refused            PASV names a port where nobody listens; RETR and
                          LIST are answered "425" at once
  pasv-elsewhere          PASV names 127.0.0.2 with the port that listens on
                          127.0.0.1, where nothing answers
  otp CHALLENGE ANSWER    USER is answered "331 CHALLENGE"; only PASS ANSWER
                          logs on, anything else gets "530"
  close-after-greeting    the connection is closed after the greeting, once
                          the first command has been read (closing with it
                          unread would reset the connection instead)
  extra-reply             the reply to PASS comes with a stray "226" reply
                          in the same packet
  stall                   commands are read and never answered
  short-data              RETR sends the first 10 bytes of the file, closes
                          the data connection and answers "426"
  no-rest                 REST is answered "502" (not implemented)
  ascii-strict            as many servers in their stock setting: a session
                          starts in ASCII mode, SIZE is refused in ASCII mode
                          ("550 SIZE not allowed in ASCII mode") and so is a
                          REST other than 0 ("550 ASCII resume is unsafe")
  early-close [announce]  RETR sends the first 10 bytes from the restart
                          point, closes the data connection and answers
                          "226" as if all went well; with "announce" the
                          "150" reply names the file's whole size
  data-stall              RETR is answered "150", then nothing: a passive
                          data connection is taken and held silent, an
                          active one is never opened
  port-intruder           before opening an active data connection, another
                          address (127.0.0.2) connects to the client's port,
                          sends "INTRUDER" and waits until the client closes
                          that connection
  long-listing            LIST sends a listing of LONG_LISTING_LINES lines
Every command received is printed as "CMD <command>" (PASS included: these
are test passwords). Runs until it is terminated.
"""

import socket
import sys

from loopback_listener import serve_in_threads

# The files the server offers; the tests build the same bytes.
FILES = {
    "/pub/data.bin": bytes((i * 7 + 3) % 256 for i in range(5000)),
    "/pub/small.txt": b"hello",
}
FOLDERS = {"/", "/pub"}
LISTING = (b"-rw-r--r--    1 0        0            5000 Jan 02  2020 data.bin\r\n"
           b"-rw-r--r--    1 0        0               5 Jan 02  2020 small.txt\r\n")

# The lines of the long-listing mode's listing (about 400 KB).
LONG_LISTING_LINES = 6000

# What the port-intruder mode's stranger sends.
INTRUDER = b"INTRUDER"

# A stream that never ends is cut off after this many bytes, in case the
# client under test never gives up.
ENDLESS_LIMIT = 64 * 1024 * 1024


def log(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def closed_port():
    """A port on 127.0.0.1 where nobody listens."""
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def send_endless(conn, first, piece):
    sent = 0
    try:
        conn.sendall(first)
        while sent < ENDLESS_LIMIT:
            conn.sendall(piece)
            sent += len(piece)
    except OSError:
        pass


class Session:
    def __init__(self, conn, mode, options):
        self.conn = conn
        self.mode = mode
        self.options = options
        self.pending = b""
        self.passive = None
        self.active = None
        self.rest = 0
        self.ascii = self.mode == "ascii-strict"
        self.held = []

    def reply(self, text):
        self.conn.sendall(text.encode() + b"\r\n")

    def read_command(self):
        while b"\n" not in self.pending:
            data = self.conn.recv(4096)
            if not data:
                return None
            self.pending += data
        line, _, self.pending = self.pending.partition(b"\n")
        return line.rstrip(b"\r").decode("latin-1")

    def drop_passive(self):
        if self.passive is not None:
            self.passive.close()
            self.passive = None

    def intrude(self):
        """The stranger reaches the client's port first, and the server
        connects only once the client has dealt with it: the kernel does not
        promise that two connects made one after the other are accepted in
        that order (a busy machine may finish the first handshake late), so
        without the wait the client could take the server's connection
        first and never meet the stranger."""
        intruder = socket.create_connection(self.active, timeout=30,
                                            source_address=("127.0.0.2", 0))
        try:
            intruder.sendall(INTRUDER)
            # The stranger sends nothing more: a client that took it for the
            # data connection reads its end at once and fails fast.
            intruder.shutdown(socket.SHUT_WR)
            # The client turns the stranger away by closing the connection.
            while intruder.recv(4096):
                pass
        except OSError:
            pass
        finally:
            intruder.close()

    def data_connection(self):
        if self.passive is not None:
            self.passive.settimeout(30)
            conn, _ = self.passive.accept()
            self.passive.close()
            self.passive = None
            return conn
        if self.active is not None:
            if self.mode == "port-intruder":
                self.intrude()
            conn = socket.create_connection(self.active, timeout=30)
            self.active = None
            return conn
        return None

    def send_data(self, payload, answer="226 Transfer complete.",
                  opening="150 Opening data connection."):
        self.reply(opening)
        conn = self.data_connection()
        if conn is None:
            self.reply("425 Use PASV or PORT first.")
            return
        try:
            conn.sendall(payload)
        finally:
            conn.close()
        self.reply(answer)

    def run(self):
        if self.mode == "endless-line":
            send_endless(self.conn, b"220 ", b"x" * 4096)
            return
        if self.mode == "endless-lines":
            send_endless(self.conn, b"", b"220-a line of a greeting that never ends\r\n")
            return
        if self.mode == "multiline":
            self.conn.sendall(b"220-Welcome\r\n220-second line\r\n 220 indented, not the end\r\n"
                              b"220 ready\r\n331-Password\r\n331 required\r\n")
        else:
            self.reply("220 scripted server ready")
        if self.mode == "close-after-greeting":
            self.read_command()
            return
        while True:
            line = self.read_command()
            if line is None:
                return
            log("CMD " + line)
            if self.mode == "stall":
                continue
            verb, _, argument = line.partition(" ")
            verb = verb.upper()
            if not self.handle(verb, argument):
                return

    def handle(self, verb, argument):
        if verb == "USER":
            if self.mode == "multiline":
                pass  # answered with the greeting already
            elif self.mode == "otp":
                self.reply("331 " + self.options[0])
            else:
                self.reply("331 Password required.")
        elif verb == "PASS":
            if self.mode == "otp" and argument != self.options[1]:
                self.reply("530 Login incorrect.")
            elif self.mode == "extra-reply":
                self.conn.sendall(b"230 Logged in.\r\n226 A reply to nothing.\r\n")
            else:
                self.reply("230 Logged in.")
        elif verb == "TYPE":
            self.ascii = argument.upper().startswith("A")
            self.reply("200 Type set.")
        elif verb == "CWD":
            if argument in FOLDERS:
                self.reply("250 Directory changed.")
            elif self.mode == "multiline":
                self.conn.sendall(b"550-No such folder\r\n551 really not\r\n")
            else:
                self.reply("550 No such folder.")
        elif verb == "SIZE":
            if self.mode == "ascii-strict" and self.ascii:
                self.reply("550 SIZE not allowed in ASCII mode.")
            elif argument in FILES:
                self.reply("213 %d" % len(FILES[argument]))
            else:
                self.reply("550 No such file.")
        elif verb == "MDTM":
            if argument in FILES:
                self.reply("213 20200102030405")
            else:
                self.reply("550 No such file.")
        elif verb == "REST" and self.mode == "no-rest":
            self.reply("502 Command not implemented.")
        elif verb == "REST" and self.mode == "ascii-strict" and self.ascii and argument != "0":
            self.reply("550 ASCII resume is unsafe.")
        elif verb == "REST":
            self.rest = int(argument)
            self.reply("350 Restarting at %d." % self.rest)
        elif verb == "PASV":
            self.active = None
            self.drop_passive()
            if self.mode == "pasv-refused":
                port = closed_port()
            else:
                self.passive = socket.socket()
                self.passive.bind(("127.0.0.1", 0))
                self.passive.listen(1)
                port = self.passive.getsockname()[1]
            host = "127,0,0,2" if self.mode == "pasv-elsewhere" else "127,0,0,1"
            self.reply("227 Entering Passive Mode (%s,%d,%d)." % (host, port // 256, port % 256))
        elif verb == "PORT":
            # The latest PASV or PORT names the data connection, as on real
            # servers: a listener left from a refused transfer goes.
            self.drop_passive()
            numbers = [int(n) for n in argument.split(",")]
            self.active = (".".join(str(n) for n in numbers[:4]), numbers[4] * 256 + numbers[5])
            self.reply("200 PORT command successful.")
        elif verb in ("RETR", "LIST"):
            if self.mode == "pasv-refused":
                self.reply("425 Can't open data connection.")
            elif verb == "LIST" and self.mode == "long-listing":
                self.send_data(b"".join(b"-rw-r--r--    1 0        0            5000 Jan 02  2020 "
                                        b"file%05d.bin\r\n" % i for i in range(LONG_LISTING_LINES)))
            elif verb == "LIST":
                self.send_data(LISTING)
            elif argument not in FILES:
                self.reply("550 No such file.")
            elif self.mode == "early-close":
                size = len(FILES[argument])
                opening = "150 Opening BINARY mode data connection for %s (%d bytes)." % (
                    argument, size) if self.options[:1] == ["announce"] else \
                    "150 Opening data connection."
                self.send_data(FILES[argument][self.rest:self.rest + 10], opening=opening)
            elif self.mode == "data-stall":
                self.reply("150 Opening data connection.")
                if self.passive is not None:
                    self.passive.settimeout(30)
                    conn, _ = self.passive.accept()
                    self.held.append(conn)
                    self.drop_passive()
                self.active = None
            elif self.mode == "short-data":
                self.send_data(FILES[argument][self.rest:self.rest + 10],
                               "426 Connection closed; transfer aborted.")
            else:
                self.send_data(FILES[argument][self.rest:])
            self.rest = 0
        elif verb == "QUIT":
            self.reply("221 Goodbye.")
            return False
        else:
            self.reply("502 Command not implemented.")
        return True


def serve(conn, mode, options):
    try:
        Session(conn, mode, options).run()
    except OSError:
        pass
    finally:
        conn.close()


def main():
    port = int(sys.argv[1])
    mode = sys.argv[2]
    options = sys.argv[3:]
    serve_in_threads(port, serve, mode, options)


if __name__ == "__main__":
    main()
