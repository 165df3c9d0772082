#include "historystore.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QAtomicInteger<quint64> connections;

// Every column but the key, in the order bindEvent and eventFrom use.
const char *const eventColumns =
    "kind, startMs, endMs, endReported, camName, moduleName, station, callee, shown, userShown, talked, doorMs, "
    "doorOutput, light, panel, hungUp, missed, noPicture, recordFolder, recordStem";
constexpr int eventColumnCount = 20;

const char *const schema[] = {
    "CREATE TABLE IF NOT EXISTS events(id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, startMs INTEGER NOT NULL, "
    "endMs INTEGER NOT NULL DEFAULT 0, endReported INTEGER NOT NULL DEFAULT 0, camName TEXT, moduleName TEXT, "
    "station TEXT, callee TEXT, shown INTEGER, userShown INTEGER, talked INTEGER, doorMs INTEGER, "
    "doorOutput INTEGER, light INTEGER, panel INTEGER, hungUp INTEGER, missed INTEGER NOT NULL DEFAULT 0, "
    "noPicture TEXT, recordFolder TEXT, recordStem TEXT, picture TEXT, thumbnail TEXT, "
    "pictureBytes INTEGER NOT NULL DEFAULT 0)",
    "CREATE INDEX IF NOT EXISTS eventsByStart ON events(startMs)",
    "CREATE INDEX IF NOT EXISTS missedByStart ON events(missed, startMs)",
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT)",
    "PRAGMA user_version = 1",
};

// What a user finds beside the database and wonders about: the old one, named by when it went.
const char *const asideInfix = "-defekt-";

}  // namespace

historyStore::historyStore()
    : connectionName(QStringLiteral("history-%1").arg(connections.fetchAndAddRelaxed(1)))
{
}

historyStore::~historyStore()
{
    close();
}

void historyStore::close()
{
    insertQuery.reset();
    updateQuery.reset();
    if (db.isValid()) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }
}

bool historyStore::connect(const QString &path, bool readOnly)
{
    close();
    filePath = path;
    // SQLite gives its journal files the database file's mode: owner-only from the start.
    if (!readOnly && !QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)
            || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            error = file.errorString();
            return false;
        }
    }
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    // The reader is the GUI thread: it must not wait long for anyone.
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=200") : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        error = db.lastError().text();
        return false;
    }
    return true;
}

bool historyStore::openForReading(const QString &path)
{
    if (!QFileInfo::exists(path) || !connect(path, true))
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next() || query.value(0).toInt() != schemaVersion) {
        error = query.lastError().text();
        close();
        return false;
    }
    return true;
}

historyStore::openResult historyStore::open(const QString &path, QString *message)
{
    QString why;
    if (connect(path, false) && prepare(why) == check::usable)
        return openResult::opened;
    if (why.isEmpty())
        why = error;
    close();
    const QString aside = asidePath(path);
    if (!QFileInfo::exists(path) || !moveAside(path, aside)) {
        if (message)
            *message = tr("Der Verlauf \"%1\" lässt sich nicht öffnen (%2) und nicht beiseitelegen: Rufe werden "
                          "in dieser Sitzung nicht aufgezeichnet.").arg(path, why);
        return openResult::failed;
    }
    if (message)
        *message = tr("Der Verlauf \"%1\" ließ sich nicht öffnen (%2). Er liegt jetzt unter \"%3\"; ein neuer "
                      "Verlauf beginnt.").arg(path, why, aside);
    QString again;
    if (connect(path, false) && prepare(again) == check::usable)
        return openResult::renewed;
    if (message)
        *message = tr("Der Verlauf \"%1\" lässt sich nicht anlegen (%2): Rufe werden in dieser Sitzung nicht "
                      "aufgezeichnet.").arg(path, again.isEmpty() ? error : again);
    close();
    return openResult::failed;
}

historyStore::check historyStore::prepare(QString &why)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        why = query.lastError().text();
        return check::unusable;
    }
    const int version = query.value(0).toInt();
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next()) {
        why = query.lastError().text();
        return check::unusable;
    }
    const int objects = query.value(0).toInt();
    if (version == 0 && objects > 0) {
        why = tr("keine Verlaufsdatenbank");
        return check::unusable;
    }
    if (version != 0 && version != schemaVersion) {
        why = tr("Version %1, erwartet %2").arg(version).arg(schemaVersion);
        return check::unusable;
    }
    if (version == schemaVersion) {
        if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
            why = query.lastError().text();
            return check::unusable;
        }
        if (query.value(0).toString() != QLatin1String("ok")) {
            why = query.value(0).toString().left(200);
            return check::unusable;
        }
    }
    // A file that cannot be written stays in the rollback journal's mode and says nothing here;
    // the schema and the probe below find it out.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next()
        || query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        why = query.lastError().text().isEmpty() ? tr("nicht beschreibbar") : query.lastError().text();
        return check::unusable;
    }
    query.finish();
    // Committed events survive a killed program in full; only a power cut may lose the last ones.
    exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (!transaction() || !createSchema()
        || !setMeta(QStringLiteral("opened"), QString::number(QDateTime::currentMSecsSinceEpoch())) || !commit()) {
        why = error;
        rollback();
        return check::unusable;
    }
    return check::usable;
}

bool historyStore::createSchema()
{
    for (const char *statement : schema) {
        if (!exec(QString::fromLatin1(statement)))
            return false;
    }
    return true;
}

bool historyStore::exec(const QString &sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    error = query.lastError().text();
    return false;
}

bool historyStore::run(QSqlQuery &query)
{
    if (query.exec())
        return true;
    error = query.lastError().text();
    return false;
}

bool historyStore::transaction()
{
    if (db.transaction())
        return true;
    error = db.lastError().text();
    return false;
}

bool historyStore::commit()
{
    if (db.commit())
        return true;
    error = db.lastError().text();
    return false;
}

void historyStore::rollback()
{
    db.rollback();
}

QString historyStore::asidePath(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_hhmmss"));
    QString aside = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1String(asideInfix) + stamp;
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString candidate = aside + suffix;
    for (int n = 1; QFileInfo::exists(candidate) && n < 100; ++n)
        candidate = aside + QStringLiteral("_%1").arg(n) + suffix;
    return candidate;
}

// The journal files go with it: left behind, SQLite would apply them to the new database.
bool historyStore::moveAside(const QString &path, const QString &to)
{
    if (!QFile::rename(path, to))
        return false;
    for (const char *journal : {"-wal", "-shm", "-journal"}) {
        const QString from = path + QLatin1String(journal);
        if (QFileInfo::exists(from) && !QFile::rename(from, to + QLatin1String(journal)))
            QFile::remove(from);
    }
    return true;
}

void historyStore::bindEvent(QSqlQuery &query, const historyEvent &e) const
{
    const QVariant values[eventColumnCount] = {
        int(e.what), e.startMs, e.endMs, e.endReported, e.camName, e.moduleName, e.station, e.callee,
        e.shown, e.userShown, e.talked, e.doorMs, e.doorOutput, e.light, e.panel, e.hungUp, e.missed(),
        e.noPicture, e.recordFolder, e.recordStem};
    for (int i = 0; i < eventColumnCount; ++i)
        query.bindValue(i, values[i]);
}

historyEvent historyStore::eventFrom(const QSqlQuery &q)
{
    historyEvent e;
    int i = 0;
    e.id = q.value(i++).toLongLong();
    const int kind = q.value(i++).toInt();
    e.what = kind >= int(historyEvent::kind::beingCalled) && kind <= int(historyEvent::kind::input2)
                 ? historyEvent::kind(kind)
                 : historyEvent::kind::calling;
    e.startMs = q.value(i++).toLongLong();
    e.endMs = q.value(i++).toLongLong();
    e.endReported = q.value(i++).toBool();
    e.camName = q.value(i++).toString();
    e.moduleName = q.value(i++).toString();
    e.station = q.value(i++).toString();
    e.callee = q.value(i++).toString();
    e.shown = q.value(i++).toBool();
    e.userShown = q.value(i++).toBool();
    e.talked = q.value(i++).toBool();
    e.doorMs = q.value(i++).toLongLong();
    e.doorOutput = q.value(i++).toInt();
    e.light = q.value(i++).toBool();
    e.panel = q.value(i++).toBool();
    e.hungUp = q.value(i++).toBool();
    ++i;  // missed: worked out from the rest
    e.noPicture = q.value(i++).toString();
    e.recordFolder = q.value(i++).toString();
    e.recordStem = q.value(i++).toString();
    e.picture = q.value(i++).toString();
    e.thumbnail = q.value(i++).toString();
    e.pictureBytes = q.value(i++).toLongLong();
    return e;
}

qint64 historyStore::insert(const historyEvent &event)
{
    if (!insertQuery) {
        insertQuery = std::make_unique<QSqlQuery>(db);
        const QString marks = QStringLiteral("?, ").repeated(eventColumnCount - 1) + QLatin1Char('?');
        if (!insertQuery->prepare(QStringLiteral("INSERT INTO events(%1) VALUES(%2)")
                                      .arg(QLatin1String(eventColumns), marks))) {
            error = insertQuery->lastError().text();
            insertQuery.reset();
            return 0;
        }
    }
    bindEvent(*insertQuery, event);
    if (!run(*insertQuery))
        return 0;
    return insertQuery->lastInsertId().toLongLong();
}

bool historyStore::update(qint64 row, const historyEvent &event)
{
    if (!updateQuery) {
        updateQuery = std::make_unique<QSqlQuery>(db);
        const QString sets = QString::fromLatin1(eventColumns).replace(QLatin1String(", "), QLatin1String(" = ?, "))
                             + QStringLiteral(" = ?");
        if (!updateQuery->prepare(QStringLiteral("UPDATE events SET %1 WHERE id = ?").arg(sets))) {
            error = updateQuery->lastError().text();
            updateQuery.reset();
            return false;
        }
    }
    bindEvent(*updateQuery, event);
    updateQuery->bindValue(eventColumnCount, row);
    return run(*updateQuery);
}

bool historyStore::setPicture(qint64 row, const QString &picture, const QString &thumbnail, qint64 bytes,
                              const QString &noPicture)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE events SET picture = ?, thumbnail = ?, pictureBytes = ?, noPicture = ? "
                                 "WHERE id = ?"));
    query.addBindValue(picture.isEmpty() ? QVariant() : picture);
    query.addBindValue(thumbnail.isEmpty() ? QVariant() : thumbnail);
    query.addBindValue(bytes);
    query.addBindValue(noPicture);
    query.addBindValue(row);
    return run(query);
}

QStringList historyStore::trim(qint64 nowMs, int days, qint64 maxPictureBytes)
{
    QStringList gone;
    const auto collect = [&gone](const QSqlQuery &q) {
        for (int i = 0; i < 2; ++i) {
            if (!q.value(i).toString().isEmpty())
                gone << q.value(i).toString();
        }
    };
    const qint64 cutoff = nowMs - qint64(qMax(1, days)) * dayMs;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT picture, thumbnail FROM events WHERE startMs < ? AND pictureBytes > 0"));
    query.addBindValue(cutoff);
    if (run(query)) {
        while (query.next())
            collect(query);
    }
    query.prepare(QStringLiteral("DELETE FROM events WHERE startMs < ?"));
    query.addBindValue(cutoff);
    run(query);

    qint64 excess = pictureBytes() - qMax<qint64>(0, maxPictureBytes);
    if (excess <= 0)
        return gone;
    QList<qint64> cleared;
    query.prepare(QStringLiteral("SELECT picture, thumbnail, pictureBytes, id FROM events WHERE pictureBytes > 0 "
                                 "ORDER BY startMs, id"));
    if (run(query)) {
        while (excess > 0 && query.next()) {
            collect(query);
            excess -= query.value(2).toLongLong();
            cleared << query.value(3).toLongLong();
        }
    }
    query.finish();
    const QString reason = tr("Bild entfernt: Platz für neuere Bilder");
    for (const qint64 row : std::as_const(cleared))
        setPicture(row, QString(), QString(), 0, reason);
    return gone;
}

qint64 historyStore::pictureBytes() const
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT total(pictureBytes) FROM events")) || !query.next())
        return 0;
    return qint64(query.value(0).toDouble());
}

QStringList historyStore::pictureFiles() const
{
    QStringList files;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT picture, thumbnail FROM events WHERE pictureBytes > 0")))
        return files;
    while (query.next()) {
        for (int i = 0; i < 2; ++i) {
            if (!query.value(i).toString().isEmpty())
                files << query.value(i).toString();
        }
    }
    return files;
}

QString historyStore::whereOf(const filter &which)
{
    QStringList terms;
    if (which.missedOnly)
        terms << QStringLiteral("missed = 1");
    if (which.fromMs > 0)
        terms << QStringLiteral("startMs >= :from");
    if (which.toMs > 0)
        terms << QStringLiteral("startMs < :to");
    return terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

void historyStore::bindFilter(QSqlQuery &query, const filter &which)
{
    if (which.fromMs > 0)
        query.bindValue(QStringLiteral(":from"), which.fromMs);
    if (which.toMs > 0)
        query.bindValue(QStringLiteral(":to"), which.toMs);
}

int historyStore::count(const filter &which) const
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT count(*) FROM events") + whereOf(which));
    bindFilter(query, which);
    if (!query.exec() || !query.next()) {
        error = query.lastError().text();
        return 0;
    }
    return query.value(0).toInt();
}

QList<historyEvent> historyStore::page(const filter &which, int offset, int limit) const
{
    QList<historyEvent> events;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, %1, picture, thumbnail, pictureBytes FROM events%2 "
                                 "ORDER BY startMs DESC, id DESC LIMIT :limit OFFSET :offset")
                      .arg(QLatin1String(eventColumns), whereOf(which)));
    bindFilter(query, which);
    query.bindValue(QStringLiteral(":limit"), limit);
    query.bindValue(QStringLiteral(":offset"), offset);
    if (!query.exec()) {
        error = query.lastError().text();
        return events;
    }
    while (query.next())
        events << eventFrom(query);
    return events;
}

historyEvent historyStore::event(qint64 row) const
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, %1, picture, thumbnail, pictureBytes FROM events WHERE id = ?")
                      .arg(QLatin1String(eventColumns)));
    query.addBindValue(row);
    if (!query.exec() || !query.next())
        return historyEvent();
    return eventFrom(query);
}

int historyStore::missedSince(qint64 ms) const
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT count(*) FROM events WHERE missed = 1 AND startMs > ?"));
    query.addBindValue(ms);
    if (!query.exec() || !query.next())
        return 0;
    return query.value(0).toInt();
}

QString historyStore::meta(const QString &key) const
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT value FROM meta WHERE key = ?"));
    query.addBindValue(key);
    if (!query.exec() || !query.next())
        return QString();
    return query.value(0).toString();
}

bool historyStore::setMeta(const QString &key, const QString &value)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)"));
    query.addBindValue(key);
    query.addBindValue(value);
    return run(query);
}
