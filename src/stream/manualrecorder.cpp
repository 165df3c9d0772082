#include "manualrecorder.h"

#include "camdata.h"
#include "recordfiles.h"
#include "tracecategory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

extern "C" {
#include <libavcodec/packet.h>
}

#include <utility>

manualRecorder::~manualRecorder()
{
    stopRecording();
}

manualRecorder::folderResult manualRecorder::prepareFolder(const QString &folder)
{
    if (folder.size() < minFolderLength || attached)
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
    if (attached || !camera || folderText.size() < minFolderLength)
        return false;
    attached = camera;
    packets = camera->isRtsp();
    if (!openFile()) {
        attached = nullptr;
        return false;
    }
    camera->videoAttached = true;
    camera->videoBytesWritten = 0;
    recordedMs = 0;
    if (startAtOnce)
        startRecording();
    return true;
}

bool manualRecorder::openFile()
{
    if (!recordFiles::createNew(file, folderText,
                                recordFiles::timeStamp(QDateTime::currentDateTime())
                                    + recordFiles::safeName(attached->camModule.camName),
                                packets ? recordFiles::matroskaExtension : recordFiles::videoExtension))
        return false;
    if (packets)
        mkv.begin(&file);
    bytesInFile = 0;
    return true;
}

// A file that holds no picture is removed (a recording stopped before its first picture leaves
// none behind); a Matroska file ends with what finish() writes after the last packet.
void manualRecorder::closeFile()
{
    if (file.isOpen() && packets && !mkv.finish())
        qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Videoaufnahme unvollständig: %1: %2").arg(file.fileName(), mkv.errorText());
    recordFiles::closeRecording(file, packets && bytesInFile > 0 ? file.size() : bytesInFile);
}

void manualRecorder::startRecording()
{
    if (!attached || !attached->videoAttached || !file.isOpen())
        return;
    attached->videoRecording = true;
    attached->videoBytesWritten = 0;
    attached->videoSink = this;
    if (packets)
        mkv.waitForKey();
    if (!recording)
        runningSinceMs = now();
    recording = true;
}

void manualRecorder::pauseRecording()
{
    if (attached)
        attached->videoRecording = false;
    if (recording)
        recordedMs += now() - runningSinceMs;
    recording = false;
}

void manualRecorder::stopRecording()
{
    pauseRecording();
    if (attached) {
        attached->videoAttached = false;
        attached->videoSink = nullptr;
    }
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
    if (!recordFiles::writeAll(file, picture)) {
        fail(file.errorString());
        return false;
    }
    bytesInFile += picture.size();
    if (attached)
        attached->videoBytesWritten += picture.size();
    if (bytesInFile <= maxSize)
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
    // Past the size limit, or for another kind of stream, a key packet starts the next file:
    // nothing falls between the two.
    if (bytesInFile > maxSize && (packet.packet->flags & AV_PKT_FLAG_KEY) && !renewFile())
        return false;
    mkvWriter::result written = mkv.write(packet, runningMs);
    if (written == mkvWriter::result::newFileNeeded) {
        if (!renewFile())
            return false;
        written = mkv.write(packet, runningMs);
    }
    if (written == mkvWriter::result::failed) {
        fail(mkv.errorText());
        return false;
    }
    if (written == mkvWriter::result::written) {
        if (attached)
            attached->videoBytesWritten += mkv.size() - bytesInFile;
        bytesInFile = mkv.size();
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
    if (file.isOpen() && !QFileInfo::exists(file.fileName()))
        fail(QCoreApplication::translate("manualRecorder", "Datei oder Ordner nicht mehr vorhanden"));
}

void manualRecorder::fail(const QString &what)
{
    qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Videoaufnahme beendet, Schreibfehler: %1: %2")
                                         .arg(file.fileName(), what);
    error = file.fileName() + QStringLiteral(": ") + what;
    // A picture written in part would break the file for a reader: it is cut off again (a
    // Matroska file holds its own structure).
    recordFiles::closeRecording(file, packets && bytesInFile > 0 ? file.size() : bytesInFile);
    end();
}

void manualRecorder::takenOver()
{
    qCDebug(dxcamTrace).noquote() << QStringLiteral("##### Videoaufnahme beendet, automatische Aufzeichnung: %1")
                                         .arg(file.fileName());
    endedByAutomatic = true;
    closeFile();
    end();
}

// The camera stays attached, so that the owner can tell the user and stop.
void manualRecorder::end()
{
    pauseRecording();
    if (attached)
        attached->videoSink = nullptr;
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
