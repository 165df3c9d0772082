#include "recordfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class tst_recordFiles : public QObject {
    Q_OBJECT

private slots:
    void timeStamp();
    void names_data();
    void names();
    void longNameFits();
    void collisions_data();
    void collisions();
    void unusableFolder_data();
    void unusableFolder();
};

void tst_recordFiles::timeStamp()
{
    // 24-hour clock, the date first.
    QCOMPARE(recordFiles::timeStamp(QDateTime(QDate(2024, 3, 5), QTime(15, 4, 9))), QStringLiteral("20240305_150409_"));
    QCOMPARE(recordFiles::timeStamp(QDateTime(QDate(2023, 12, 31), QTime(0, 0, 0))), QStringLiteral("20231231_000000_"));
}

void tst_recordFiles::names_data()
{
    QTest::addColumn<QString>("camName");
    QTest::addColumn<QString>("safe");
    QTest::addColumn<QString>("automatic");
    QTest::newRow("blanks and - kept, replaced in the automatic name") << "Tor-1 Ost" << "Tor-1 Ost" << "Tor_1_Ost";
    QTest::newRow("path leads nowhere") << "../../etc/passwd" << ".._.._etc_passwd" << ".._.._etc_passwd";
    QTest::newRow("characters file systems refuse") << "a\\b:c*d?e\"f<g>h|i" << "a_b_c_d_e_f_g_h_i" << "a_b_c_d_e_f_g_h_i";
    QTest::newRow("control characters") << QStringLiteral("Tür\tEingang\n\x7f") << QStringLiteral("Tür_Eingang__")
                                        << QStringLiteral("Tür_Eingang__");
    QTest::newRow("letters beyond the basic plane kept") << QStringLiteral("Süd \U0001F600") << QStringLiteral("Süd \U0001F600")
                                                         << QStringLiteral("Süd_\U0001F600");
    QTest::newRow("empty") << "" << "" << "";
}

void tst_recordFiles::names()
{
    QFETCH(QString, camName);
    QTEST(recordFiles::safeName(camName), "safe");
    QTEST(recordFiles::automaticName(camName), "automatic");
}

void tst_recordFiles::longNameFits()
{
    // The stamp, a suffix and the extension must still fit into a 255-byte file name.
    const QString name = recordFiles::safeName(QString(300, QChar(0x00E4)));
    QVERIFY(name.toUtf8().size() <= 200);
    QVERIFY(name.size() >= 99);
    QTemporaryDir dir;
    QVERIFY(!recordFiles::writeNew(dir.path(), recordFiles::timeStamp(QDateTime::currentDateTime()) + name,
                                   recordFiles::videoExtension, "x").isEmpty());
}

void tst_recordFiles::collisions_data()
{
    QTest::addColumn<int>("existing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free name") << 0 << "20240305_150409_Cam.jpg";
    QTest::newRow("taken once") << 1 << "20240305_150409_Cam_1.jpg";
    QTest::newRow("taken twice") << 2 << "20240305_150409_Cam_2.jpg";
}

void tst_recordFiles::collisions()
{
    QFETCH(int, existing);
    QTemporaryDir dir;
    const QString stem = QStringLiteral("20240305_150409_Cam");
    QStringList earlier;
    for (int i = 0; i < existing; ++i)
        earlier << recordFiles::writeNew(dir.path(), stem, recordFiles::jpgExtension, "earlier " + QByteArray::number(i));
    const QString path = recordFiles::writeNew(dir.path(), stem, recordFiles::jpgExtension, "newest");
    QTEST(QFileInfo(path).fileName(), "expected");
    QCOMPARE(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
    // Pictures of a door: readable by their owner only.
    QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                          | QFileDevice::WriteUser),
             QFileDevice::Permissions());
    // Nothing written before was overwritten.
    for (int i = 0; i < existing; ++i) {
        QFile file(earlier[i]);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "earlier " + QByteArray::number(i));
    }
}


void tst_recordFiles::unusableFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing folder") << "missing/deeper";
    QTest::newRow("a file where the folder should be") << "plain";
}

void tst_recordFiles::unusableFolder()
{
    QFETCH(QString, folder);
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QFile file;
    QVERIFY(!recordFiles::createNew(file, dir.filePath(folder), QStringLiteral("x"), recordFiles::jpgExtension));
    QVERIFY(recordFiles::writeNew(dir.filePath(folder), QStringLiteral("x"), recordFiles::jpgExtension, "bytes").isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{QStringLiteral("plain")});
}


QTEST_GUILESS_MAIN(tst_recordFiles)
#include "tst_recordfiles.moc"
