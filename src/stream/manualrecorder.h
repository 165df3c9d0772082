#pragma once

#include "picturesink.h"
#include "recordingfile.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

#include <functional>

class camData;

// Recording by hand: every picture of one camera into one ".MJPEG" file in the picture folder,
// with start, pause and stop (recordingFile). Past the size limit the recording goes on in a new
// file. A write error closes the file (removed when it holds nothing) and ends the recording; the
// owner learns of it through takeError(). A camera that starts recording automatically ends the
// recording by hand: the automatic file takes its pictures (takeTakenOver()). GUI thread.
class manualRecorder : public pictureSink {
public:
    enum class folderResult { ready, unusable, probeFailed };

    ~manualRecorder();

    // Takes the folder when no camera is attached and a file can be created in it.
    folderResult prepareFolder(const QString &folder);
    bool probeWrite() const;
    // Creates the camera's file; false when a camera is attached already or the file cannot be
    // created.
    bool attach(camData *camera, bool startAtOnce);
    void startRecording();
    void pauseRecording();
    void stopRecording();
    // From the camera's frame sink. False when the picture could not be written.
    bool append(const QByteArray &picture) override;
    // From an RTSP camera: its packets as received, into a Matroska file (".mkv") instead.
    // Its time in the file is the recording's running time when it arrived: pauses are left out,
    // as the dialog counts them.
    bool appendPacket(const cameraPacket &packet) override;
    // Ends the recording as after a write error when its file is gone (folder removed or
    // unmounted): what would be written now would be lost.
    void verifyFile();

    // Automatic recording took this camera's pictures over: the recording ends.
    void takenOver() override;

    // The message of a write error since the last call, empty when none.
    QString takeError();
    // Whether the recording ended because automatic recording took over, since the last call.
    bool takeTakenOver();
    void setMaxSize(qint64 bytes) { file.setMaxSize(bytes); }
    // The steady clock packets are stamped on (cameraPacket::steadyMs); tests set their own.
    void setClock(std::function<qint64()> source) { clock = std::move(source); }

    camData *camera() const { return attached; }
    bool isRecording() const { return recording; }
    QString folder() const { return folderText; }
    QString currentPath() const { return file.path(); }
    // Seconds recorded since the camera was attached, pauses left out.
    qint64 runningSeconds() const;

private:
    bool openFile();
    void closeFile();
    bool renewFile();
    void fail(const QString &what);
    void end();
    qint64 now() const { return clock ? clock() : cameraPacket::steadyMs(); }

    QString folderText;
    QPointer<camData> attached;
    recordingFile file{QStringLiteral("Videoaufnahme")};
    bool recording = false;
    std::function<qint64()> clock;
    // The running time: the stretches before the last start, and when that start was.
    qint64 recordedMs = 0;
    qint64 runningSinceMs = 0;
    QString error;
    bool endedByAutomatic = false;
    bool packets = false;  // the attached camera is an RTSP camera
};
