#pragma once

#include "h264loop.h"
#include "picturesource.h"
#include "simoptions.h"

#include <QList>
#include <QObject>
#include <QTimer>

class CameraServer;
class CommandConsole;
class RtspServer;
class DemoSchedule;
class SimModule;

// Puts the installation together: cameras, their IO modules and door stations, the console,
// the demo and the one picture timer that feeds all cameras.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);

    bool start(QString *error);

signals:
    void quitRequested();

private:
    bool startCameras(QString *error);
    bool startModules(QString *error);
    bool startRtsp(QString *error);
    void tick();
    QList<quint16> cameraPorts() const;

    SimOptions options;
    PictureSource source;
    PictureSource subSource;
    QList<CameraServer *> cameras;
    H264Loop h264;
    H264Loop subH264;
    QList<RtspServer *> rtspCameras;
    QList<SimModule *> ioModules;
    QList<SimModule *> stations;
    CommandConsole *console = nullptr;
    DemoSchedule *demo = nullptr;
    QTimer frameTimer;
    quint64 frameNumber = 0;
};
