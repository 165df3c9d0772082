#include "manualrecorder.h"

#include "camdata.h"
#include "recordfiles.h"
#include "tracecategory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <utility>

manualRecorder::~manualRecorder()
{
    stopRecording();
}

manualRecorder::folderResult manualRecorder::prepareFolder(const QString &folder)
{
    if (folder.size() < recordingFile::manualFolderMin || attached)
        return folderResult::unusable;
    folderText = folder;
    return probeWrite() ? folderResult::ready : folderResult::probeFailed;
}

// A temporary file of its own: no recording of that name is ever touched.
bool manualRecorder::probeWrite() const
{
    QTemporaryFile probe(QDir(folderText).filePath(QStringLiteral("probe_XXXXXX") + recordFiles::videoExtension));
    return probe.open();
}

bool manualRecorder::attach(camData *camera, bool startAtOnce)
{
    if (attached || !camera || folderText.size() < recordingFile::manualFolderMin)
        return false;
    attached = camera;
    packets = camera->isRtsp();
    if (!openFile()) {
        attached = nullptr;
        return false;
    }
    camera->attachVideo();
    recordedMs = 0;
    if (startAtOnce)
        startRecording();
    return true;
}

bool manualRecorder::openFile()
{
    return file.open(folderText, recordFiles::safeName(attached->camModule.camName), packets);
}

// A recording stopped before its first picture leaves no file behind.
void manualRecorder::closeFile()
{
    file.close();
}

void manualRecorder::startRecording()
{
    if (!attached || !attached->videoAttached() || !file.isOpen())
        return;
    attached->videoStarted(this);
    if (packets)
        file.waitForKey();
    if (!recording)
        runningSinceMs = now();
    recording = true;
}

void manualRecorder::pauseRecording()
{
    if (attached)
        attached->videoPaused();
    if (recording)
        recordedMs += now() - runningSinceMs;
    recording = false;
}

void manualRecorder::stopRecording()
{
    pauseRecording();
    if (attached)
        attached->detachVideo();
    attached = nullptr;
    closeFile();
}

qint64 manualRecorder::runningSeconds() const
{
    return (recordedMs + (recording ? now() - runningSinceMs : 0)) / 1000;
}

bool manualRecorder::append(const QByteArray &picture)
{
    if (!recording || !file.isOpen())
        return false;
    if (!file.writePicture(picture)) {
        fail(file.errorString());
        return false;
    }
    if (attached)
        attached->countVideoBytes(picture.size());
    if (!file.pastLimit())
        return true;
    closeFile();
    if (!openFile())
        fail(file.errorString());
    return true;
}

bool manualRecorder::appendPacket(const cameraPacket &packet)
{
    if (!recording || !file.isOpen() || !packets)
        return false;
    const qint64 runningMs = recordedMs + packet.arrivedMs - runningSinceMs;
    const qint64 before = file.bytes();
    switch (file.writePacket(packet, runningMs, [this] { return renewFile(); })) {
    case recordingFile::packetResult::noFile:
        return false;
    case recordingFile::packetResult::failed:
        fail(file.packetError());
        return false;
    case recordingFile::packetResult::written:
        if (attached)
            attached->countVideoBytes(file.bytes() - before);
        break;
    case recordingFile::packetResult::skipped:
        break;
    }
    return true;
}

bool manualRecorder::renewFile()
{
    closeFile();
    if (openFile())
        return true;
    fail(file.errorString());
    return false;
}

void manualRecorder::verifyFile()
{
    if (file.isOpen() && !QFileInfo::exists(file.path()))
        fail(QCoreApplication::translate("manualRecorder", "Datei oder Ordner nicht mehr vorhanden"));
}

void manualRecorder::fail(const QString &what)
{
    qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Videoaufnahme beendet, Schreibfehler: %1: %2")
                                         .arg(file.path(), what);
    error = file.path() + QStringLiteral(": ") + what;
    file.cutOff();
    end();
}

void manualRecorder::takenOver()
{
    qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Videoaufnahme beendet, automatische Aufzeichnung: %1")
                                         .arg(file.path());
    endedByAutomatic = true;
    closeFile();
    end();
}

// The camera stays attached, so that the owner can tell the user and stop.
void manualRecorder::end()
{
    pauseRecording();
    if (attached)
        attached->videoEnded();
}

QString manualRecorder::takeError()
{
    QString taken;
    taken.swap(error);
    return taken;
}

bool manualRecorder::takeTakenOver()
{
    return std::exchange(endedByAutomatic, false);
}
