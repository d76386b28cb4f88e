#!/usr/bin/env python3
"""Holds the Linux side of the pseudo-terminals that a Windows test under Wine writes to.

A Windows process cannot hold a pty master, so this runs around `wine test.exe`: it listens on
a local TCP port (told to the test in PINDREL_PTY_PEER), makes a pty pair for each connection,
points the path that Wine's COM1 leads to at the pair's slave on request, and reports what
arrived and the line settings, read on the master exactly as the Linux tests read them.
"""
import os
import select
import socket
import subprocess
import sys
import termios
import threading

SPEEDS = {getattr(termios, name): int(name[1:]) for name in dir(termios)
          if name.startswith("B") and name[1:].isdigit()}


class Pair:
    def __init__(self, link):
        self.link = link
        self.master, self.slave = os.openpty()
        self.slave_path = os.ttyname(self.slave)
        # Like posix_openpt(): only the program under test keeps the slave open.
        os.close(self.slave)
        self.lock = threading.Lock()
        self.received = bytearray()
        self.stopped = threading.Event()
        self.reading = threading.Event()
        self.reading.set()
        self.reader = threading.Thread(target=self.read_loop, daemon=True)
        self.reader.start()

    def read_loop(self):
        while not self.stopped.is_set():
            # A receiver that reads nothing leaves the bytes in the line's buffers.
            if not self.reading.wait(0.02):
                continue
            ready, _, _ = select.select([self.master], [], [], 0.02)
            if not ready:
                continue
            try:
                data = os.read(self.master, 4096)
            except OSError:
                # No slave open: the master reports a hang-up at once, every time.
                self.stopped.wait(0.01)
                continue
            with self.lock:
                self.received += data

    def hang_up(self):
        if self.stopped.is_set():
            return
        self.stopped.set()
        self.reader.join()
        os.close(self.master)

    def command(self, words):
        if words[0] == "link":
            # Replaced in one step, so Wine never finds the name missing.
            temporary = self.link + ".new"
            if os.path.lexists(temporary):
                os.unlink(temporary)
            os.symlink(self.slave_path, temporary)
            os.replace(temporary, self.link)
            return "ok"
        if words[0] == "settings":
            attributes = termios.tcgetattr(self.master)
            cflag = attributes[2]
            bits = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}
            return "%d %d %d %d" % (SPEEDS.get(attributes[5], 0), bits[cflag & termios.CSIZE],
                                    bool(cflag & termios.PARENB), bool(cflag & termios.CSTOPB))
        if words[0] == "speed":
            attributes = termios.tcgetattr(self.master)
            speed = getattr(termios, "B" + words[1])
            attributes[4] = attributes[5] = speed
            termios.tcsetattr(self.master, termios.TCSANOW, attributes)
            return "ok"
        if words[0] == "take":
            with self.lock:
                taken, self.received = bytes(self.received), bytearray()
            return taken.hex()
        if words[0] == "reading":
            (self.reading.set if words[1] == "1" else self.reading.clear)()
            return "ok"
        if words[0] == "hangup":
            self.hang_up()
            return "ok"
        return "unknown command"


def serve(connection, link):
    pair = Pair(link)
    with connection, connection.makefile("rwb") as stream:
        stream.write(b"ok\n")
        stream.flush()
        for line in stream:
            words = line.decode().split()
            if not words:
                break
            stream.write(pair.command(words).encode() + b"\n")
            stream.flush()
    pair.hang_up()


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: ptypeer.py COM1-LINK COMMAND...")
    link = sys.argv[1]
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen()

    def accept_loop():
        while True:
            connection, _ = listener.accept()
            threading.Thread(target=serve, args=(connection, link), daemon=True).start()

    threading.Thread(target=accept_loop, daemon=True).start()
    environment = dict(os.environ, PINDREL_PTY_PEER=str(listener.getsockname()[1]))
    sys.exit(subprocess.call(sys.argv[2:], env=environment))


if __name__ == "__main__":
    main()
