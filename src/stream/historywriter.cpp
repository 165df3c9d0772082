#include "historywriter.h"

#include "historypictures.h"
#include "historystore.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSet>

#include <utility>

namespace {
constexpr qint64 mebibyte = 1024 * 1024;
}

historyWriter::historyWriter(QObject *parent) : QThread(parent)
{
}

historyWriter::~historyWriter()
{
    finish();
}

void historyWriter::begin(const QString &databasePath, const QString &pictureFolder, int keepDays, int keepMegabytes)
{
    if (isRunning())
        return;
    dbPath = databasePath;
    pictures = pictureFolder;
    days = keepDays;
    megabytes = keepMegabytes;
    stopping = false;
    start(QThread::LowPriority);
}

void historyWriter::finish()
{
    {
        QMutexLocker lock(&mutex);
        stopping = true;
        wake.wakeAll();
    }
    wait();
}

void historyWriter::saveEvent(const historyEvent &event)
{
    job work;
    work.event = event;
    post(std::move(work));
}

void historyWriter::savePicture(qint64 eventId, qint64 startMs, const QString &camName,
                                std::function<QByteArray()> jpeg)
{
    job work;
    work.what = job::type::picture;
    work.id = eventId;
    work.ms = startMs;
    work.camName = camName;
    work.jpeg = std::move(jpeg);
    post(std::move(work));
}

void historyWriter::setLimits(int keepDays, int keepMegabytes)
{
    job work;
    work.what = job::type::limits;
    work.days = keepDays;
    work.megabytes = keepMegabytes;
    post(std::move(work));
}

void historyWriter::markOpened(qint64 ms)
{
    job work;
    work.what = job::type::opened;
    work.ms = ms;
    post(std::move(work));
}

void historyWriter::post(job &&work)
{
    QMutexLocker lock(&mutex);
    // Not running, or stuck on a full disk for so long: what comes now is not kept.
    if (!isRunning() || stopping || queue.size() >= maxQueued)
        return;
    queue.append(std::move(work));
    ++posted;
    wake.wakeOne();
}

bool historyWriter::waitIdle(int ms)
{
    QMutexLocker lock(&mutex);
    const qint64 target = posted;
    const QDeadlineTimer deadline(ms);
    while (settled < target) {
        if (!idle.wait(&mutex, deadline))
            return settled >= target;
    }
    return true;
}

void historyWriter::settle(qint64 count)
{
    QMutexLocker lock(&mutex);
    settled += count;
    idle.wakeAll();
}

QList<historyWriter::job> historyWriter::takeJobs(qint64 waitMs)
{
    QMutexLocker lock(&mutex);
    if (queue.isEmpty() && !stopping)
        wake.wait(&mutex, QDeadlineTimer(qMax<qint64>(1, waitMs)));
    return std::exchange(queue, {});
}

void historyWriter::run()
{
    historyStore store;
    QString message;
    QDir().mkpath(pictures);
    QFile::setPermissions(pictures, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const historyStore::openResult result = store.open(dbPath, &message);
    if (result != historyStore::openResult::opened)
        emit problem(message);
    if (result == historyStore::openResult::opened) {
        removeOrphans(store);
        trim(store);
    }
    if (result != historyStore::openResult::failed)
        emit opened(store.missedSince(store.meta(QStringLiteral("lastOpened")).toLongLong()));

    QList<job> pending;
    for (;;) {
        pending += takeJobs(pending.isEmpty() ? trimPeriodMs : retryMs);
        bool stop = false;
        {
            QMutexLocker lock(&mutex);
            stop = stopping && queue.isEmpty();
        }
        if (!pending.isEmpty()) {
            const bool written = store.isOpen() && apply(store, pending);
            // Without a database, or at the end after one more try, it is given up.
            if (written || !store.isOpen() || stop) {
                settle(pending.size());
                pending.clear();
                if (written)
                    emit committed();
            }
        }
        if (store.isOpen() && QDateTime::currentMSecsSinceEpoch() - lastTrimMs >= trimPeriodMs)
            trim(store);
        if (stop)
            return;
    }
}

bool historyWriter::apply(historyStore &store, const QList<job> &batch)
{
    QHash<qint64, qint64> rows = rowOf;
    QStringList written;
    QList<qint64> done;
    bool trimDue = false;
    bool ok = store.transaction();
    for (const job &work : batch) {
        if (!ok)
            break;
        switch (work.what) {
        case job::type::event: {
            qint64 row = rows.value(work.event.id);
            if (row == 0) {
                row = store.insert(work.event);
                ok = row != 0;
                rows.insert(work.event.id, row);
            } else {
                ok = store.update(row, work.event);
            }
            if (work.event.done)
                done << work.event.id;
            break;
        }
        case job::type::picture:
            ok = applyPicture(store, work, rows, written);
            trimDue = true;
            break;
        case job::type::limits:
            days = work.days;
            megabytes = work.megabytes;
            trimDue = true;
            break;
        case job::type::opened:
            ok = store.setMeta(QStringLiteral("lastOpened"), QString::number(work.ms));
            break;
        }
    }
    if (ok && store.commit()) {
        rowOf = rows;
        for (const qint64 id : std::as_const(done))
            rowOf.remove(id);
        databaseSaid = false;
        if (trimDue)
            trim(store);
        return true;
    }
    const QString reason = store.lastError();
    store.rollback();
    for (const QString &name : std::as_const(written))
        QFile::remove(QDir(pictures).filePath(name));
    sayOnce(databaseSaid, tr("Der Verlauf kann nicht geschrieben werden (%1): die Rufe werden gehalten und "
                             "geschrieben, sobald es wieder geht.").arg(reason));
    return false;
}

bool historyWriter::applyPicture(historyStore &store, const job &work, QHash<qint64, qint64> &rows,
                                 QStringList &written)
{
    const qint64 row = rows.value(work.id);
    if (row == 0)
        return true;
    const historyPictures::written files =
        historyPictures::write(pictures, work.ms, work.camName, work.jpeg ? work.jpeg() : QByteArray());
    if (files.picture.isEmpty()) {
        sayOnce(pictureSaid, tr("Die Bilder des Verlaufs können nicht gespeichert werden (%1); die Rufe werden "
                                "weiter ohne Bild aufgezeichnet.").arg(files.error));
        return store.setPicture(row, QString(), QString(), 0, tr("Bild nicht gespeichert: %1").arg(files.error));
    }
    pictureSaid = false;
    written << files.picture << files.thumbnail;
    return store.setPicture(row, files.picture, files.thumbnail, files.bytes, QString());
}

void historyWriter::trim(historyStore &store)
{
    lastTrimMs = QDateTime::currentMSecsSinceEpoch();
    if (!store.transaction())
        return;
    const QStringList gone = store.trim(lastTrimMs, days, qint64(qMax(1, megabytes)) * mebibyte);
    if (!store.commit()) {
        store.rollback();
        return;
    }
    for (const QString &name : gone)
        QFile::remove(QDir(pictures).filePath(name));
}

// A picture written just before the program was killed, whose row never got its name.
void historyWriter::removeOrphans(const historyStore &store)
{
    const QStringList named = store.pictureFiles();
    const QSet<QString> kept(named.cbegin(), named.cend());
    const QDir folder(pictures);
    for (const QString &name : folder.entryList({QStringLiteral("*") + historyPictures::pictureExtension}, QDir::Files)) {
        if (!kept.contains(name))
            QFile::remove(folder.filePath(name));
    }
}

void historyWriter::sayOnce(bool &said, const QString &text)
{
    if (said)
        return;
    said = true;
    emit problem(text);
}
