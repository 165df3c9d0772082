#!/usr/bin/python3
# A broken or hostile RTSP camera for the tests, on one loopback address and port. It speaks just
# enough RTSP (interleaved RTP over the RTSP connection) to reach the fault it plays:
#
#   hostilertsp.py --address 127.0.0.x --port N --mode MODE [--target URL] [--status N --at METHOD]
#                  [--cert PEM --key KEY]
#
#   redirect  DESCRIBE is answered with 302 to --target ("self": this server's own URL)
#   basic     every request is refused with 401 and a Basic challenge
#   status    the request --at (DESCRIBE or SETUP) is answered with --status
#   endless   H.264 at 320x240, then one NAL unit that never ends (fragments without an end),
#             as fast as the connection takes them
#   sps8k     H.264 without parameter sets in the description; in the stream they claim 8K
#   garbage   H.264 at 320x240, then P-pictures of random bytes and never a key picture
#
# With --cert and --key it speaks RTSP over TLS (rtsps) with that certificate.
# Each connection is reported on standard output as "connect", each request as
# "request METHOD <Authorization header or ->". "ready" is printed once the server listens.
# It ends when standard input closes.
import argparse
import base64
import os
import socket
import ssl
import struct
import sys
import threading


class Bits:
    def __init__(self):
        self.bits = []

    def u(self, count, value):
        self.bits += [(value >> (count - 1 - i)) & 1 for i in range(count)]

    def ue(self, value):
        code = value + 1
        self.u(2 * code.bit_length() - 1, code)

    def nal(self, header):
        self.bits.append(1)
        while len(self.bits) % 8:
            self.bits.append(0)
        raw = bytes(int("".join(map(str, self.bits[i:i + 8])), 2) for i in range(0, len(self.bits), 8))
        out, zeros = bytearray([header]), 0
        for byte in raw:
            if zeros >= 2 and byte <= 3:
                out.append(3)
                zeros = 0
            out.append(byte)
            zeros = zeros + 1 if byte == 0 else 0
        return bytes(out)


def sps(width, height, references=4):
    bits = Bits()
    bits.u(8, 66)  # baseline
    bits.u(8, 0)
    bits.u(8, 40)
    bits.ue(0)
    bits.ue(0)  # frame number bits - 4
    bits.ue(2)  # picture order count type
    bits.ue(references)
    bits.u(1, 0)
    bits.ue(width // 16 - 1)
    bits.ue(height // 16 - 1)
    bits.u(1, 1)  # frames only
    bits.u(1, 1)
    bits.u(1, 0)
    bits.u(1, 0)
    return bits.nal(0x67)


def pps():
    bits = Bits()
    bits.ue(0)
    bits.ue(0)
    bits.u(1, 0)
    bits.u(1, 0)
    bits.ue(0)
    bits.ue(0)
    bits.ue(0)
    bits.u(1, 0)
    bits.u(2, 0)
    bits.ue(26)  # initial QP - 26, as a signed code: 0
    bits.ue(0)
    bits.ue(0)
    bits.u(1, 1)
    bits.u(1, 0)
    bits.u(1, 0)
    return bits.nal(0x68)


def say(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


class Camera:
    def __init__(self, options):
        self.options = options
        self.tls = None
        if options.cert:
            self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self.tls.load_cert_chain(options.cert, options.key)
        self.url = "%s://%s:%d/stream" % ("rtsps" if self.tls else "rtsp", options.address, options.port)

    def serve(self, connection):
        say("connect")
        if self.tls:
            try:
                connection = self.tls.wrap_socket(connection, server_side=True)
            except OSError:
                connection.close()
                return
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
        if method == "DESCRIBE":
            self.reply(connection, headers, extra="Content-Type: application/sdp\r\nContent-Base: %s/\r\n" % self.url,
                       body=self.describe().encode("latin-1"))
            return True
        if method == "SETUP":
            self.reply(connection, headers, extra="Transport: RTP/AVP/TCP;unicast;interleaved=0-1\r\nSession: 1\r\n")
            return True
        if method == "PLAY":
            self.reply(connection, headers, extra="Session: 1\r\n")
            try:
                self.play(connection)
            except OSError:
                pass
            return False
        self.reply(connection, headers, "400 Bad Request")
        return True

    def describe(self):
        sets = ""
        if self.options.mode != "sps8k":
            sets = ";sprop-parameter-sets=%s,%s" % (base64.b64encode(sps(320, 240)[0:]).decode(),
                                                    base64.b64encode(pps()).decode())
        return ("v=0\r\no=- 1 1 IN IP4 %s\r\ns=hostile\r\nc=IN IP4 0.0.0.0\r\nt=0 0\r\n"
                "m=video 0 RTP/AVP 96\r\na=rtpmap:96 H264/90000\r\n"
                "a=fmtp:96 packetization-mode=1;profile-level-id=42001E%s\r\na=control:track0\r\n"
                % (self.options.address, sets))

    def rtp(self, connection, sequence, timestamp, payload, marker=False):
        packet = struct.pack("!BBHII", 0x80, (0x80 if marker else 0) | 96, sequence & 0xFFFF, timestamp & 0xFFFFFFFF,
                             0x1234) + payload
        connection.sendall(b"$\x00" + struct.pack("!H", len(packet)) + packet)

    def play(self, connection):
        mode = self.options.mode
        if mode == "endless":
            chunk = os.urandom(60000)
            self.rtp(connection, 0, 0, bytes([0x7C, 0x85]) + chunk)  # FU-A start of an IDR unit
            sequence = 1
            while True:
                self.rtp(connection, sequence, 0, bytes([0x7C, 0x05]) + chunk)
                sequence += 1
        for number in range(100000):
            timestamp = number * 3600
            if mode == "sps8k":
                for unit in (sps(7680, 4320), pps(), bytes([0x65, 0x88]) + os.urandom(200)):
                    self.rtp(connection, number * 3, timestamp, unit)
            else:
                self.rtp(connection, number, timestamp, bytes([0x41]) + os.urandom(300), True)
            threading.Event().wait(0.04)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--mode", required=True, choices=["redirect", "basic", "status", "endless", "sps8k", "garbage"])
    parser.add_argument("--target", default="self")
    parser.add_argument("--status", type=int, default=404)
    parser.add_argument("--at", default="DESCRIBE")
    parser.add_argument("--cert")
    parser.add_argument("--key")
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
