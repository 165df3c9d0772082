#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class camData;
struct shellSettings;

// Saves the newest picture of every camera that asks for it (`savePictureRequest`) as a JPG in
// `ImageFolder`: the picture's bytes exactly as cut from the stream. A request is served when
// `Autosave` is on or the camera's own `saveAlways` (an alarm picture) is set; any other request
// is dropped at once, as is one whose folder is missing or cannot be written. A request whose
// camera has no picture of its current connection yet (a door call while the camera is off), or
// whose file could not be written, is tried again on later calls for up to pictureWaitMs.
class pictureSaver {
public:
    static constexpr int minPictureBytes = 1001;
    static constexpr qint64 pictureWaitMs = 60000;

    pictureSaver();

    // True when at least one picture was written in full.
    bool savePictures(const QList<camData *> &cameras, const shellSettings &settings);
    // The camera is about to be deleted.
    void forget(camData *camera) { pendingSince.remove(camera); }

    // Milliseconds of a monotonic clock; tests set their own.
    void setClock(std::function<qint64()> clock);
    qint64 savedCount() const { return saved; }
    QString lastSavedPath() const { return lastPath; }

private:
    bool saveNewest(camData *camera, const QString &folder, const QString &stamp);
    static void dropRequest(camData *camera, const QString &why);

    std::function<qint64()> clock;
    QElapsedTimer monotonic;
    QHash<camData *, qint64> pendingSince;
    qint64 saved = 0;
    QString lastPath;
};
