#include "commandframe.h"

#include <QHostAddress>
#include <QTest>

namespace {

// The own address of the examples; only written into frames, never contacted.
quint32 exampleOwnIp()
{
    return QHostAddress(QStringLiteral("192.168.0.177")).toIPv4Address();
}

} // namespace

class tst_commandFrame : public QObject {
    Q_OBJECT

private slots:
    void relay_data();
    void relay();
    void intercom_data();
    void intercom();
    void passwordField_data();
    void passwordField();
    void checksum();
};

void tst_commandFrame::relay_data()
{
    QTest::addColumn<quint32>("own");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("door");
    QTest::addColumn<int>("doorSeconds");
    QTest::addColumn<int>("light");
    QTest::addColumn<int>("lightSeconds");
    QTest::addColumn<QByteArray>("withoutChecksum");

    const quint32 own = exampleOwnIp();
    QTest::newRow("door output 3, 2 s") << own << 0 << 3 << 3 << 2 << 4 << 20 << QByteArray("BSREMC0A800B1003024711");
    QTest::newRow("light output 4, 20 s") << own << 0 << 4 << 3 << 2 << 4 << 20 << QByteArray("BSREMC0A800B1004144711");
    QTest::newRow("neither output: no duration") << own << 0 << 2 << 3 << 2 << 4 << 20 << QByteArray("BSREMC0A800B10024711");
    QTest::newRow("same output for both: door time") << own << 0 << 1 << 1 << 3 << 1 << 30 << QByteArray("BSREMC0A800B1001034711");
    QTest::newRow("sequence and two-digit output") << own << 0xAB << 12 << 12 << 5 << 0 << 0 << QByteArray("BSREMC0A800B1ABC054711");
    QTest::newRow("duration above 255 s clamps") << own << 0 << 3 << 3 << 300 << 4 << 20 << QByteArray("BSREMC0A800B1003FF4711");
    QTest::newRow("light above 255 s clamps") << own << 0 << 4 << 3 << 2 << 4 << 256 << QByteArray("BSREMC0A800B1004FF4711");
    QTest::newRow("invalid own address") << quint32(0) << 1 << 3 << 3 << 2 << 0 << 0 << QByteArray("BSREM0000000001302" "4711");
}

void tst_commandFrame::relay()
{
    QFETCH(quint32, own);
    QFETCH(int, sequence);
    QFETCH(int, output);
    QFETCH(int, door);
    QFETCH(int, doorSeconds);
    QFETCH(int, light);
    QFETCH(int, lightSeconds);
    QFETCH(QByteArray, withoutChecksum);

    const relayTarget target{door, doorSeconds, light, lightSeconds, QStringLiteral("4711")};
    const QByteArray frame = commandFrame::relay(own, quint8(sequence), output, target);
    QCOMPARE(frame.left(frame.size() - 2), withoutChecksum);
    QCOMPARE(frame, commandFrame::withChecksum(withoutChecksum));
}

void tst_commandFrame::intercom_data()
{
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("withoutChecksum");

    QTest::newRow("hang-up, sequence 5") << 5 << "4711" << QByteArray("BSRCMDC0A800B1054711r3000");
    QTest::newRow("short password") << 255 << "12" << QByteArray("BSRCMDC0A800B1FF1FF2r3000");
}

void tst_commandFrame::intercom()
{
    QFETCH(int, sequence);
    QFETCH(QString, password);
    QFETCH(QByteArray, withoutChecksum);

    QCOMPARE(commandFrame::intercom(exampleOwnIp(), quint8(sequence), 3, password),
             commandFrame::withChecksum(withoutChecksum));
}

void tst_commandFrame::passwordField_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("field");

    QTest::newRow("empty") << "" << QByteArray("FFFF");
    QTest::newRow("one character") << "7" << QByteArray("FFF7");
    QTest::newRow("two characters") << "47" << QByteArray("4FF7");
    QTest::newRow("three characters") << "471" << QByteArray("47F1");
    QTest::newRow("four characters") << "4711" << QByteArray("4711");
    QTest::newRow("longer is cut") << "471199" << QByteArray("4711");
}

void tst_commandFrame::passwordField()
{
    QFETCH(QString, password);
    QTEST(commandFrame::passwordField(password), "field");
}

void tst_commandFrame::checksum()
{
    // 'A' + 'B' = 0x83; a sum above 255 keeps its low byte.
    QCOMPARE(commandFrame::withChecksum("AB"), QByteArray("AB83"));
    QCOMPARE(commandFrame::withChecksum(QByteArray(3, char(0xFF))), QByteArray(3, char(0xFF)) + "FD");
}

QTEST_GUILESS_MAIN(tst_commandFrame)
#include "tst_commandframe.moc"
