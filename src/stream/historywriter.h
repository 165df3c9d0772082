#pragma once

#include "historyevent.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <functional>

class historyStore;

// Writes the call history on a thread of its own, so that a door call costs its tick no more
// than handing the event over: the database (historyStore), the caller's pictures and their
// thumbnails (historyPictures), and the limits of HistoryDays and HistoryMB. What is handed over
// meanwhile is written together, in one transaction; a transaction that fails (a full disk) is
// kept and tried again, and said once.
//
// The public functions are called on the GUI thread; run() and the store live on the writer's
// thread. Signals reach the GUI thread queued.
class historyWriter : public QThread {
    Q_OBJECT

public:
    static constexpr qint64 trimPeriodMs = 3600000;
    static constexpr int retryMs = 5000;
    static constexpr int maxQueued = 20000;

    explicit historyWriter(QObject *parent = nullptr);
    // Writes what is queued, then stops.
    ~historyWriter() override;

    // Opens (or renews) the database and starts writing. pictureFolder is made when missing.
    void begin(const QString &databasePath, const QString &pictureFolder, int days, int megabytes);
    void finish();
    bool active() const { return isRunning(); }
    QString databasePath() const { return dbPath; }
    QString pictureFolder() const { return pictures; }

    // The event as it is now; the first one of an id makes the row, later ones update it.
    void saveEvent(const historyEvent &event);
    // jpeg is called on the writer's thread: an RTSP camera's picture is encoded there.
    void savePicture(qint64 eventId, qint64 startMs, const QString &camName, std::function<QByteArray()> jpeg);
    void setLimits(int days, int megabytes);
    // The user opened the history: missed events before now count no more.
    void markOpened(qint64 ms);
    // Whether everything handed over before the call has been written (or given up) within ms.
    bool waitIdle(int ms);

signals:
    // The database is open; so many missed events came since the history was last opened.
    void opened(int missedSinceOpened);
    // Something the user must learn (log and tray notice); each kind is said once.
    void problem(const QString &text);
    // Rows were written.
    void committed();

protected:
    void run() override;

private:
    struct job {
        enum class type { event, picture, limits, opened } what = type::event;
        historyEvent event;
        qint64 id = 0;
        qint64 ms = 0;
        QString camName;
        std::function<QByteArray()> jpeg;
        int days = 0;
        int megabytes = 0;
    };

    void post(job &&work);
    QList<job> takeJobs(qint64 waitMs);
    bool apply(historyStore &store, const QList<job> &batch);
    bool applyPicture(historyStore &store, const job &work, QHash<qint64, qint64> &rows, QStringList &written);
    void trim(historyStore &store);
    void removeOrphans(const historyStore &store);
    void sayOnce(bool &said, const QString &text);
    void settle(qint64 count);

    QString dbPath;
    QString pictures;

    // Shared between the threads
    mutable QMutex mutex;
    QWaitCondition wake;
    QWaitCondition idle;
    QList<job> queue;
    bool stopping = false;
    qint64 posted = 0;
    qint64 settled = 0;
    int days = 90;
    int megabytes = 500;

    // Writer thread only
    QHash<qint64, qint64> rowOf;  // tracker id -> row
    bool databaseSaid = false;
    bool pictureSaid = false;
    bool picturesFailing = false;
    qint64 lastTrimMs = 0;
};
