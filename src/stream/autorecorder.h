#pragma once

#include "cameramodule.h"
#include "recordbackoff.h"
#include "recordingfile.h"
#include "tickperiod.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>

// Automatic recording of one camera into ".MJPEG" files in the module's folder `dirCamBild`:
// continuously (`CAMautoSaveEn`) or while the module reports motion (`CAMsaveBeweg`), thinned to
// `n_Bild_Freq` pictures per second, minute or hour. A file is the plain concatenation of the
// pictures as cut from the stream (recordingFile); past the size limit the next control run starts
// the next file. After a failed write the next file waits until the folder has room again
// (recordBackoff). GUI thread.
class autoRecorder {
public:
    static constexpr qint64 defaultRoomNeeded = 16 * 1024 * 1024;  // some seconds of any camera
    static constexpr int maxFrequency = 1000;
    static constexpr int maxStopSeconds = 5000;
    static constexpr int controlPeriodSeconds = 3;  // controlRecording comes about this often
    // Thinning by time: every millisecond adds one to a credit and every picture written costs
    // the save interval, so that at most one picture per interval is written from the start on.
    // Writing starts with the credit of one interval plus the time since it began. Pictures cut
    // at one moment share the credit of the time that passed before it (at most creditCapMs, or
    // one interval when that is longer): those read in a burst after the tick was held up are
    // kept. What a moment with a written picture leaves over is kept only up to jitterMs, the
    // unevenness of reading by ticks, and not at all after a pause: a camera at the set rate
    // loses none, and a camera that paused does not write a burst when it goes on.
    static constexpr qint64 creditCapMs = 5000;
    static constexpr qint64 jitterMs = 2 * tickMs;

    explicit autoRecorder(cameraModule &module);
    ~autoRecorder();

    // Milliseconds of a monotonic clock; tests set their own.
    void setClock(std::function<qint64()> clock);
    void setMaxSize(qint64 bytes) { file.setMaxSize(bytes); }
    // After a write failure a new file is tried once the folder has this much room.
    void setRoomNeeded(qint64 bytes) { roomNeeded = bytes; }

    // Save interval in ms from `selFreqTip` and `n_Bild_Freq`, which are put right where they
    // are out of range (as is `stopTimeBeweg`).
    void computeSaveInterval();
    // About every controlPeriodSeconds: opens, keeps, renews or closes the file. enabled:
    // `BildAllSaveEn`.
    void controlRecording(bool enabled);
    // Every tick: opens and closes the motion window. motionEvent is the camera's flag.
    void motionTick(bool &motionEvent);
    // Every picture cut: writes it when recording and its time has come.
    void takePicture(const QByteArray &picture);
    // An RTSP camera records the packets it receives into Matroska files (".mkv"), all of them:
    // thinning would mean decoding and encoding again. Switching closes an open file.
    void setPacketMode(bool on);
    bool packetMode() const { return packets; }
    // Every packet received while recording. Its arrival is its time in the file: automatic
    // recording follows the clock, so that a gap (reconnection, motion pause) stays a gap. Past
    // the size limit the next key packet starts a new file.
    void takePacket(const cameraPacket &packet);
    void close();

    bool recordingActive() const { return active; }
    bool writeEnabled() const { return writing; }
    bool fileOpen() const { return file.isOpen(); }
    // Control runs the next file waits after failed writes; 0 while none failed.
    int retryWaitRuns() const { return backoff.waitRuns(); }
    int saveInterval() const { return interval; }
    qint64 bytesWritten() const { return file.bytes(); }
    qint64 picturesWritten() const { return pictures; }
    QString recordingPath() const { return path; }

private:
    bool wanted(bool enabled) const;
    qint64 now() const;
    void startWriting();
    bool due();
    void openRecordingFile();
    void closeFile();
    bool renewFile();
    bool folderHasRoom() const;
    void writeFailed(const QString &reason);

    cameraModule &module;
    std::function<qint64()> clock;
    QElapsedTimer monotonic;
    recordingFile file{QStringLiteral("Aufzeichnung")};
    QString path;
    int interval = 0;
    qint64 credit = -1;  // -1: writing (re)started at writingSinceMs
    qint64 writingSinceMs = 0;
    qint64 lastPictureMs = 0;
    bool wroteAtLastPicture = false;
    qint64 lastGapMs = 0;  // between the last two moments with pictures
    recordBackoff backoff;
    qint64 motionStopMs = 0;
    bool writing = false;
    bool active = false;
    bool openFailed = false;
    qint64 pictures = 0;
    qint64 roomNeeded = defaultRoomNeeded;
    bool packets = false;
};
