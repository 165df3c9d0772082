#include "commandconsole.h"

#include "cameraserver.h"
#include "consoleoutput.h"
#include "rtspserver.h"
#include "simmodule.h"

#include <QSocketNotifier>

#include <unistd.h>

namespace {

QString shown(const QByteArray &datagram)
{
    QString text = QString::fromLatin1(datagram);
    text.replace(QLatin1String("\r"), QLatin1String("\\r")).replace(QLatin1String("\n"), QLatin1String("\\n"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

const QString usage = QStringLiteral(
    "commands: call|talk|ring <station> [callee], hangup <station>, input <cam> <1|2> <on|off>, "
    "stall|resume|close|refuse|accept|mute|drip|garbage|huge|inband|heal <cam>, answer <cam> <status|0>, "
    "jump <cam> <seconds>, hold <cam> <pictures> (RTSP), quit");

const QStringList cameraVerbs{"stall", "resume", "close", "refuse", "accept", "mute", "drip", "garbage", "huge", "inband", "heal"};

} // namespace

CommandConsole::CommandConsole(const QList<CameraServer *> &cameras, const QList<SimModule *> &ioModules,
                               const QList<SimModule *> &stations, QObject *parent)
    : QObject(parent), cameras(cameras), ioModules(ioModules), stations(stations)
{
}

void CommandConsole::listenToStdin()
{
    notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &CommandConsole::readStdin);
}

void CommandConsole::readStdin()
{
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        // End of input (or /dev/null): keep serving; --duration, quit or a signal ends the run.
        notifier->setEnabled(false);
        return;
    }
    pending.append(buffer, int(n));
    int newline = 0;
    while ((newline = pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromLocal8Bit(pending.left(newline)).trimmed();
        pending.remove(0, newline + 1);
        if (!line.isEmpty())
            ConsoleOutput::line(execute(line));
    }
}

QString CommandConsole::execute(const QString &line)
{
    QStringList args = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (args.isEmpty())
        return QStringLiteral("error: empty command; ") + usage;
    const QString verb = args.takeFirst().toLower();
    if (verb == QLatin1String("quit")) {
        emit quitRequested();
        return QStringLiteral("ok quit");
    }
    if (verb == QLatin1String("call") || verb == QLatin1String("talk") || verb == QLatin1String("ring")
        || verb == QLatin1String("hangup"))
        return stationCommand(verb, args);
    if (verb == QLatin1String("input"))
        return inputCommand(args);
    if (cameraVerbs.contains(verb))
        return cameraCommand(verb, args);
    if (verb == QLatin1String("answer"))
        return answerCommand(args);
    if (verb == QLatin1String("jump"))
        return jumpCommand(args);
    if (verb == QLatin1String("hold"))
        return holdCommand(args);
    if (verb == QLatin1String("help"))
        return QStringLiteral("ok ") + usage;
    return QStringLiteral("error: unknown command \"%1\"; ").arg(verb) + usage;
}

bool CommandConsole::number(const QString &text, int count, int *index) const
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > count)
        return false;
    *index = n - 1;
    return true;
}

QString CommandConsole::stationCommand(const QString &verb, const QStringList &args)
{
    const bool hangup = verb == QLatin1String("hangup");
    int index = 0;
    if (args.isEmpty() || args.size() > (hangup ? 1 : 2) || !number(args.at(0), int(stations.size()), &index))
        return QStringLiteral("error: %1 <station 1-%2>%3").arg(verb).arg(stations.size()).arg(hangup ? "" : " [callee]");
    QByteArray payload;
    if (hangup) {
        payload = "0A@\r\n";
    } else {
        const QByteArray callee = args.value(1, QStringLiteral("100")).toLatin1();
        if (callee.size() > 24)
            return QStringLiteral("error: callee longer than 24 characters");
        const QByteArray code = verb == QLatin1String("call") ? "07" : verb == QLatin1String("talk") ? "05" : "01";
        payload = code + '@' + callee + "\r\n";
    }
    SimModule *station = stations.at(index);
    return QStringLiteral("ok %1 sent %2").arg(station->label(), shown(station->sendStatus(payload)));
}

QString CommandConsole::inputCommand(const QStringList &args)
{
    int index = 0;
    const QString state = args.value(2).toLower();
    if (args.size() != 3 || !number(args.at(0), int(ioModules.size()), &index)
        || (args.at(1) != QLatin1String("1") && args.at(1) != QLatin1String("2"))
        || (state != QLatin1String("on") && state != QLatin1String("off")))
        return QStringLiteral("error: input <cam 1-%1> <1|2> <on|off>").arg(ioModules.size());
    SimModule *module = ioModules.at(index);
    const QByteArray sent = module->setInput(args.at(1).toInt(), state == QLatin1String("on"));
    return QStringLiteral("ok %1 sent %2").arg(module->label(), shown(sent));
}

QString CommandConsole::cameraCommand(const QString &verb, const QStringList &args)
{
    int index = 0;
    if (args.size() != 1 || !number(args.at(0), int(cameras.size()), &index))
        return QStringLiteral("error: %1 <cam 1-%2>").arg(verb).arg(cameras.size());
    CameraServer *camera = cameras.at(index);
    const QString name = QStringLiteral("camera %1").arg(index + 1);
    RtspServer *rtsp = rtspCameras.value(index);
    if (verb == QLatin1String("close")) {
        const int closed = camera->closeClients() + (rtsp ? rtsp->closeClients() : 0);
        return QStringLiteral("ok %1 closed %2 connection(s)").arg(name).arg(closed);
    }
    if (verb == QLatin1String("mute") || verb == QLatin1String("drip") || verb == QLatin1String("garbage")) {
        if (verb == QLatin1String("mute"))
            camera->setMute(true);
        else if (verb == QLatin1String("drip"))
            camera->setDrip(true);
        else
            camera->setGarbage(true);
        if (rtsp && verb == QLatin1String("garbage"))
            rtsp->setForeignCodec(true);
        return QStringLiteral("ok %1 %2").arg(name, verb);
    }
    if (verb == QLatin1String("inband")) {
        if (!rtsp)
            return QStringLiteral("error: camera %1 serves no RTSP stream").arg(index + 1);
        rtsp->setParametersInStreamOnly(true);
        return QStringLiteral("ok %1 describes no parameter sets to new connections").arg(name);
    }
    if (verb == QLatin1String("huge")) {
        camera->sendHugeNext();
        return QStringLiteral("ok %1 sends a picture larger than 8 MiB next").arg(name);
    }
    if (verb == QLatin1String("heal")) {
        camera->heal();
        if (rtsp) {
            rtsp->setForeignCodec(false);
            rtsp->setParametersInStreamOnly(false);
        }
        return QStringLiteral("ok %1 without faults").arg(name);
    }
    if (verb == QLatin1String("stall") || verb == QLatin1String("resume")) {
        const bool on = verb == QLatin1String("stall");
        camera->setStalled(on);
        if (rtsp)
            rtsp->setStalled(on);
        return QStringLiteral("ok %1 %2").arg(name, on ? QStringLiteral("stalled") : QStringLiteral("streaming"));
    }
    const bool on = verb == QLatin1String("refuse");
    camera->setRefusing(on);
    if (rtsp)
        rtsp->setRefusing(on);
    return QStringLiteral("ok %1 %2").arg(name, on ? QStringLiteral("refuses new connections") : QStringLiteral("accepts connections"));
}

QString CommandConsole::jumpCommand(const QStringList &args)
{
    int index = 0;
    bool ok = false;
    const int seconds = args.value(1).toInt(&ok);
    if (args.size() != 2 || !number(args.at(0), int(cameras.size()), &index) || !ok || qAbs(seconds) > 86400
        || !rtspCameras.value(index))
        return QStringLiteral("error: jump <RTSP cam 1-%1> <seconds, -86400 to 86400>").arg(cameras.size());
    rtspCameras.at(index)->jumpClock(qint64(seconds) * 1000);
    return QStringLiteral("ok camera %1 clock moved by %2 s").arg(index + 1).arg(seconds);
}

QString CommandConsole::holdCommand(const QStringList &args)
{
    int index = 0;
    bool counted = false;
    const int count = args.value(1).toInt(&counted);
    if (args.size() != 2 || !number(args.at(0), int(cameras.size()), &index) || !rtspCameras.value(index) || !counted
        || count < 1 || count > 1000)
        return QStringLiteral("error: hold <RTSP cam 1-%1> <pictures 1-1000>").arg(cameras.size());
    rtspCameras.at(index)->holdPictures(count);
    return QStringLiteral("ok camera %1 holds %2 pictures back").arg(index + 1).arg(count);
}

QString CommandConsole::answerCommand(const QStringList &args)
{
    int index = 0;
    bool ok = false;
    const int status = args.value(1).toInt(&ok);
    if (args.size() != 2 || !number(args.at(0), int(cameras.size()), &index) || !ok
        || (status != 0 && (status < 100 || status > 599) ) || status == 200)
        return QStringLiteral("error: answer <cam 1-%1> <status 100-599 but 200, or 0>").arg(cameras.size());
    cameras.at(index)->setAnswer(status);
    return status == 0 ? QStringLiteral("ok camera %1 streaming").arg(index + 1)
                       : QStringLiteral("ok camera %1 answers %2").arg(index + 1).arg(status);
}
