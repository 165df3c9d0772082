#include "simoptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QtMath>

namespace {

bool toInt(const QString &text, int low, int high, int *value)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *value = v;
    return true;
}

bool toPort(const QString &text, quint16 *port)
{
    int v = 0;
    if (!toInt(text, 1, 65535, &v))
        return false;
    *port = quint16(v);
    return true;
}

bool toPair(const QString &text, int *a, int *b)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+)x(\\d+)$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    return toInt(m.captured(1), 1, 10000, a) && toInt(m.captured(2), 1, 10000, b);
}

} // namespace

QHostAddress SimOptions::cameraAddress(int index)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + index));
}

QHostAddress SimOptions::stationAddress(int index)
{
    return QHostAddress(QStringLiteral("127.0.1.%1").arg(2 + index));
}

bool SimOptions::parse(const QStringList &arguments, QString *error, bool *helpRequested)
{
    *helpRequested = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates cameras, IO modules and door stations on loopback for the viewer.\n"
        "Camera i (1-based) streams MJPEG at 127.0.0.(1+i) and has its IO module there;\n"
        "its door station is 127.0.1.(1+i). Console commands on stdin, one per line:\n"
        "  call|talk|ring <station> [callee], hangup <station>,\n"
        "  input <cam> <1|2> <on|off>, stall|resume|close|refuse|accept <cam>,\n"
        "  mute|drip|garbage|huge|inband|heal <cam>, answer <cam> <status|0>,\n"
        "  jump <cam> <seconds>, quit.\n"
        "With --rtsp, stall, resume, close, refuse and accept act on the RTSP stream too;\n"
        "garbage makes it announce a codec the viewer does not read, inband leaves the\n"
        "parameter sets out of its description (they still come in the stream), heal\n"
        "undoes both; jump moves its clock by the seconds given (negative: back).\n"
        "With --sub, every command acts on a camera's small stream as on its main one.\n"
        "--write-ini writes the viewer INI and exits, unless --serve is given too;\n"
        "then the INI is written once the cameras are listening."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption cameras(QStringLiteral("cameras"), QStringLiteral("Number of cameras (1-20, default 1)."), QStringLiteral("N"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("HTTP port of every camera (default 80, falling back to 8080+i)."), QStringLiteral("P"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size (default 640x480)."), QStringLiteral("WxH"));
    const QCommandLineOption subOpt(QStringLiteral("sub"), QStringLiteral("Every camera also serves the same scene at this small size as a second stream: Motion-JPEG at http://address:port/mjpg/sub.mjpg and, with --rtsp, H.264 at rtsp://address:port/sub; the INI names the one beside each main stream it names (URL_Sub)."), QStringLiteral("WxH"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Pictures per second (default 10)."), QStringLiteral("F"));
    const QCommandLineOption quality(QStringLiteral("quality"), QStringLiteral("JPEG quality (default 80)."), QStringLiteral("Q"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Require Basic authentication with this user."), QStringLiteral("U"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Password for --user."), QStringLiteral("P"));
    const QCommandLineOption replay(QStringLiteral("replay"), QStringLiteral("Serve the JPEG files of a folder in a cycle."), QStringLiteral("DIR"));
    const QCommandLineOption cycle(QStringLiteral("cycle"), QStringLiteral("Encode N live pictures per camera once and replay them."), QStringLiteral("N"));
    const QCommandLineOption stall(QStringLiteral("stall"), QStringLiteral("Start camera i (1-based) stalled."), QStringLiteral("i"));
    const QCommandLineOption refuse(QStringLiteral("refuse"), QStringLiteral("Start camera i (1-based) refusing connections."), QStringLiteral("i"));
    const QCommandLineOption viewer(QStringLiteral("viewer"), QStringLiteral("Viewer address for status datagrams, within 127.0.0.0/8 (default 127.0.0.1)."), QStringLiteral("ADDR"));
    const QCommandLineOption camStatus(QStringLiteral("cam-status-port"), QStringLiteral("Viewer port for IO status (default 5000)."), QStringLiteral("PORT"));
    const QCommandLineOption sipStatus(QStringLiteral("sip-status-port"), QStringLiteral("Viewer port for station status (default 8112)."), QStringLiteral("PORT"));
    const QCommandLineOption camControl(QStringLiteral("cam-control-port"), QStringLiteral("IO module command port (default 4005)."), QStringLiteral("PORT"));
    const QCommandLineOption sipControl(QStringLiteral("sip-control-port"), QStringLiteral("Station command port (default 8113)."), QStringLiteral("PORT"));
    const QCommandLineOption sipPw(QStringLiteral("sip-password"), QStringLiteral("Station authentication code written to the INI (default 4711)."), QStringLiteral("CODE"));
    const QCommandLineOption demoOpt(QStringLiteral("demo"), QStringLiteral("Run the demo schedule: call, hang-up, input on/off, every 50 s."));
    const QCommandLineOption ini(QStringLiteral("write-ini"), QStringLiteral("Write a viewer INI for this installation and exit."), QStringLiteral("FILE"));
    const QCommandLineOption serveOpt(QStringLiteral("serve"), QStringLiteral("With --write-ini: keep serving afterwards."));
    const QCommandLineOption grid(QStringLiteral("grid"), QStringLiteral("Grid written to the INI (default: smallest square grid)."), QStringLiteral("CxR"));
    const QCommandLineOption rtspOpt(QStringLiteral("rtsp"), QStringLiteral("Every camera also serves H.264 over RTSP at rtsp://address:port/stream (size and rate as above); the INI names these streams."));
    const QCommandLineOption rtspPortOpt(QStringLiteral("rtsp-port"), QStringLiteral("RTSP port of every camera (default 554, falling back to 8554+i)."), QStringLiteral("P"));
    const QCommandLineOption rtspCameraOpt(QStringLiteral("rtsp-camera"), QStringLiteral("With --rtsp: the INI names camera i's (1-based) RTSP stream and the Motion-JPEG stream of every camera not given so (repeatable; default: every camera's RTSP stream)."), QStringLiteral("i"));
    const QCommandLineOption slicesOpt(QStringLiteral("slices"), QStringLiteral("With --rtsp: slices per H.264 picture, as cameras encoding on several cores send them (default 1)."), QStringLiteral("N"));
    const QCommandLineOption cameraEncodingOpt(QStringLiteral("camera-encoding"), QStringLiteral("With --rtsp: H.264 as cameras send it (x264 veryfast, main profile with CABAC, a key picture every 50, 4 Mbit/s) instead of the cheapest encoding."));
    const QCommandLineOption duration(QStringLiteral("duration"), QStringLiteral("Exit after S seconds."), QStringLiteral("S"));
    parser.addOptions({cameras, port, size, subOpt, fps, quality, user, password, replay, cycle, stall, refuse, viewer,
                       camStatus, sipStatus, camControl, sipControl, sipPw, demoOpt, ini, serveOpt, grid, duration, rtspOpt, rtspPortOpt,
                       rtspCameraOpt, slicesOpt, cameraEncodingOpt});
    this->help = parser.helpText();

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        *helpRequested = true;
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return false;
    }

    auto fail = [error](const QString &text) { *error = text; return false; };
    if (parser.isSet(cameras) && !toInt(parser.value(cameras), 1, maxCameras, &this->cameras))
        return fail(QStringLiteral("--cameras wants 1 to %1").arg(maxCameras));
    portGiven = parser.isSet(port);
    if (portGiven && !toInt(parser.value(port), 1, 65535, &this->port))
        return fail(QStringLiteral("--port wants 1 to 65535"));
    int w = 0, h = 0;
    if (parser.isSet(size)) {
        if (!toPair(parser.value(size), &w, &h) || w < 64 || h < 48)
            return fail(QStringLiteral("--size wants WxH, at least 64x48"));
        this->size = QSize(w, h);
    }
    if (parser.isSet(subOpt)) {
        if (!toPair(parser.value(subOpt), &w, &h) || w < 64 || h < 48)
            return fail(QStringLiteral("--sub wants WxH, at least 64x48"));
        subSize = QSize(w, h);
    }
    if (parser.isSet(fps) && !toInt(parser.value(fps), 1, 100, &this->fps))
        return fail(QStringLiteral("--fps wants 1 to 100"));
    if (parser.isSet(quality) && !toInt(parser.value(quality), 1, 100, &this->quality))
        return fail(QStringLiteral("--quality wants 1 to 100"));
    this->user = parser.value(user);
    this->password = parser.value(password);
    if (this->user.isEmpty() && parser.isSet(password))
        return fail(QStringLiteral("--password needs --user"));
    this->replayDir = parser.value(replay);
    if (parser.isSet(cycle) && !toInt(parser.value(cycle), 1, 1000, &this->cycle))
        return fail(QStringLiteral("--cycle wants 1 to 1000"));
    if (!replayDir.isEmpty() && this->cycle > 0)
        return fail(QStringLiteral("--replay and --cycle exclude each other"));
    for (const QString &v : parser.values(stall)) {
        int i = 0;
        if (!toInt(v, 1, this->cameras, &i))
            return fail(QStringLiteral("--stall wants a camera from 1 to %1").arg(this->cameras));
        stalled.append(i - 1);
    }
    for (const QString &v : parser.values(refuse)) {
        int i = 0;
        if (!toInt(v, 1, this->cameras, &i))
            return fail(QStringLiteral("--refuse wants a camera from 1 to %1").arg(this->cameras));
        refused.append(i - 1);
    }
    if (parser.isSet(viewer)) {
        const QHostAddress a(parser.value(viewer));
        if (a.protocol() != QAbstractSocket::IPv4Protocol
            || !a.isInSubnet(QHostAddress(QStringLiteral("127.0.0.0")), 8))
            return fail(QStringLiteral("--viewer must be an address within 127.0.0.0/8"));
        this->viewer = a;
    }
    if (parser.isSet(camStatus) && !toPort(parser.value(camStatus), &camStatusPort))
        return fail(QStringLiteral("--cam-status-port wants 1 to 65535"));
    if (parser.isSet(sipStatus) && !toPort(parser.value(sipStatus), &sipStatusPort))
        return fail(QStringLiteral("--sip-status-port wants 1 to 65535"));
    if (parser.isSet(camControl) && !toPort(parser.value(camControl), &camControlPort))
        return fail(QStringLiteral("--cam-control-port wants 1 to 65535"));
    if (parser.isSet(sipControl) && !toPort(parser.value(sipControl), &sipControlPort))
        return fail(QStringLiteral("--sip-control-port wants 1 to 65535"));
    if (parser.isSet(sipPw))
        sipPassword = parser.value(sipPw);
    demo = parser.isSet(demoOpt);
    iniFile = parser.value(ini);
    serve = parser.isSet(serveOpt);
    if (serve && iniFile.isEmpty())
        return fail(QStringLiteral("--serve only goes with --write-ini"));
    if (parser.isSet(grid) && !toPair(parser.value(grid), &gridCols, &gridRows))
        return fail(QStringLiteral("--grid wants CxR"));
    if (gridCols == 0) {
        gridCols = int(qCeil(qSqrt(double(this->cameras))));
        gridRows = gridCols;
    }
    rtsp = parser.isSet(rtspOpt);
    rtspPortGiven = parser.isSet(rtspPortOpt);
    if (rtspPortGiven && !toInt(parser.value(rtspPortOpt), 1, 65535, &rtspPort))
        return fail(QStringLiteral("--rtsp-port wants 1 to 65535"));
    if (rtspPortGiven && !rtsp)
        return fail(QStringLiteral("--rtsp-port only goes with --rtsp"));
    if (parser.isSet(slicesOpt) && (!rtsp || !toInt(parser.value(slicesOpt), 1, 16, &slices)))
        return fail(QStringLiteral("--slices wants 1 to 16, with --rtsp"));
    cameraEncoding = parser.isSet(cameraEncodingOpt);
    if (cameraEncoding && !rtsp)
        return fail(QStringLiteral("--camera-encoding only goes with --rtsp"));
    for (const QString &v : parser.values(rtspCameraOpt)) {
        int i = 0;
        if (!rtsp)
            return fail(QStringLiteral("--rtsp-camera only goes with --rtsp"));
        if (!toInt(v, 1, this->cameras, &i))
            return fail(QStringLiteral("--rtsp-camera wants a camera from 1 to %1").arg(this->cameras));
        rtspNamed.append(i - 1);
    }
    if (parser.isSet(duration) && !toInt(parser.value(duration), 1, 1000000, &durationSeconds))
        return fail(QStringLiteral("--duration wants a number of seconds"));
    return true;
}
