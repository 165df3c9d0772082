#!/usr/bin/python3
# A broken or hostile RTSP camera for the tests, on one loopback address and port. It speaks just
# enough RTSP (interleaved RTP over the RTSP connection) to reach the fault it plays:
#
#   hostilertsp.py --address 127.0.0.x --port N --mode MODE [--target URL] [--status N --at METHOD]
#
#   redirect  DESCRIBE is answered with 302 to --target ("self": this server's own URL)
#   basic     every request is refused with 401 and a Basic challenge
#   status    the request --at (DESCRIBE or SETUP) is answered with --status
#
# Each connection is reported on standard output as "connect", each request as
# "request METHOD <Authorization header or ->". "ready" is printed once the server listens.
# It ends when standard input closes.
import argparse
import socket
import sys
import threading


def say(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


class Camera:
    def __init__(self, options):
        self.options = options
        self.url = "rtsp://%s:%d/stream" % (options.address, options.port)

    def serve(self, connection):
        say("connect")
        buffer = b""
        with connection:
            while True:
                end = buffer.find(b"\r\n\r\n")
                if end < 0:
                    if len(buffer) > 65536:
                        return
                    data = connection.recv(4096)
                    if not data:
                        return
                    buffer += data
                    continue
                head = buffer[:end].decode("latin-1")
                buffer = buffer[end + 4:]
                lines = head.split("\r\n")
                headers = {}
                for line in lines[1:]:
                    name, _, value = line.partition(":")
                    headers[name.strip().lower()] = value.strip()
                method = lines[0].split(" ")[0]
                say("request %s %s" % (method, headers.get("authorization", "-")))
                if not self.answer(connection, method, headers):
                    return

    def reply(self, connection, headers, status="200 OK", extra="", body=b""):
        text = "RTSP/1.0 %s\r\nCSeq: %s\r\n%s" % (status, headers.get("cseq", "0"), extra)
        if body:
            text += "Content-Length: %d\r\n" % len(body)
        connection.sendall(text.encode("latin-1") + b"\r\n" + body)

    def answer(self, connection, method, headers):
        mode = self.options.mode
        if mode == "basic":
            self.reply(connection, headers, "401 Unauthorized", 'WWW-Authenticate: Basic realm="cam"\r\n')
            return True
        if mode == "status" and method == self.options.at:
            self.reply(connection, headers, "%d Refused" % self.options.status)
            return True
        if method == "OPTIONS":
            self.reply(connection, headers, extra="Public: OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN\r\n")
            return True
        if method == "DESCRIBE" and mode == "redirect":
            target = self.url if self.options.target == "self" else self.options.target
            self.reply(connection, headers, "302 Moved Temporarily", "Location: %s\r\n" % target)
            return True
        self.reply(connection, headers, "400 Bad Request")
        return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--mode", required=True, choices=["redirect", "basic", "status"])
    parser.add_argument("--target", default="self")
    parser.add_argument("--status", type=int, default=404)
    parser.add_argument("--at", default="DESCRIBE")
    options = parser.parse_args()

    camera = Camera(options)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((options.address, options.port))
    listener.listen(64)

    def accept():
        while True:
            connection, _ = listener.accept()
            threading.Thread(target=camera.serve, args=(connection,), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    say("ready")
    sys.stdin.read()
    return 0


if __name__ == "__main__":
    sys.exit(main())
