#include "doorsound.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_doorSound : public QObject {
    Q_OBJECT

private slots:
    void oneWarningPerFile_data();
    void oneWarningPerFile();
};

namespace {

QByteArray silentWave()
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 samples = 800;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    return bytes + QByteArray(int(samples * 2), '\0');
}

} // namespace

void tst_doorSound::oneWarningPerFile_data()
{
    QTest::addColumn<QByteArray>("content");  // "<none>": no file
    QTest::addColumn<QString>("warning");
    QTest::newRow("WAV") << silentWave() << "";
    QTest::newRow("MP3") << QByteArray("ID3\x03\0\0\0\0\0\0", 10) + QByteArray(400, '\x55') << "keine WAV-Datei";
    QTest::newRow("RIFF of another kind") << QByteArray("RIFF\0\0\0\0AVI LIST", 16) << "keine WAV-Datei";
    QTest::newRow("empty file") << QByteArray() << "keine WAV-Datei";
    QTest::newRow("no file") << QByteArray("<none>") << "kann nicht gelesen werden";
}

void tst_doorSound::oneWarningPerFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, warning);
    QTemporaryDir dir;
    const QString path = dir.filePath("door.snd");
    if (content != "<none>") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QStringList warnings;
    doorSound sound([&warnings](const QString &text) { warnings << text; });
    sound.play(path);
    sound.play(path);
    QCOMPARE(warnings.size(), warning.isEmpty() ? 0 : 1);
    if (!warning.isEmpty())
        QVERIFY2(warnings.first().contains(warning) && warnings.first().contains(path), qPrintable(warnings.first()));
}

QTEST_MAIN(tst_doorSound)
#include "tst_doorsound.moc"
