#!/usr/bin/python3
# An RTSP server nobody here wrote, for the tests: GStreamer's gst-rtsp-server, with pictures
# encoded live by GStreamer's own encoders as cameras set them up.
#
#   gstrtspserver.py --address 127.0.0.x [--port N] [--basic-port N] [--digest-port N]
#                    [--tls-port N --cert PEM --key KEY]... [--user U --password P] [--size WxH] [--rate R]
#
# Mounts (each media is made for its client; nothing is shared between clients):
#   /h264          x264 veryfast, zerolatency, baseline, GOP 50
#   /h264-slices   the same with 2 slices a picture (as x264 makes them on 2 cores)
#   /h264-bframes  x264 high profile, CABAC, 2 B-pictures between references
#   /h265          x265 ultrafast, zerolatency
#   /mjpeg         JPEG over RTP
#   /udp-only      as /h264, but the server offers only UDP transport
# --port serves them to everyone, --basic-port and --digest-port to the one user (--user,
# --password) logged in by Basic or by Digest authentication; each --tls-port serves them to
# everyone over TLS (rtsps) with the certificate and key given in the same place (PEM files).
# Anything else is 404. "ready" is printed on standard output once the server listens.
import argparse
import sys

import gi

gi.require_version("Gst", "1.0")
gi.require_version("GstRtsp", "1.0")
gi.require_version("GstRtspServer", "1.0")
from gi.repository import Gio, GLib, Gst, GstRtsp, GstRtspServer  # noqa: E402

ENCODERS = {
    "h264": "x264enc speed-preset=veryfast tune=zerolatency key-int-max=50 bitrate=1500 "
            "! video/x-h264,profile=baseline ! rtph264pay name=pay0 pt=96 config-interval=-1",
    "h264-slices": "x264enc speed-preset=veryfast tune=zerolatency key-int-max=50 bitrate=1500 "
                   "option-string=slices=2 ! video/x-h264,profile=main ! rtph264pay name=pay0 pt=96 "
                   "config-interval=-1",
    "h264-bframes": "x264enc speed-preset=veryfast key-int-max=50 bframes=2 b-adapt=false cabac=true "
                    "bitrate=1500 ! video/x-h264,profile=high ! rtph264pay name=pay0 pt=96 config-interval=-1",
    "h265": "x265enc speed-preset=ultrafast tune=zerolatency key-int-max=50 bitrate=1500 "
            "! rtph265pay name=pay0 pt=96 config-interval=-1",
    "mjpeg": "jpegenc quality=80 ! rtpjpegpay name=pay0 pt=26",
}


def source(size, rate):
    width, height = size.split("x")
    return ("videotestsrc is-live=true pattern=ball ! video/x-raw,format=I420,width=%s,height=%s,"
            "framerate=%s/1 ! " % (width, height, rate))


def factory(launch, udp_only=False, auth_role=None):
    media = GstRtspServer.RTSPMediaFactory()
    media.set_launch("( %s )" % launch)
    if udp_only:
        media.set_protocols(GstRtsp.RTSPLowerTrans.UDP)
    if auth_role:
        permissions = GstRtspServer.RTSPPermissions()
        permissions.add_permission_for_role(auth_role, "media.factory.access", True)
        permissions.add_permission_for_role(auth_role, "media.factory.construct", True)
        media.set_permissions(permissions)
    return media


def add_mounts(mounts, head, role=None):
    for name, encoder in ENCODERS.items():
        mounts.add_factory("/" + name, factory(head + encoder, auth_role=role))
    mounts.add_factory("/udp-only", factory(head + ENCODERS["h264"], udp_only=True, auth_role=role))


# method: None (open to everyone), "basic" or "digest" (the one user only), or ("tls", PEM, KEY)
# (everyone, over TLS).
def make_server(address, port, method, user, password, head):
    server = GstRtspServer.RTSPServer()
    server.set_address(address)
    server.set_service(str(port))
    role = None
    if method:
        role = "user"
        auth = GstRtspServer.RTSPAuth()
        token = GstRtspServer.RTSPToken()
        token.set_string("media.factory.role", role)
        if method == "basic":
            auth.set_supported_methods(GstRtsp.RTSPAuthMethod.BASIC)
            auth.add_basic(GstRtspServer.RTSPAuth.make_basic(user, password), token)
        elif method == "digest":
            auth.set_supported_methods(GstRtsp.RTSPAuthMethod.DIGEST)
            auth.add_digest(user, password, token)
        else:
            auth.set_tls_certificate(Gio.TlsCertificate.new_from_files(method[1], method[2]))
            auth.set_default_token(token)
        server.set_auth(auth)
    add_mounts(server.get_mount_points(), head, role)
    if server.attach(None) == 0:
        print("cannot listen on %s:%d" % (address, port), file=sys.stderr)
        return None
    return server


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0, help="open to everyone")
    parser.add_argument("--basic-port", type=int, default=0, help="Basic authentication")
    parser.add_argument("--digest-port", type=int, default=0, help="Digest authentication")
    parser.add_argument("--tls-port", type=int, action="append", default=[], help="over TLS, to everyone")
    parser.add_argument("--cert", action="append", default=[], help="PEM certificate of each --tls-port")
    parser.add_argument("--key", action="append", default=[], help="PEM key of each --tls-port")
    parser.add_argument("--user", default="viewer")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--size", default="640x360")
    parser.add_argument("--rate", type=int, default=25)
    options = parser.parse_args()

    Gst.init(None)
    head = source(options.size, options.rate)
    if not len(options.tls_port) == len(options.cert) == len(options.key):
        print("each --tls-port needs its --cert and --key", file=sys.stderr)
        return 1
    servers = []
    ports = [(options.port, None), (options.basic_port, "basic"), (options.digest_port, "digest")]
    ports += [(port, ("tls", cert, key)) for port, cert, key in zip(options.tls_port, options.cert, options.key)]
    for port, method in ports:
        if port:
            servers.append(make_server(options.address, port, method, options.user, options.password, head))
    if not servers or None in servers:
        return 1
    print("ready", flush=True)
    GLib.MainLoop().run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
