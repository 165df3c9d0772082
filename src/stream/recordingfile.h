#pragma once

#include "mkvwriter.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

// One recording file as both recorders (the automatic one and the one by hand) keep it: a new
// file in the recording's folder, never one that exists, named by the time it is made and the
// camera's name; a Motion-JPEG camera's pictures as cut, one after the other (".MJPEG"), an RTSP
// camera's packets as received, in Matroska (".mkv"). Past the size limit the next file follows
// without a gap: a picture file when its recorder says so, a packet file at the next key packet.
// Closing cuts off a picture written in part and removes a file that holds nothing. GUI thread.
class recordingFile {
public:
    static constexpr qint64 defaultMaxSize = 1000000000;
    // A shorter folder text is no folder chosen for recordings (a drive, a slip of the keyboard).
    // The two recorders have always drawn the line one character apart: "C:/a" switches the
    // automatic recording off and is taken by hand.
    static constexpr int automaticFolderMin = 5;
    static constexpr int manualFolderMin = 4;

    enum class packetResult { written, skipped, failed, noFile };

    // what: the recording as the log names it ("Aufzeichnung", "Videoaufnahme").
    explicit recordingFile(const QString &what) : what(what) {}

    void setMaxSize(qint64 bytes) { maxSize = bytes; }
    bool pastLimit() const { return good > maxSize; }

    // Creates folder/<yyyyMMdd_hhmmss_><name><extension> (with "_1", "_2", ... when taken) and
    // opens it; false when no file could be made.
    bool open(const QString &folder, const QString &name, bool packets);
    bool isOpen() const { return file.isOpen(); }
    bool holdsPackets() const { return packets; }
    QString path() const { return file.fileName(); }
    QString errorString() const { return file.errorString(); }
    // The bytes of whole pictures in the file.
    qint64 bytes() const { return good; }

    // False when not all of it was written (errorString() says why).
    bool writePicture(const QByteArray &picture);
    // timeMs: the packet's time in the file. Past the size limit a key packet, and a packet of
    // another kind of stream, first asks renew() for the next file; noFile: it could not make one.
    packetResult writePacket(const cameraPacket &packet, qint64 timeMs, const std::function<bool()> &renew);
    QString packetError() const { return mkv.errorText(); }
    // A pause follows: the file goes on at the next key picture.
    void waitForKey() { mkv.waitForKey(); }

    // Ends the file (a Matroska file with what follows its last packet).
    void close();
    // After a failed write: only what was written in full stays.
    void cutOff();

private:
    QString what;
    QFile file;
    mkvWriter mkv;
    bool packets = false;
    qint64 good = 0;
    qint64 maxSize = defaultMaxSize;
};
