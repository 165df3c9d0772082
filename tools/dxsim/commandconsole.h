#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class CameraServer;
class RtspServer;
class QSocketNotifier;
class SimModule;

// Reads console commands from stdin, one per line, and answers each with one line starting
// with "ok" or "error". The demo schedule drives the simulator through the same commands.
class CommandConsole : public QObject {
    Q_OBJECT
public:
    CommandConsole(const QList<CameraServer *> &cameras, const QList<SimModule *> &ioModules,
                   const QList<SimModule *> &stations, QObject *parent = nullptr);

    // The RTSP streams of the same cameras, in the same order (may be empty).
    void setRtspCameras(const QList<RtspServer *> &servers) { rtspCameras = servers; }
    void listenToStdin();
    QString execute(const QString &line);

signals:
    void quitRequested();

private:
    void readStdin();
    QString stationCommand(const QString &verb, const QStringList &args);
    QString inputCommand(const QStringList &args);
    QString cameraCommand(const QString &verb, const QStringList &args);
    QString answerCommand(const QStringList &args);
    QString jumpCommand(const QStringList &args);
    QString holdCommand(const QStringList &args);
    bool number(const QString &text, int count, int *index) const;

    QList<CameraServer *> cameras;
    QList<RtspServer *> rtspCameras;
    QList<SimModule *> ioModules;
    QList<SimModule *> stations;
    QSocketNotifier *notifier = nullptr;
    QByteArray pending;
};
