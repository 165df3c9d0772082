#pragma once

#include "autorecorder.h"
#include "cameramodule.h"
#include "camerasource.h"
#include "connectionreason.h"
#include "sipmodule.h"
#include "shellsettings.h"
#include "standbystream.h"
#include "readtrace.h"
#include "tilerenderer.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QGraphicsScene>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QRectF>
#include <QSslCertificate>
#include <QSslError>
#include <QStringList>
#include <QTime>
#include <QUrl>

#include <memory>

class QGraphicsPixmapItem;
class QHostAddress;
class httpStream;
class pictureSink;
class rtspReader;

// One camera: its module record (camera/IO half and intercom half), the source its pictures come
// from (HTTP or RTSP), the tile it draws, and the request flags that the main window's tick
// serves. It lives on the GUI thread, driven by that tick.
class camData : public QObject {
    Q_OBJECT

public:
    using connectionState = cameraSource::connectionState;

    // placeholder: picture shown while the camera delivers nothing.
    // httpParent: parent of the stream objects (the main window).
    camData(const QPixmap &placeholder, QObject *httpParent, QObject *parent = nullptr);
    ~camData() override;

    // Pointers into the main window: settings, the trace switch, the stall time-out (ms) and
    // the overlay font pixel size, all read-only here.
    void wireSettings(const shellSettings *settings, const bool *traceSwitch, const int *stallTimeoutMs,
                      const int *overlayPixelSize);
    void setDefaults();
    void setAddresses(const QString &cameraText, const QString &sipText, const QHostAddress *ownAddress);
    // The address rule applied again to each record's effective address (URL before IP), so
    // that exactly one of them is set and stream, status matching and commands use the same.
    void applyAddressRules();
    QString setAddressText(const QString &text);
    QStringList settingsList() const;
    // The stream address (it carries the camera type) and the login a connection is made with.
    // A connection made with other ones than the record now holds is out of date; a new name
    // alone leaves it be.
    QString connectionSettings() const;
    bool connectionOutdated() const { return connectionSettings() != connectedWith; }

    // Grid
    void attachToScene(QGraphicsScene *scene);
    void setTileRect(const QRectF &rect) { renderer.setTileRect(rect); }
    QRectF tileRect() const { return renderer.tileRect(); }
    void showPlaceholder() { renderer.showPlaceholder(); }
    // The placeholder is the built-in picture, which gets its label in the language in use.
    void labelPlaceholder(bool on) { renderer.setPlaceholderLabelled(on); }
    void updateSceneItem() { renderer.updateSceneItem(toolTipText()); }
    QGraphicsPixmapItem *item() const { return renderer.item(); }
    QPixmap displayPixmap() const { return renderer.pixmap(); }

    // Stream
    void createHttp();
    void requestStream();
    void abortStream();
    void closeSockets();
    connectionState state() const;
    bool isIdle() const;  // unconnected or connecting
    bool htppRD();
    void scanPending();
    void extractFrames();

    // Once per tick: stall accounting and render. The pixel work of the render may be
    // deferred: finishRender (or finishRenders for several cameras, decoding in parallel)
    // completes the display pixmap before it is put on the tile item.
    bool tick(bool selected);
    // The stall clock of tick() without rendering: for a camera that is recorded but not shown.
    bool advanceStallClock();
    void finishRender() { renderer.finish(); }
    static void finishRenders(const QList<camData *> &cameras);

    // The newest picture as JPEG, of the current connection (a new connection starts with none).
    // A Motion-JPEG camera's is cut as it came, with the lines that followed it in the stream
    // (saved and printed so); an RTSP camera's newest decoded picture is encoded when asked for
    // (save, print, popup), not for every picture received.
    bool hasFrame() const;
    QByteArray newestFrame() const;
    int queuedFrames() const { return int(frames().size()); }
    const QList<QByteArray> &frames() const;
    // What is shown: a Motion-JPEG camera's newest picture complete to its end marker, also
    // before the next one began. pictureSerial() changes whenever another one is the newest.
    bool hasPicture() const;
    QByteArray newestPicture() const;
    qint64 pictureSerial() const;
    void resetScanner();

    // The stall rules the main window applies after tick() in grid mode: aborts a connection
    // that has gone silent (once), and returns true when the camera is to be started again.
    bool stallCheck(bool tickResult, bool windowVisible);

    // The stream that is recorded comes over RTSP (its pictures come as packets).
    bool isRtsp() const;
    bool hasSubStream() const;
    // Where the camera is shown large (the single view) or in the popup window: there, and for
    // pictures kept, printed or recorded, the main stream; on the grid's tile the small one.
    void setPlaces(bool large, bool inPopup);
    bool tileShowsSubStream() const { return tileIsSub; }
    // The time the last switch of the tile to the other stream took (to its first picture), -1: none.
    qint64 lastSwitchMs() const { return switchMs; }
    // Both streams, for the tool tip and the statistics; empty without a small stream.
    QString streamsText(const QString &separator) const;
    // How the stream comes: "HTTP", "HTTPS", "RTSP/TCP", "RTSP/UDP" or "RTSPS/TCP".
    QString transportText() const;
    // The connection of the source in use, for a look at it: null while the source is of the
    // other kind; -1 while no HTTP request went out.
    httpStream *stream() const;
    rtspReader *rtspStream() const;
    int requestIdValue() const;
    QRect lastPictureRect() const { return renderer.lastDrawnRect(); }
    // Caption and colour chosen by the last tick (drawn by the following finishRender).
    QString caption() const { return renderer.plannedCaption(); }

    void updateRates(const QTime &now);
    // The statistics dialog opens: counters and rate samples start again from zero now.
    void resetStatistics(const QTime &now);
    QStringList takeTraceLines() { return trace.takeLines(); }

    // Why the camera shows no picture; empty while it does. Each change is logged once.
    QString notShownReason() const { return reason.text(); }
    connectionReason::kind notShownKind() const { return reason.current(); }

    // Stored credentials that are refused again are tried less and less often (doubling up to
    // five minutes), so that a camera that locks an account after a few failures does not; the
    // normal pace comes back as soon as the credentials change.
    static constexpr int normalRetryMs = 10000;
    static constexpr int longestRetryMs = 300000;
    int retryDelayMs() const;
    bool loginBackingOff() const;

    // A certificate that does not verify and is not the trusted one: the user is asked whether
    // to trust it, unless already declined for this address.
    bool certificateQuestion() const;
    const QSslCertificate &untrustedCertificate() const { return refusedCertificate; }
    const QList<QSslError> &untrustedCertificateErrors() const { return refusedCertificateErrors; }
    // "Vertrauen": the certificate's fingerprint is stored with the module.
    void trustCertificate();
    // "Abbrechen": not asked again (and not connected) until the address changes or askAgain().
    void declineCertificate();
    void askCertificateAgain() { camModule.certificateDeclinedFor.clear(); }

    // While the window is hidden, or another camera has the single view, pictures are still
    // read, cut and recorded, but neither decoded (an RTSP camera's key pictures only, told at
    // once: such a camera is not read meanwhile unless it records) nor painted.
    void setShown(bool isShown);
    // Reads and cuts without rendering (a recording camera outside the single view).
    void collectPictures();

    // Recording (the automatic recorder is set up from the module record)
    void controlRecording();
    void motionTick();
    void closeRecording();
    autoRecorder &recorder() { return automatic; }
    bool recordsAutomatically() const;

    // Module record
    cameraModule camModule;
    sipModule sipModuleRec;
    QString sectionName;

    // The stream's state, changed by the operations above and these:
    // The start operation: the connection is made anew with the whole stall time.
    void start();
    // A camera that runs and has no error is left alone by a start.
    bool runsWithoutError() const { return running && !streamError; }
    // Start-all marks each camera it starts; the end of start-up lets the next start them again.
    void markRunning() { running = true; }
    void finishStartup();
    // Set by the user's start/stop command (commandDispatch): a stopped camera is not started
    // again by the stall rules.
    void setUserStopped(bool stopped) { userStopped = stopped; }
    bool isUserStopped() const { return userStopped; }
    bool isRunning() const { return running; }
    bool isReceiving() const { return receiving; }
    bool hasStreamError() const { return streamError; }
    bool wasAbortedOnce() const { return abortedOnce; }
    int silentMs() const { return noDataMs; }
    const QString &connectedUrl() const { return streamUrl; }
    // Ticks since the camera was counted as running (countRunningTicks: once each tick).
    void countRunningTick();
    // After start-up: a camera that waits too long for its first answer is scanned again.
    void superviseStartup();

    // Display event flags (show request, input-state copies) and popup state: set by the tick's
    // render (from the module's status) and by popupControl, which serves them.
    bool showRequest() const { return flags.showRequest; }
    void setShowRequest(bool on) { flags.showRequest = on; holdMainStreamIf(on); }
    bool input1Copy() const { return flags.input1Copy; }
    void setInput1Copy(bool on) { flags.input1Copy = on; }
    bool input2Copy() const { return flags.input2Copy; }
    void setInput2Copy(bool on) { flags.input2Copy = on; }
    bool popupRequest() const { return flags.popupRequest; }
    void setPopupRequest(bool on) { flags.popupRequest = on; holdMainStreamIf(on); }
    bool soundRequest() const { return flags.soundRequest; }
    void setSoundRequest(bool on) { flags.soundRequest = on; }
    bool lastShowRequest() const { return flags.lastShowRequest; }
    void setLastShowRequest(bool on) { flags.lastShowRequest = on; }
    bool motionEvent() const { return flags.motionEvent; }
    void setMotionEvent(bool on) { flags.motionEvent = on; }

    // A picture to save: asked by the save button (main window), a save command (commandDispatch)
    // or a door call's alarm (popupControl; saveAlways: saved even where saving is off).
    // pictureSaver serves and clears them.
    bool savePictureRequest() const { return flags.savePictureRequest; }
    void setSavePictureRequest(bool on) { flags.savePictureRequest = on; holdMainStreamIf(on); }
    bool saveAlways() const { return flags.saveAlways; }
    void setSaveAlways(bool on) { flags.saveAlways = on; }
    // A connection asked for by popupControl or the settings dialog; cameraStreams serves it.
    bool connectRequest() const { return flags.connectRequest; }
    void setConnectRequest(bool on) { flags.connectRequest = on; }
    // The modules' commands: set and served on the tick by commandDispatch (hangUpWait counts
    // the ticks before the intercom hangs up).
    bool saveCommand() const { return flags.saveCommand; }
    void setSaveCommand(bool on) { flags.saveCommand = on; holdMainStreamIf(on); }
    bool printCommand() const { return flags.printCommand; }
    void setPrintCommand(bool on) { flags.printCommand = on; holdMainStreamIf(on); }
    bool videoCommand() const { return flags.videoCommand; }
    void setVideoCommand(bool on) { flags.videoCommand = on; }
    bool forceMsgToCamTuer() const { return flags.forceMsgToCamTuer; }
    void setForceMsgToCamTuer(bool on) { flags.forceMsgToCamTuer = on; }
    bool lightRequest() const { return flags.lightRequest; }
    void setLightRequest(bool on) { flags.lightRequest = on; }
    bool forceMsgVerbTrenen() const { return flags.forceMsgVerbTrenen; }
    void setForceMsgVerbTrenen(bool on) { flags.forceMsgVerbTrenen = on; }
    int hangUpWait() const { return flags.hangUpWait; }
    void setHangUpWait(int ticks) { flags.hangUpWait = ticks; }
    bool callRequest() const { return flags.callRequest; }
    void setCallRequest(bool on) { flags.callRequest = on; }

    // The video dialog's recorder (manualRecorder) attaches, records to its sink, pauses and
    // lets go; the tick's picture feed counts what it wrote.
    void attachVideo();
    void videoStarted(pictureSink *sink);
    void videoPaused() { manual.recording = false; }
    void videoEnded() { manual.sink = nullptr; }
    void detachVideo();
    void countVideoBytes(qint64 bytes) { manual.bytesWritten += bytes; }
    bool videoAttached() const { return manual.attached; }
    bool videoRecording() const { return manual.recording; }
    qint64 videoBytesWritten() const { return manual.bytesWritten; }

    // Printing: the main window takes the snapshot, pictureprinter says while it prints.
    void setPrintSnapshot(const QByteArray &jpeg) { printJpeg = jpeg; }
    const QByteArray &printSnapshot() const { return printJpeg; }
    void setPrinting(bool on) { printingNow = on; }
    bool printing() const { return printingNow; }

    // Counters (statistics). Those that count pictures or ticks are 64-bit: at 25 a second a
    // 32-bit one runs out after about 2.7 years.
    qint64 framesChanged = 0;
    qint64 framesSinceGet = 0;
    qint64 framesPerRate = 0;
    qint64 framesExtracted = 0;
    qint64 framesDisplayed = 0;
    qint64 framesDropped = 0;  // left out by an RTSP camera's decoder to catch up
    double extractedRate = 0;
    double displayedRate = 0;
    int rateSamples = 0;
    qint64 rateSum = 0;
    int authRefusals = 0;  // connections refused with 401 in a row that typing a login could mend

    static qint64 nnRead;  // reads of all cameras; 500 a second would overflow an int in 50 days

private:
    friend struct camDataProbe;  // the tests' way into the stream state

    std::unique_ptr<cameraSource> makeSource(bool packets);
    cameraSource::target connectionTarget() const;
    QString tileUrl() const;
    bool recordsFromSub() const { return hasSubStream() && camModule.CAM_RecSub; }
    const cameraSource *recordedSource() const;
    const cameraSource *mainSource() const;
    const cameraSource *picturesFrom(bool waitForMain) const;
    void holdMainStreamIf(bool on);
    bool holdsMainStream() const;
    bool streamNeeded(bool sub) const;
    void serveStreams();
    void startStandby();
    QSize standbyTarget(bool switching) const;
    void swapStreams();
    QString toolTipText() const;
    void noteFailure(const cameraSource::failure &why);
    void takePictures(const cameraSource::arrival &got);
    void renderTile();
    void setReason(connectionReason::kind what, const QString &detail = QString());
    void noteSilence();
    void noteRefusal(bool typingHelps);
    QString credentialsInUse() const;
    void noteDropped(const cameraSource::reading &got);
    void startTraceLine();
    void recordPicture(const QByteArray &picture);
    bool recordsByHand();
    void markAlive();

    // Stream state
    bool userStopped = false;
    bool running = false;
    bool abortedOnce = false;
    bool receiving = false;
    bool streamError = true;
    bool scannedOnce = false;
    bool newData = false;
    int noDataMs = 0;
    qint64 bytesSinceAlive = 0;  // read since the stall time last started over
    qint64 runningTicks = 0;
    qint64 checkCounter = 0;
    QString streamUrl;

    struct requestFlags {
        bool showRequest = false;
        bool input1Copy = false;
        bool input2Copy = false;
        bool popupRequest = false;
        bool soundRequest = false;
        bool lastShowRequest = false;
        bool motionEvent = false;
        bool savePictureRequest = false;
        bool saveAlways = false;
        bool connectRequest = false;
        bool saveCommand = false;
        bool printCommand = false;
        bool videoCommand = false;
        bool forceMsgToCamTuer = false;
        bool lightRequest = false;
        bool forceMsgVerbTrenen = false;
        int hangUpWait = 0;
        bool callRequest = false;
    } flags;

    struct manualRecording {
        bool attached = false;
        bool recording = false;
        pictureSink *sink = nullptr;
        qint64 bytesWritten = 0;
    } manual;
    QByteArray printJpeg;
    bool printingNow = false;

    const shellSettings *settings = nullptr;
    const int *stallTimeoutMs = nullptr;
    const int *overlayPixelSize = nullptr;
    const QHostAddress *ownAddress = nullptr;
    QObject *httpParent = nullptr;
    std::unique_ptr<cameraSource> source;  // the tile's stream; the stall rules watch it
    standbyStream standby;                 // the other one, while something needs it
    bool tileIsSub = false;
    bool largeView = false;
    bool inPopupWindow = false;
    QDeadlineTimer mainHold;  // a call or a picture to keep holds the main stream up until then
    qint64 switchMs = -1;
    qint64 streamPictures[2] = {0, 0};  // main, sub
    qint64 prevStreamPictures[2] = {0, 0};
    double streamRates[2] = {0, 0};
    qint64 standbyCounted = 0;
    readTrace standbyTrace;  // not written: the tile's stream has the camera's trace

    connectionReason reason;
    bool pictureSinceRequest = false;
    bool reasonThisRequest = false;  // the current request already said why it shows nothing
    int noPictureMs = 0;          // connected, bytes but no picture since the request
    int refusalStreak = 0;        // 401s in a row to the same credentials
    QString refusedCredentials;
    QString connectedWith;  // connectionSettings() when the stream objects were made
    QDeadlineTimer retryNotBefore;
    QSslCertificate refusedCertificate;
    QList<QSslError> refusedCertificateErrors;

    autoRecorder automatic{camModule};
    bool shown = true;

    tileRenderer renderer;
    bool selected = false;

    qint64 prevExtracted = 0;
    qint64 prevDisplayed = 0;
    int prevSampleMs = 0;

    readTrace trace;
};
