#pragma once

#include "cameramodule.h"

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
    // A picture may come this late against its slot and still keep the rate; after a longer
    // pause (start, motion, a silent camera) the rate starts afresh instead of catching up.
    static constexpr qint64 maxLagMs = 250;

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
    // Every picture cut: true when the automatic recording owns it (written or thinned out);
    // false leaves it to a manual recording.
    bool takePicture(const QByteArray &picture);
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
    void openRecordingFile();
    void closeFile();
    void writeFailed();

    cameraModule &module;
    std::function<qint64()> clock;
    QElapsedTimer monotonic;
    QFile file;
    QString path;
    int interval = 0;
    qint64 nextDueMs = 0;
    bool dueSet = false;
    qint64 motionStopMs = 0;
    bool writing = false;
    bool active = false;
    bool openFailed = false;
    qint64 bytes = 0;
    qint64 pictures = 0;
    qint64 maxSize = defaultMaxSize;
};
