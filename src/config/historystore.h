#pragma once

#include "historyevent.h"

#include <QCoreApplication>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>

class QSqlQuery;

// The call history's SQLite database (Qt SQL, QSQLITE): one row per door call or IO alarm, with
// the file names of its picture. Write-ahead journal, so that a reader never waits for the writer
// and a program killed at any moment leaves every committed event behind. A connection belongs to
// the thread that opened it: the writer thread has one, the history window another.
class historyStore {
    Q_DECLARE_TR_FUNCTIONS(historyStore)

public:
    static constexpr int schemaVersion = 1;
    static constexpr qint64 dayMs = 86400000;

    enum class openResult { opened, renewed, failed };

    // Which events a list shows; times in ms since the epoch, 0 for no bound.
    struct filter {
        bool missedOnly = false;
        qint64 fromMs = 0;
        qint64 toMs = 0;  // exclusive
        bool operator==(const filter &other) const
        {
            return missedOnly == other.missedOnly && fromMs == other.fromMs && toMs == other.toMs;
        }
    };

    historyStore();
    ~historyStore();
    historyStore(const historyStore &) = delete;
    historyStore &operator=(const historyStore &) = delete;

    // Opens the database, creating it (owner-only) when missing. One that is no database of this
    // program, of a newer version, damaged or not writable is renamed aside (its journal files
    // with it) and a new one started: `renewed`, and `message` says where the old one went.
    // `failed` when not even that was possible; `message` says why.
    openResult open(const QString &path, QString *message = nullptr);
    // For the history window: no repair, nothing written.
    bool openForReading(const QString &path);
    void close();
    bool isOpen() const { return db.isOpen(); }
    QString path() const { return filePath; }

    bool transaction();
    bool commit();
    void rollback();

    // The row's key, 0 when it could not be written.
    qint64 insert(const historyEvent &event);
    // Everything but the picture, which setPicture alone writes.
    bool update(qint64 row, const historyEvent &event);
    bool setPicture(qint64 row, const QString &picture, const QString &thumbnail, qint64 bytes,
                    const QString &noPicture);

    // Events that began more than `days` before now go, then the pictures of the oldest until
    // those left take at most maxPictureBytes. Returns the picture files no row names any more.
    QStringList trim(qint64 nowMs, int days, qint64 maxPictureBytes);
    qint64 pictureBytes() const;
    // Every picture and thumbnail file a row names.
    QStringList pictureFiles() const;

    int count(const filter &which) const;
    // Newest first.
    QList<historyEvent> page(const filter &which, int offset, int limit) const;
    historyEvent event(qint64 row) const;
    int missedSince(qint64 ms) const;

    QString meta(const QString &key) const;
    bool setMeta(const QString &key, const QString &value);

    QString lastError() const { return error; }

private:
    enum class check { usable, unusable };
    bool connect(const QString &path, bool readOnly);
    check prepare(QString &why);
    bool createSchema();
    bool exec(const QString &sql);
    bool run(QSqlQuery &query);
    void bindEvent(QSqlQuery &query, const historyEvent &event) const;
    static historyEvent eventFrom(const QSqlQuery &query);
    static QString whereOf(const filter &which);
    static void bindFilter(QSqlQuery &query, const filter &which);
    static QString asidePath(const QString &path);
    static bool moveAside(const QString &path, const QString &to);

    QString connectionName;
    QSqlDatabase db;
    QString filePath;
    mutable QString error;
    std::unique_ptr<QSqlQuery> insertQuery;
    std::unique_ptr<QSqlQuery> updateQuery;
};
