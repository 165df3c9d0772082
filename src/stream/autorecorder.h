#pragma once

#include "cameramodule.h"
#include "mkvwriter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <functional>

// Automatic recording of one camera into ".MJPEG" files in the module's folder `dirCamBild`:
// continuously (`CAMautoSaveEn`) or while the module reports motion (`CAMsaveBeweg`), thinned to
// `n_Bild_Freq` pictures per second, minute or hour. A file is the plain concatenation of the
// pictures as cut from the stream; past the size limit a new file follows at once.
class autoRecorder {
public:
    static constexpr qint64 defaultMaxSize = 1000000000;
    static constexpr int maxFrequency = 1000;
    static constexpr int maxStopSeconds = 5000;
    static constexpr int tickMs = 40;
    // Thinning by time: every millisecond adds one to a credit and every picture written costs
    // the save interval. Writing starts with one second of credit (one interval, when that is
    // longer) plus the time since it began, and the credit grows to at most creditCapMs (one
    // interval, when that is longer). So a camera at the set rate whose pictures are cut
    // unevenly loses none, not even those read in a burst after the tick was held up for
    // seconds; a faster camera is thinned to the set rate; a rate of one a second or slower
    // starts strictly with its interval.
    static constexpr qint64 startCreditMs = 1000;
    static constexpr qint64 creditCapMs = 5000;

    explicit autoRecorder(cameraModule &module);
    ~autoRecorder();

    // Milliseconds of a monotonic clock; tests set their own.
    void setClock(std::function<qint64()> clock);
    void setMaxSize(qint64 bytes) { maxSize = bytes; }

    // Save interval in ms from `selFreqTip` and `n_Bild_Freq`, which are put right where they
    // are out of range (as is `stopTimeBeweg`).
    void computeSaveInterval();
    // About every 3 s: opens, keeps, renews or closes the file. enabled: `BildAllSaveEn`.
    void controlRecording(bool enabled);
    // Every tick: opens and closes the motion window. motionEvent is the camera's flag.
    void motionTick(bool &motionEvent);
    // Every picture cut: writes it when recording and its time has come.
    void takePicture(const QByteArray &picture);
    // An RTSP camera records the packets it receives into Matroska files (".mkv"), all of them:
    // thinning would mean decoding and encoding again. Switching closes an open file.
    void setPacketMode(bool on);
    bool packetMode() const { return packets; }
    // Every packet received while recording (see mkvWriter::write for the parameters).
    void takePacket(const AVPacket *packet, const AVCodecParameters *par, int timeBaseNum, int timeBaseDen,
                    quint64 connection);
    void close();

    bool recordingActive() const { return active; }
    bool writeEnabled() const { return writing; }
    bool fileOpen() const { return file.isOpen(); }
    int saveInterval() const { return interval; }
    qint64 bytesWritten() const { return bytes; }
    qint64 picturesWritten() const { return pictures; }
    QString recordingPath() const { return path; }

private:
    bool wanted(bool enabled) const;
    qint64 now() const;
    void startWriting();
    bool due();
    void openRecordingFile();
    void closeFile();
    void writeFailed();

    cameraModule &module;
    std::function<qint64()> clock;
    QElapsedTimer monotonic;
    QFile file;
    QString path;
    int interval = 0;
    qint64 credit = -1;  // -1: writing (re)started at writingSinceMs
    qint64 writingSinceMs = 0;
    qint64 lastPictureMs = 0;
    qint64 motionStopMs = 0;
    bool writing = false;
    bool active = false;
    bool openFailed = false;
    qint64 bytes = 0;
    qint64 pictures = 0;
    qint64 maxSize = defaultMaxSize;
    bool packets = false;
    mkvWriter mkv;
};
