#include "historystore.h"
#include "historywriter.h"
#include "unprivileged.h"
#include "../stream/filesizelimit.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace {

const qint64 day = historyStore::dayMs;
const QString kept = QStringLiteral("kept");

historyEvent sampleEvent(qint64 startMs, bool missed = false)
{
    historyEvent e;
    e.what = historyEvent::kind::calling;
    e.startMs = startMs;
    e.endMs = startMs + 5000;
    e.camName = QStringLiteral("Cam %1").arg(startMs);
    e.moduleName = QStringLiteral("Door");
    e.station = QStringLiteral("127.0.1.2");
    e.callee = QStringLiteral("100");
    e.panel = !missed;
    return e;
}

QByteArray jpeg(int shade)
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(shade, 40, 90));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    image.save(&out, "JPEG");
    return out.data();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A database of another kind, made with SQLite itself.
void rawDatabase(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        db.open();
        for (const QString &sql : statements)
            QSqlQuery(db).exec(sql);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

// The helper process of the kill row: writes events (and pictures) through the writer for ever and
// prints the start time of each one once it is committed.
int writeForEver(const QString &databasePath, const QString &pictureFolder, bool pictures)
{
    historyWriter writer;
    writer.begin(databasePath, pictureFolder, 3650, 100000);
    const QByteArray picture = jpeg(200);
    const qint64 base = QDateTime::currentMSecsSinceEpoch();
    for (qint64 i = 1;; ++i) {
        historyEvent e = sampleEvent(base + i);
        e.id = i;
        e.endMs = 0;
        writer.saveEvent(e);
        if (pictures)
            writer.savePicture(i, e.startMs, e.camName, [picture] { return picture; });
        e.endMs = e.startMs + 1000;
        e.done = true;
        writer.saveEvent(e);
        if (!writer.waitIdle(10000))
            return 1;
        std::printf("committed %lld\n", e.startMs);
        std::fflush(stdout);
    }
}

}  // namespace

class tst_historyStore : public QObject {
    Q_OBJECT

private slots:
    void opening_data();
    void opening();
    void killedWriter_data();
    void killedWriter();
    void writeFaults_data();
    void writeFaults();
    void trim_data();
    void trim();
    void filter_data();
    void filter();
};

void tst_historyStore::opening_data()
{
    QTest::addColumn<QString>("before");  // what lies there: none, garbage, newer, foreign, damaged, history
    QTest::addColumn<bool>("readOnlyFile");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<int>("result");      // historyStore::openResult
    QTest::addColumn<int>("events");      // in the database opened
    using r = historyStore::openResult;
    QTest::newRow("no file: a new one") << "none" << false << false << int(r::opened) << 0;
    QTest::newRow("a history of this program is kept") << "history" << false << false << int(r::opened) << 3;
    QTest::newRow("not a database") << "garbage" << false << false << int(r::renewed) << 0;
    QTest::newRow("a newer version") << "newer" << false << false << int(r::renewed) << 0;
    QTest::newRow("another program's database") << "foreign" << false << false << int(r::renewed) << 0;
    QTest::newRow("damaged") << "damaged" << false << false << int(r::renewed) << 0;
    QTest::newRow("read-only file") << "history" << true << false << int(r::renewed) << 0;
    QTest::newRow("damaged in a read-only folder") << "garbage" << false << true << int(r::failed) << 0;
}

void tst_historyStore::opening()
{
    QFETCH(QString, before);
    QFETCH(bool, readOnlyFile);
    QFETCH(bool, readOnlyFolder);
    QFETCH(int, result);
    QFETCH(int, events);
    if (readOnlyFile || readOnlyFolder)
        RUN_BOUND_BY_PERMISSIONS();

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/history.sqlite");
    if (before == QLatin1String("history") || before == QLatin1String("damaged")) {
        historyStore first;
        QCOMPARE(int(first.open(path)), int(historyStore::openResult::opened));
        for (int i = 0; i < 3; ++i)
            QVERIFY(first.insert(sampleEvent(1000 + i)) > 0);
    } else if (before == QLatin1String("garbage")) {
        QVERIFY(writeFile(path, QByteArray(5000, 'x')));
    } else if (before == QLatin1String("newer")) {
        rawDatabase(path, {"CREATE TABLE events(id INTEGER PRIMARY KEY)", "PRAGMA user_version = 2"});
    } else if (before == QLatin1String("foreign")) {
        rawDatabase(path, {"CREATE TABLE notes(text TEXT)"});
    }
    if (before == QLatin1String("damaged")) {
        // The first page, past the file header: the schema is gone.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(100);
        file.write(QByteArray(4000, char(0x55)));
    }
    const QByteArray old = readFile(path);
    if (readOnlyFile)
        QFile::setPermissions(path, QFileDevice::ReadOwner);
    if (readOnlyFolder)
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    historyStore store;
    QString message;
    QCOMPARE(int(store.open(path, &message)), result);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QStringList aside = QDir(folder).entryList({QStringLiteral("history-defekt-*.sqlite")}, QDir::Files);
    switch (historyStore::openResult(result)) {
    case historyStore::openResult::opened:
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QVERIFY(aside.isEmpty());
        break;
    case historyStore::openResult::renewed:
        // Kept aside as it was, and said where.
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readFile(QDir(folder).filePath(aside.first())), old);
        QVERIFY2(message.contains(aside.first()), qPrintable(message));
        break;
    case historyStore::openResult::failed:
        QVERIFY(!message.isEmpty());
        QCOMPARE(readFile(path), old);
        QVERIFY(!store.isOpen());
        return;
    }
    QCOMPARE(store.count({}), events);
    // The new or kept file is its owner's alone, and it takes events.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
                                            | QFileDevice::WriteOther;
    QCOMPARE(QFileInfo(path).permissions() & others, QFileDevice::Permissions());
    QVERIFY(store.insert(sampleEvent(5000)) > 0);
    QCOMPARE(store.count({}), events + 1);
}

void tst_historyStore::killedWriter_data()
{
    QTest::addColumn<bool>("pictures");
    QTest::newRow("killed while writing events") << false;
    QTest::newRow("killed while writing events and pictures") << true;
}

// A writer killed at any moment leaves a database that opens, with every event it had committed
// complete, and no picture file that no event names.
void tst_historyStore::killedWriter()
{
    QFETCH(bool, pictures);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const QString folder = dir.filePath(QStringLiteral("history"));
    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--write-history"), path, folder, pictures ? QStringLiteral("1") : QStringLiteral("0")});
    QVERIFY(writer.waitForStarted());
    QList<qint64> committed;
    while (committed.size() < 40 && writer.state() == QProcess::Running) {
        if (!writer.canReadLine() && !writer.waitForReadyRead(20000))
            break;
        while (writer.canReadLine()) {
            const QByteArray line = writer.readLine().trimmed();
            if (line.startsWith("committed "))
                committed << line.mid(10).toLongLong();
        }
    }
    writer.kill();
    writer.waitForFinished();
    QCOMPARE(committed.size(), 40);

    historyStore store;
    QString message;
    QCOMPARE(int(store.open(path, &message)), int(historyStore::openResult::opened));
    const QList<historyEvent> rows = store.page({}, 0, 100000);
    QHash<qint64, historyEvent> byStart;
    for (const historyEvent &e : rows)
        byStart.insert(e.startMs, e);
    for (const qint64 start : std::as_const(committed)) {
        QVERIFY2(byStart.contains(start), qPrintable(QString::number(start)));
        const historyEvent e = byStart.value(start);
        QCOMPARE(e.endMs, start + 1000);
        QCOMPARE(e.camName, QStringLiteral("Cam %1").arg(start));
        if (pictures) {
            QVERIFY(e.pictureBytes > 0);
            QCOMPARE(readFile(QDir(folder).filePath(e.picture)), jpeg(200));
            QVERIFY(QFileInfo::exists(QDir(folder).filePath(e.thumbnail)));
        }
    }
    store.close();

    // The next writer removes what was written for an event that did not get its name.
    historyWriter next;
    next.begin(path, folder, 3650, 100000);
    next.saveEvent(sampleEvent(1));
    QVERIFY(next.waitIdle(10000));
    next.finish();
    QVERIFY(store.open(path) == historyStore::openResult::opened);
    QStringList named = store.pictureFiles();
    QStringList present = QDir(folder).entryList(QDir::Files);
    named.sort();
    present.sort();
    QCOMPARE(present, named);
}

void tst_historyStore::writeFaults_data()
{
    QTest::addColumn<bool>("databaseFull");
    QTest::newRow("a picture does not fit: the events go on without it") << false;
    QTest::newRow("the database cannot grow: kept, and written once it can") << true;
}

// A full disk is said once and stops what does not fit, not the writer.
void tst_historyStore::writeFaults()
{
    QFETCH(bool, databaseFull);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const QString folder = dir.filePath(QStringLiteral("history"));
    historyWriter writer;
    int said = 0;
    connect(&writer, &historyWriter::problem, this, [&said] { ++said; }, Qt::QueuedConnection);
    writer.begin(path, folder, 90, 500);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    historyEvent e = sampleEvent(now);
    e.id = 1;
    writer.saveEvent(e);
    QVERIFY(writer.waitIdle(10000));
    QImage noise(1200, 1000, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, QRandomGenerator::global()->generate());
    }
    QBuffer big;
    big.open(QIODevice::WriteOnly);
    noise.save(&big, "JPEG", 100);
    const QByteArray picture = big.data();
    {
        fileSizeLimit limit(databaseFull ? QFileInfo(path + QStringLiteral("-wal")).size() : 1 << 20);
        QVERIFY(limit.active && picture.size() > (1 << 20));
        for (qint64 i = 2; i <= 4; ++i) {
            e = sampleEvent(now + i);
            e.id = i;
            e.done = databaseFull;
            writer.saveEvent(e);
            if (!databaseFull)
                writer.savePicture(i, e.startMs, e.camName, [picture] { return picture; });
        }
        if (databaseFull)
            QTRY_COMPARE(said, 1);
        else
            QVERIFY(writer.waitIdle(10000));
    }
    // Room again: the next event brings the kept ones along.
    e = sampleEvent(now + 5);
    e.id = 5;
    writer.saveEvent(e);
    QVERIFY(writer.waitIdle(10000));
    writer.finish();
    QCoreApplication::processEvents();
    QCOMPARE(said, 1);
    historyStore store;
    QVERIFY(store.openForReading(path));
    QCOMPARE(store.count({}), 5);
    QCOMPARE(store.pictureBytes(), qint64(0));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
    int withoutPicture = 0;
    for (const historyEvent &row : store.page({}, 0, 10))
        withoutPicture += row.noPicture.startsWith(QLatin1String("Bild nicht gespeichert"));
    QCOMPARE(withoutPicture, databaseFull ? 0 : 3);
}

void tst_historyStore::trim_data()
{
    QTest::addColumn<QList<int>>("ages");     // days before now
    QTest::addColumn<QList<int>>("bytes");    // of each one's pictures
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QStringList>("left");    // "<age>" or "<age> no picture", newest first
    QTest::addColumn<QStringList>("gone");    // picture files given back
    QTest::newRow("within both limits nothing goes") << QList<int>{1, 2, 3} << QList<int>{100, 100, 100} << 7 << 1000
                                                     << QStringList{"1", "2", "3"} << QStringList{};
    QTest::newRow("events older than the days go") << QList<int>{1, 5, 10} << QList<int>{100, 0, 100} << 7 << 1000
                                                   << QStringList{"1", "5"} << QStringList{"p10", "t10"};
    QTest::newRow("the oldest pictures go past the size, the events stay")
        << QList<int>{1, 2, 3} << QList<int>{400, 400, 400} << 7 << 1000
        << QStringList{"1", "2", "3 no picture"} << QStringList{"p3", "t3"};
    QTest::newRow("oldest first, however small") << QList<int>{1, 2} << QList<int>{5000, 10} << 7 << 1000
                                                 << QStringList{"1 no picture", "2 no picture"}
                                                 << QStringList{"p2", "t2", "p1", "t1"};
    QTest::newRow("days first, then the size") << QList<int>{1, 2, 9} << QList<int>{700, 700, 700} << 7 << 1000
                                               << QStringList{"1", "2 no picture"}
                                               << QStringList{"p9", "t9", "p2", "t2"};
}

void tst_historyStore::trim()
{
    QFETCH(QList<int>, ages);
    QFETCH(QList<int>, bytes);
    QFETCH(int, days);
    QFETCH(int, maxBytes);
    QFETCH(QStringList, gone);
    QTemporaryDir dir;
    historyStore store;
    QVERIFY(store.open(dir.filePath("h.sqlite")) == historyStore::openResult::opened);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < ages.size(); ++i) {
        const qint64 row = store.insert(sampleEvent(now - ages[i] * day));
        if (bytes[i] > 0)
            store.setPicture(row, QStringLiteral("p%1").arg(ages[i]), QStringLiteral("t%1").arg(ages[i]), bytes[i], {});
    }
    QCOMPARE(store.trim(now, days, maxBytes), gone);
    QStringList left;
    for (const historyEvent &e : store.page({}, 0, 100)) {
        const qint64 age = (now - e.startMs) / day;
        left << (e.picture.isEmpty() && bytes[ages.indexOf(int(age))] > 0 ? QStringLiteral("%1 no picture").arg(age)
                                                                          : QString::number(age));
        QCOMPARE(e.picture.isEmpty(), e.pictureBytes == 0);
    }
    QTEST(left, "left");
    QVERIFY(store.pictureBytes() <= maxBytes);
}

void tst_historyStore::filter_data()
{
    QTest::addColumn<bool>("missedOnly");
    QTest::addColumn<int>("fromHour");  // -1: no bound
    QTest::addColumn<int>("toHour");
    QTest::addColumn<QList<int>>("hours");  // the start hours listed, newest first
    // Events at hours 1 to 6 of a day; the odd ones missed.
    QTest::newRow("all, newest first") << false << -1 << -1 << QList<int>{6, 5, 4, 3, 2, 1};
    QTest::newRow("missed only") << true << -1 << -1 << QList<int>{5, 3, 1};
    QTest::newRow("from hour 3 on") << false << 3 << -1 << QList<int>{6, 5, 4, 3};
    QTest::newRow("before hour 3") << false << -1 << 3 << QList<int>{2, 1};
    QTest::newRow("missed in hours 2 to 5") << true << 2 << 5 << QList<int>{3};
}

void tst_historyStore::filter()
{
    QFETCH(bool, missedOnly);
    QFETCH(int, fromHour);
    QFETCH(int, toHour);
    QFETCH(QList<int>, hours);
    QTemporaryDir dir;
    historyStore store;
    QVERIFY(store.open(dir.filePath("h.sqlite")) == historyStore::openResult::opened);
    const qint64 hour = 3600000;
    const qint64 base = 1700000000000;
    for (int h = 1; h <= 6; ++h)
        QVERIFY(store.insert(sampleEvent(base + h * hour, h % 2 == 1)) > 0);
    historyStore::filter which;
    which.missedOnly = missedOnly;
    which.fromMs = fromHour < 0 ? 0 : base + fromHour * hour;
    which.toMs = toHour < 0 ? 0 : base + toHour * hour;
    QCOMPARE(store.count(which), hours.size());
    QList<int> listed;
    // Two pages of at most four: the second starts where the first ended.
    for (int offset = 0; offset < 8; offset += 4) {
        for (const historyEvent &e : store.page(which, offset, 4))
            listed << int((e.startMs - base) / hour);
    }
    QCOMPARE(listed, hours);
    QCOMPARE(store.missedSince(base + 2 * hour), 2);
}

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--write-history") == 0) {
        QGuiApplication app(argc, argv);
        return writeForEver(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), qstrcmp(argv[4], "1") == 0);
    }
    QGuiApplication app(argc, argv);
    tst_historyStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_historystore.moc"
