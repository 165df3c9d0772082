#include "picturesaver.h"

#include "camdata.h"
#include "recordfiles.h"
#include "shellsettings.h"
#include "tracecategory.h"

#include <QDateTime>
#include <QFileInfo>

pictureSaver::pictureSaver()
{
    monotonic.start();
}

void pictureSaver::setClock(std::function<qint64()> source)
{
    clock = std::move(source);
}

bool pictureSaver::savePictures(const QList<camData *> &cameras, const shellSettings &settings)
{
    const qint64 now = clock ? clock() : monotonic.elapsed();
    const QString stamp = recordFiles::timeStamp(QDateTime::currentDateTime());
    const QFileInfo folder(settings.ImageFolder);
    QHash<camData *, qint64> stillPending;
    bool any = false;
    for (camData *cam : cameras) {
        if (!cam || !cam->savePictureRequest())
            continue;
        // Each camera on its own: a request that may not be served must not hold up the others.
        if (!settings.Autosave && !cam->saveAlways()) {
            dropRequest(cam, QStringLiteral("Speichern nicht freigegeben"));
            continue;
        }
        // Waiting would not help: nothing can be written there until the user acts.
        if (settings.ImageFolder.isEmpty() || !folder.isDir() || !folder.isWritable()) {
            dropRequest(cam, QStringLiteral("Ordner nicht beschreibbar: \"%1\"").arg(settings.ImageFolder));
            continue;
        }
        if (saveNewest(cam, settings.ImageFolder, stamp)) {
            any = true;
            continue;
        }
        const qint64 since = pendingSince.value(cam, now);
        if (now - since >= pictureWaitMs) {
            dropRequest(cam, QStringLiteral("kein Bild in %1 s").arg(pictureWaitMs / 1000));
            continue;
        }
        stillPending.insert(cam, since);
    }
    pendingSince.swap(stillPending);
    return any;
}

// Only a picture of a camera that delivers now: after a stall or a new connection the pictures
// left from before are no picture of this moment.
bool pictureSaver::saveNewest(camData *cam, const QString &folder, const QString &stamp)
{
    if (cam->state() != camData::connectionState::connected || !cam->isReceiving() || !cam->hasFrame())
        return false;
    const QByteArray picture = cam->newestFrame();
    if (picture.size() < minPictureBytes)
        return false;
    const QString path = recordFiles::writeNew(folder, stamp + recordFiles::safeName(cam->camModule.camName),
                                               recordFiles::jpgExtension, picture);
    if (path.isEmpty())
        return false;
    qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Bild = %1").arg(path);
    ++saved;
    lastPath = path;
    cam->setSavePictureRequest(false);
    cam->setSaveAlways(false);
    return true;
}

void pictureSaver::dropRequest(camData *cam, const QString &why)
{
    qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Bild nicht gespeichert (%1): %2").arg(why, cam->camModule.camName);
    cam->setSavePictureRequest(false);
    cam->setSaveAlways(false);
}
