#pragma once

#include "cameramodule.h"
#include "sipmodule.h"
#include "shellsettings.h"

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPen>
#include <QPixmap>
#include <QRectF>
#include <QStringList>
#include <QTime>

class QGraphicsPixmapItem;
class QGraphicsScene;
class QAuthenticator;
class httpStream;

// One camera: its module record (camera/IO half and intercom half), its stream connection,
// receive buffer and frame queue, the tile it draws, and the request flags that the main
// window's tick serves. Everything runs on the GUI thread, driven by that tick.
class camData : public QObject {
    Q_OBJECT

public:
    enum class connectionState { unconnected, connecting, connected, closing };

    // placeholder: picture shown while the camera delivers nothing.
    // httpParent: parent of the stream objects (the main window).
    camData(const QPixmap &placeholder, QObject *httpParent, QObject *parent = nullptr);
    ~camData() override;

    // Pointers into the main window: settings, the trace switch, the stall time-out (ms) and
    // the overlay font pixel size. wireSettings sets the stall time-out value to 5000.
    void wireSettings(const shellSettings *settings, const bool *traceSwitch, int *stallTimeoutMs,
                      const int *overlayPixelSize);
    void setDefaults();
    void setAddresses(const QString &cameraText, const QString &sipText, const QHostAddress *ownAddress);
    QString setAddressText(const QString &text);
    QStringList settingsList() const;

    // Grid
    void attachToScene(QGraphicsScene *scene);
    void setTileRect(const QRectF &rect);
    QRectF tileRect() const;
    void setSecondRect(const QRectF &rect);
    void showPlaceholder();
    void updateSceneItem();
    QGraphicsPixmapItem *item() const { return tileItem; }
    QPixmap displayPixmap() const { return display; }

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
    void finishRender();
    static void finishRenders(const QList<camData *> &cameras);

    bool hasFrame() const { return !frameQueue.isEmpty(); }
    QByteArray newestFrame() const { return frameQueue.isEmpty() ? QByteArray() : frameQueue.last(); }
    int queuedFrames() const { return frameQueue.size(); }
    void resetScanner();

    void updateRates(const QTime &now);
    QStringList takeTraceLines();

    // Module record
    cameraModule camModule;
    sipModule sipModuleRec;
    QString sectionName;

    // Stream state
    bool userStopped = false;
    bool running = false;
    bool abortedOnce = false;
    bool receiving = false;
    bool reservedFlag = false;
    bool streamError = true;
    bool scannedOnce = false;
    bool newData = false;
    int noDataMs = 0;
    int runningTicks = 0;
    int checkCounter = 0;
    QString streamUrl;

    // Display event flags and popup state (show request, input-state copies)
    bool showRequest = false;
    bool input1Copy = false;
    bool input2Copy = false;
    bool popupRequest = false;
    bool soundRequest = false;
    bool lastShowRequest = false;
    bool motionEvent = false;

    // Request flags served by the main window's tick
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

    // Counters (statistics)
    int framesChanged = 0;
    int framesSinceGet = 0;
    int framesPerRate = 0;
    int framesExtracted = 0;
    int framesDisplayed = 0;
    double extractedRate = 0;
    double displayedRate = 0;
    int rateSamples = 0;
    int rateSum = 0;

    static int nnRead;  // reads of all cameras

private slots:
    void readResponseHeader(int statusCode);
    void slotAuthenticationRequired(QAuthenticator *authenticator);

private:
    // Implementation members are the stream worker's own.
    friend class camDataPrivateAccess;
    const shellSettings *settings = nullptr;
    const bool *traceSwitch = nullptr;
    int *stallTimeoutMs = nullptr;
    const int *overlayPixelSize = nullptr;
    const QHostAddress *ownAddress = nullptr;
    QObject *httpParent = nullptr;
    httpStream *http = nullptr;
    QPixmap placeholder;
    QPixmap display;
    QGraphicsScene *scene = nullptr;
    QGraphicsPixmapItem *tileItem = nullptr;
    QList<QByteArray> frameQueue;
    mutable QMutex tileMutex;
    QRectF tile;
    QRectF secondRect;
    bool selected = false;
};
