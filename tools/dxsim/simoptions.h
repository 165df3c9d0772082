#pragma once

#include <QHostAddress>
#include <QSize>
#include <QString>
#include <QStringList>

// The command line of the simulator, checked as a whole before anything is bound.
class SimOptions {
public:
    static constexpr int maxCameras = 20;

    int cameras = 1;
    int port = 80;
    bool portGiven = false;
    QSize size{640, 480};
    QSize subSize;  // with --sub: every camera's small second stream; empty: none
    int fps = 10;
    int slices = 1;  // per H.264 picture
    bool cameraEncoding = false;
    int quality = 80;
    QString user;
    QString password;
    QString replayDir;
    int cycle = 0;
    QList<int> stalled;   // 0-based camera indexes
    QList<int> refused;
    QHostAddress viewer{QHostAddress::LocalHost};
    quint16 camStatusPort = 5000;
    quint16 sipStatusPort = 8112;
    quint16 camControlPort = 4005;
    quint16 sipControlPort = 8113;
    QString sipPassword = QStringLiteral("4711");
    bool demo = false;
    QString iniFile;
    bool serve = false;   // keep serving after --write-ini
    int gridCols = 0;     // 0: smallest square grid
    int gridRows = 0;
    int durationSeconds = 0;
    bool rtsp = false;       // every camera also serves H.264 over RTSP; the INI names those
    QList<int> rtspNamed;    // 0-based; the cameras whose RTSP stream the INI names, empty: all
    int rtspPort = 554;
    bool rtspPortGiven = false;

    // Returns false with a message in error; helpRequested tells a plain --help apart.
    bool parse(const QStringList &arguments, QString *error, bool *helpRequested);
    QString helpText() const { return help; }

    static QHostAddress cameraAddress(int index);
    // Where every camera serves its small second stream, beside the main stream's paths.
    static constexpr const char *subHttpPath = "/mjpg/sub.mjpg";
    static constexpr const char *subRtspPath = "/sub";
    static QHostAddress stationAddress(int index);

private:
    QString help;
};
