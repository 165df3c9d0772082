#include "autorecorder.h"

#include "recordfiles.h"
#include "tracecategory.h"

#include <QFileInfo>
#include <QStorageInfo>

#include <sys/resource.h>

autoRecorder::autoRecorder(cameraModule &recordedModule) : module(recordedModule)
{
    monotonic.start();
}

autoRecorder::~autoRecorder()
{
    close();
}

void autoRecorder::setClock(std::function<qint64()> source)
{
    clock = std::move(source);
}

void autoRecorder::computeSaveInterval()
{
    int base = 1000;
    if (module.selFreqTip == 1)
        base = 60000;
    else if (module.selFreqTip == 2)
        base = 3600000;
    else
        module.selFreqTip = 0;
    // More than 1000 a second would give an interval of 0, which records nothing at all.
    module.n_Bild_Freq = qBound(1, module.n_Bild_Freq, maxFrequency);
    module.stopTimeBeweg = qBound(0, module.stopTimeBeweg, maxStopSeconds);
    interval = base / module.n_Bild_Freq;
}

bool autoRecorder::wanted(bool enabled) const
{
    const bool motionInput = module.status.statusChars[3] == '0';
    return enabled && (module.CAMautoSaveEn || (module.CAMsaveBeweg && motionInput));
}

void autoRecorder::controlRecording(bool enabled)
{
    computeSaveInterval();
    const bool want = wanted(enabled);
    // A Matroska file is renewed at the next key packet instead (takePacket).
    if (file.pastLimit() && !packets) {
        // The next file starts at once, so that no pictures fall between the two files.
        closeFile();
        if (want && backoff.mayTry([this] { return folderHasRoom(); }))
            openRecordingFile();
        return;
    }
    if (!want) {
        closeFile();
        return;
    }
    if (file.isOpen() && !QFileInfo::exists(path)) {
        // The folder went away (or the file was deleted): what is written now would be lost.
        qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Aufzeichnung verschwunden: %1").arg(path);
        closeFile();
    }
    if (!file.isOpen() && backoff.mayTry([this] { return folderHasRoom(); }))
        openRecordingFile();
}

void autoRecorder::openRecordingFile()
{
    active = false;
    if (module.dirCamBild.size() < recordingFile::automaticFolderMin)
        return;
    if (!file.open(module.dirCamBild, recordFiles::automaticName(module.camName), packets)) {
        if (!openFailed)
            qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Aufzeichnung nicht möglich: %1: %2")
                                                 .arg(module.dirCamBild, file.errorString());
        openFailed = true;
        return;
    }
    openFailed = false;
    path = file.path();
    active = true;
    credit = -1;
    wroteAtLastPicture = false;
    writingSinceMs = now();
    // Continuous recording writes from the first picture on, not from the next tick.
    if (!module.CAMsaveBeweg)
        writing = true;
}

void autoRecorder::closeFile()
{
    file.close();
    active = false;
}

void autoRecorder::close()
{
    closeFile();
    writing = false;
}

void autoRecorder::motionTick(bool &motionEvent)
{
    if (!active)
        return;
    if (!module.CAMsaveBeweg) {
        if (!writing)
            startWriting();
        return;
    }
    if (!motionEvent) {
        motionStopMs += tickMs;
        if (qint64(qBound(0, module.stopTimeBeweg, maxStopSeconds)) * 1000 < motionStopMs) {
            motionStopMs = 0;
            writing = false;
        }
        return;
    }
    qCDebug(dxcamTrace).noquote() << QStringLiteral("***** %1").arg(module.shownAddress());
    motionStopMs = 0;
    if (!writing)
        startWriting();
    motionEvent = false;
}

void autoRecorder::takePicture(const QByteArray &picture)
{
    if (!active || !writing || !file.isOpen() || interval <= 0 || !due())
        return;
    if (!file.writePicture(picture)) {
        writeFailed(file.errorString());
        return;
    }
    ++pictures;
    backoff.succeeded();
}

void autoRecorder::setPacketMode(bool on)
{
    if (on == packets)
        return;
    closeFile();
    packets = on;
}

void autoRecorder::takePacket(const cameraPacket &packet)
{
    if (!packets || !active || !writing || !file.isOpen())
        return;
    switch (file.writePacket(packet, packet.arrivedMs, [this] { return renewFile(); })) {
    case recordingFile::packetResult::written:
        ++pictures;
        backoff.succeeded();
        break;
    case recordingFile::packetResult::failed:
        writeFailed(file.packetError());
        break;
    case recordingFile::packetResult::skipped:
    case recordingFile::packetResult::noFile:
        break;
    }
}

// A look that makes no file: the folder can be written, and a file of roomNeeded bytes fits, by
// the space the file system leaves this user and by the program's file-size limit (a limit
// below it is as full as a full disk).
bool autoRecorder::folderHasRoom() const
{
    const QFileInfo folder(module.dirCamBild);
    if (!folder.isDir() || !folder.isWritable())
        return false;
    const QStorageInfo storage(module.dirCamBild);
    if (!storage.isValid() || storage.isReadOnly() || storage.bytesAvailable() < roomNeeded)
        return false;
    rlimit limit{};
    return getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY
           || limit.rlim_cur >= rlim_t(roomNeeded);
}

bool autoRecorder::renewFile()
{
    closeFile();
    openRecordingFile();
    return file.isOpen();
}

qint64 autoRecorder::now() const
{
    return clock ? clock() : monotonic.elapsed();
}

void autoRecorder::startWriting()
{
    if (packets)
        file.waitForKey();
    writing = true;
    credit = -1;
    wroteAtLastPicture = false;
    writingSinceMs = now();
}

bool autoRecorder::due()
{
    const qint64 at = now();
    if (credit < 0) {
        credit = interval + qMax<qint64>(0, at - writingSinceMs);
        lastGapMs = 0;
    } else if (at > lastPictureMs) {
        // Left over from a picture written after a pause: the pause is no unevenness to make up.
        qint64 kept = credit;
        if (wroteAtLastPicture)
            kept = lastGapMs > interval + jitterMs ? 0 : qMin(credit, jitterMs);
        lastGapMs = at - lastPictureMs;
        credit = qMin(qMax<qint64>(interval, creditCapMs), kept + lastGapMs);
        wroteAtLastPicture = false;
    }
    lastPictureMs = at;
    if (credit < interval)
        return false;
    credit -= interval;
    wroteAtLastPicture = true;
    return true;
}

// A picture written in part would break the file for a reader: closing cuts it off again (a file
// that held nothing goes), and the next file waits.
void autoRecorder::writeFailed(const QString &reason)
{
    backoff.failed();
    qCDebug(dxcamTrace).noquote()
        << QStringLiteral("##### Aufzeichnung beendet, Schreibfehler: %1: %2; neue Datei, sobald der Ordner Platz hat "
                          "(frühestens in etwa %3 s)")
               .arg(path, reason)
               .arg(backoff.waitRuns() * controlPeriodSeconds);
    closeFile();
}
