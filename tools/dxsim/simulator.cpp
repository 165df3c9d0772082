#include "simulator.h"

#include "cameraserver.h"
#include "commandconsole.h"
#include "consoleoutput.h"
#include "demoschedule.h"
#include "iniwriter.h"
#include "rtspserver.h"
#include "simmodule.h"

namespace {

constexpr quint16 standardHttpPort = 80;
constexpr quint16 fallbackHttpPort = 8080;
constexpr quint16 fallbackRtspPort = 8554;

} // namespace

Simulator::Simulator(const SimOptions &options, QObject *parent)
    : QObject(parent), options(options), source(options.size, options.quality, options.cycle),
      subSource(options.subSize, options.quality, options.cycle)
{
    frameTimer.setTimerType(Qt::PreciseTimer);
    frameTimer.setInterval(1000 / options.fps);
    connect(&frameTimer, &QTimer::timeout, this, &Simulator::tick);
}

bool Simulator::start(QString *error)
{
    const bool sub = options.subSize.isValid();
    if (!options.replayDir.isEmpty()
        && (!source.loadReplay(options.replayDir, false, error)
            || (sub && !subSource.loadReplay(options.replayDir, true, error))))
        return false;
    if (!startCameras(error) || !startRtsp(error) || !startModules(error))
        return false;
    if (options.cycle > 0 && options.replayDir.isEmpty()) {
        ConsoleOutput::line(QStringLiteral("encoding %1 picture(s) per camera").arg(options.cycle));
        source.prepareCycle();
        if (sub)
            subSource.prepareCycle();
    }

    console = new CommandConsole(cameras, ioModules, stations, this);
    console->setRtspCameras(rtspCameras);
    connect(console, &CommandConsole::quitRequested, this, &Simulator::quitRequested);
    console->listenToStdin();
    if (!options.iniFile.isEmpty()) {
        IniWriter writer(options, cameraPorts());
        QList<quint16> rtspPorts;
        for (const RtspServer *camera : std::as_const(rtspCameras))
            rtspPorts.append(camera->port());
        writer.setRtspPorts(rtspPorts);
        if (!writer.write(options.iniFile, error))
            return false;
        ConsoleOutput::line(QStringLiteral("wrote %1").arg(options.iniFile));
    }
    if (options.demo) {
        demo = new DemoSchedule(console, options.cameras, this);
        demo->start();
    }
    if (options.durationSeconds > 0)
        QTimer::singleShot(options.durationSeconds * 1000, this, &Simulator::quitRequested);
    frameTimer.start();
    ConsoleOutput::line(QStringLiteral("ready: %1 camera(s), status to %2 (io %3, station %4)")
                            .arg(options.cameras).arg(options.viewer.toString())
                            .arg(options.camStatusPort).arg(options.sipStatusPort));
    return true;
}

bool Simulator::startCameras(QString *error)
{
    QStringList names;
    bool fellBack = false;
    for (int i = 0; i < options.cameras; ++i) {
        auto *camera = new CameraServer(i, SimOptions::cameraAddress(i), options.user, options.password, this);
        const quint16 wanted = options.portGiven ? quint16(options.port) : standardHttpPort;
        QString bindError;
        if (!camera->listen(wanted, &bindError)) {
            if (options.portGiven || !camera->listen(quint16(fallbackHttpPort + i), error)) {
                *error = options.portGiven ? bindError : *error;
                return false;
            }
            fellBack = true;
        }
        camera->setStalled(options.stalled.contains(i));
        camera->setRefusing(options.refused.contains(i));
        camera->setSubStream(options.subSize.isValid());
        cameras.append(camera);
        names.append(QStringLiteral("Kamera %1").arg(i + 1));
        ConsoleOutput::line(QStringLiteral("camera %1 http://%2:%3/mjpg/video.mjpg%4%5")
                                .arg(i + 1).arg(camera->address().toString()).arg(camera->port())
                                .arg(options.stalled.contains(i) ? " (stalled)" : "")
                                .arg(options.refused.contains(i) ? " (refusing)" : ""));
        if (options.subSize.isValid()) {
            ConsoleOutput::line(QStringLiteral("camera %1 http://%2:%3%4 (%5x%6)").arg(i + 1)
                                    .arg(camera->address().toString()).arg(camera->port())
                                    .arg(QLatin1String(SimOptions::subHttpPath))
                                    .arg(options.subSize.width()).arg(options.subSize.height()));
        }
    }
    if (fellBack) {
        ConsoleOutput::error(QStringLiteral(
            "port 80 could not be bound; cameras listen on 8080+i instead. The viewer matches IO "
            "status against a camera record's IP, and a record with an IP always streams from port 80, "
            "so with these ports IO popups cannot match (the INI then carries URLs)."));
    }
    source.setCameraNames(names);
    subSource.setCameraNames(names);
    return true;
}

bool Simulator::startModules(QString *error)
{
    for (int i = 0; i < options.cameras; ++i) {
        auto *io = new SimModule(SimModule::Kind::IoModule, i + 1, SimOptions::cameraAddress(i), this);
        auto *station = new SimModule(SimModule::Kind::Station, i + 1, SimOptions::stationAddress(i), this);
        if (!io->start(options.viewer, options.camStatusPort, options.camControlPort, error)
            || !station->start(options.viewer, options.sipStatusPort, options.sipControlPort, error))
            return false;
        ioModules.append(io);
        stations.append(station);
        ConsoleOutput::line(QStringLiteral("io %1 %2:%3, station %1 %4:%5")
                                .arg(i + 1).arg(SimOptions::cameraAddress(i).toString()).arg(options.camControlPort)
                                .arg(SimOptions::stationAddress(i).toString()).arg(options.sipControlPort));
    }
    return true;
}

bool Simulator::startRtsp(QString *error)
{
    if (!options.rtsp)
        return true;
    const H264Loop::encoding how{options.slices, options.cameraEncoding};
    const bool sub = options.subSize.isValid();
    if (!h264.encode(options.size, options.fps, how, error)
        || (sub && !subH264.encode(options.subSize, options.fps, how, error)))
        return false;
    for (int i = 0; i < options.cameras; ++i) {
        auto *camera = new RtspServer(SimOptions::cameraAddress(i), h264, options.fps, options.user, options.password, this);
        QString bindError;
        if (!camera->listen(quint16(options.rtspPort), &bindError)
            && (options.rtspPortGiven || !camera->listen(quint16(fallbackRtspPort + i), error))) {
            *error = options.rtspPortGiven ? bindError : *error;
            return false;
        }
        camera->setStalled(options.stalled.contains(i));
        camera->setRefusing(options.refused.contains(i));
        rtspCameras.append(camera);
        ConsoleOutput::line(QStringLiteral("camera %1 %2 (H.264 %3x%4 at %5/s)").arg(i + 1).arg(camera->url())
                                .arg(options.size.width()).arg(options.size.height()).arg(options.fps));
        if (!sub)
            continue;
        camera->setSubStream(&subH264);
        ConsoleOutput::line(QStringLiteral("camera %1 %2 (H.264 %3x%4 at %5/s)").arg(i + 1).arg(camera->url(true))
                                .arg(options.subSize.width()).arg(options.subSize.height()).arg(options.fps));
    }
    return true;
}

QList<quint16> Simulator::cameraPorts() const
{
    QList<quint16> ports;
    for (const CameraServer *camera : cameras)
        ports.append(camera->port());
    return ports;
}

void Simulator::tick()
{
    ++frameNumber;
    for (int i = 0; i < cameras.size(); ++i) {
        CameraServer *camera = cameras.at(i);
        if (camera->wantsPicture(false))
            camera->publish(source.part(i, frameNumber), false);
        if (camera->wantsPicture(true))
            camera->publish(subSource.part(i, frameNumber), true);
    }
    for (RtspServer *camera : std::as_const(rtspCameras))
        camera->publish(frameNumber);
}
