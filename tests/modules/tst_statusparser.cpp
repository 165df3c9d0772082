#include "statusparser.h"
#include "tracecapture.h"

#include <QTest>

namespace {

// Status flags as letters: p popupRequest, s statusEvent, 1/2 input active, f callForced,
// a callActive, e callEnded.
QString flags(const moduleStatus &rec)
{
    QString text;
    const QList<QPair<QChar, bool>> all = {{'p', rec.popupRequest}, {'s', rec.statusEvent},
                                           {'1', rec.input1Active}, {'2', rec.input2Active},
                                           {'f', rec.callForced},   {'a', rec.callActive},
                                           {'e', rec.callEnded}};
    for (const auto &f : all) {
        if (f.second)
            text += f.first;
    }
    return text;
}

void setFlags(moduleStatus &rec, const QString &text)
{
    rec.popupRequest = text.contains('p');
    rec.statusEvent = text.contains('s');
    rec.input1Active = text.contains('1');
    rec.input2Active = text.contains('2');
    rec.callForced = text.contains('f');
    rec.callActive = text.contains('a');
    rec.callEnded = text.contains('e');
}

constexpr quint8 untouched = 0x99;

} // namespace

class tst_statusParser : public QObject {
    Q_OBJECT

private slots:
    void datagram_data();
    void datagram();
    void wholeCall_data();
    void wholeCall();
};

void tst_statusParser::datagram_data()
{
    QTest::addColumn<bool>("intercom");
    QTest::addColumn<int>("popup");
    QTest::addColumn<QString>("calleeList");
    QTest::addColumn<bool>("allRufNr");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("recognised");
    QTest::addColumn<int>("lastCode");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("trace");

    const QString list = QStringLiteral("100,200");
    const QStringList none;
    const QStringList in1On = {"##### Eingang 1 -> 1 #####"};
    const QStringList in1Off = {"##### Eingang 1 -> 0 #####"};
    const QStringList forceOn = {"***** Force TRUE...."};
    const QStringList forceOff = {"***** Force FALSE...."};
    const QString ioSummary = QStringLiteral("A1.v10 : io(00);Dx(xy)");

    // Camera/IO module: grammar and IO status report.
    QTest::newRow("input 1 active") << false << 3 << list << false << "" << QByteArray("17#A1@1000xy")
                                    << true << 0xA1 << "ps1" << ioSummary << in1On;
    QTest::newRow("input 1 repeated report raises again") << false << 3 << list << false << "1"
                                    << QByteArray("17#A1@1000xy") << true << 0xA1 << "ps1" << ioSummary << in1On;
    QTest::newRow("input 1 inactive") << false << 3 << list << false << "ps1" << QByteArray("17#A1@1010xy")
                                      << true << 0xA1 << "ps" << "A1.v10 : io(10);Dx(xy)" << in1Off;
    QTest::newRow("input 1 other char") << false << 3 << list << false << "1" << QByteArray("17#A1@10x0xy")
                                        << true << 0xA1 << "1" << "A1.v10 : io(x0);Dx(xy)" << none;
    QTest::newRow("input 2 active") << false << 4 << list << false << "" << QByteArray("17#A1@1010xy")
                                    << true << 0xA1 << "ps2" << "A1.v10 : io(10);Dx(xy)" << none;
    QTest::newRow("input 2 ignores input 1") << false << 4 << list << false << "2" << QByteArray("17#A1@1001xy")
                                             << true << 0xA1 << "" << "A1.v10 : io(01);Dx(xy)" << none;
    QTest::newRow("popup off stores only") << false << 0 << list << false << "" << QByteArray("17#A1@1000xy")
                                           << true << 0xA1 << "" << ioSummary << none;
    QTest::newRow("empty prefix and payload") << false << 3 << list << false << "" << QByteArray("#A1@")
                                              << true << 0xA1 << "" << QString("A1.v%1%1 : io(%1%1);Dx(%1%1)").arg(QChar(0))
                                              << none;
    QTest::newRow("no hash") << false << 3 << list << false << "" << QByteArray("17A1@1000") << false
                             << int(untouched) << "" << "" << none;
    QTest::newRow("no at") << false << 3 << list << false << "" << QByteArray("17#A1") << false
                           << int(untouched) << "" << "" << none;
    QTest::newRow("at before hash") << false << 3 << list << false << "" << QByteArray("17@x#A1") << false
                                    << int(untouched) << "" << "" << none;
    QTest::newRow("invalid code") << false << 3 << list << false << "" << QByteArray("5#XY@") << false
                                  << int(untouched) << "" << "" << none;
    QTest::newRow("empty code") << false << 3 << list << false << "" << QByteArray("5#@") << false
                                << int(untouched) << "" << "" << none;
    QTest::newRow("unknown code keeps lastCode") << false << 3 << list << false << "" << QByteArray("5#33@")
                                                 << false << 0x33 << "" << "" << none;
    QTest::newRow("remACK lower case") << false << 3 << list << false << "" << QByteArray("5#1e@") << true
                                       << 0x1E << "" << "remACK" << none;
    QTest::newRow("remACK upper case") << true << 7 << list << false << "" << QByteArray("5#1E@") << true
                                       << 0x1E << "" << "remACK" << none;
    QTest::newRow("A0") << false << 3 << list << false << "" << QByteArray("5#A0@") << true << 0xA0 << ""
                        << "A0" << none;
    QTest::newRow("06 no change") << true << 7 << list << false << "fa" << QByteArray("5#06@") << true
                                  << 0x06 << "fa" << "" << none;
    QTest::newRow("14 no change") << false << 3 << list << false << "1" << QByteArray("5#14@x") << true
                                  << 0x14 << "1" << "" << none;
    QTest::newRow("4C no change") << true << 7 << list << false << "" << QByteArray("5#4C@") << true << 0x4C
                                  << "" << "" << none;
    QTest::newRow("call end at camera record") << false << 3 << list << false << "fa" << QByteArray("3#0A@")
                                               << true << 0x0A << "e" << "" << none;
    QTest::newRow("call code at camera record") << false << 3 << list << true << ""
                                                << QByteArray("3#07@100\r\n") << true << 0x07 << "" << "" << none;
    QTest::newRow("05 at camera record") << false << 3 << list << true << "fa" << QByteArray("3#05@100\r\n")
                                         << true << 0x05 << "fa" << "" << none;

    // Intercom module: call events, callee extraction and filter.
    QTest::newRow("calling, listed callee") << true << 7 << list << false << "" << QByteArray("3#07@100\r\n")
                                            << true << 0x07 << "psfa" << "100" << forceOn;
    QTest::newRow("second event of a call") << true << 7 << list << false << "psfa"
                                            << QByteArray("3#05@100\r\n") << true << 0x05 << "sfa" << "100"
                                            << forceOff;
    QTest::newRow("call end") << true << 7 << list << false << "sfa" << QByteArray("3#0A@") << true << 0x0A
                              << "se" << "" << none;
    QTest::newRow("call end while idle") << true << 7 << list << false << "" << QByteArray("3#0A@") << true
                                         << 0x0A << "e" << "" << none;
    QTest::newRow("event clears call end") << true << 7 << list << false << "e" << QByteArray("3#07@200\r\n")
                                           << true << 0x07 << "psfa" << "200" << forceOn;
    QTest::newRow("unlisted callee") << true << 7 << list << false << "" << QByteArray("3#07@300\r\n") << true
                                     << 0x07 << "" << "300" << none;
    QTest::newRow("unlisted callee, all numbers") << true << 7 << list << true << ""
                                                  << QByteArray("3#07@300\r\n") << true << 0x07 << "psfa" << "300"
                                                  << forceOn;
    QTest::newRow("being called, bit 1") << true << 1 << list << false << "" << QByteArray("3#01@100\r\n")
                                         << true << 0x01 << "psfa" << "100" << forceOn;
    QTest::newRow("being called, bit clear") << true << 6 << list << false << "" << QByteArray("3#01@100\r\n")
                                             << true << 0x01 << "" << "" << none;
    QTest::newRow("calling, bit clear") << true << 5 << list << false << "" << QByteArray("3#07@100\r\n")
                                        << true << 0x07 << "" << "" << none;
    QTest::newRow("conversation, bit clear ends call") << true << 3 << list << false << "sfa"
                                                       << QByteArray("3#05@100\r\n") << true << 0x05 << "se" << ""
                                                       << none;
    QTest::newRow("spaces removed") << true << 7 << list << false << "" << QByteArray("3#07@ 1 0 0\r\n")
                                    << true << 0x07 << "psfa" << "100" << forceOn;
    QTest::newRow("one-character callee unmatched") << true << 7 << list << false << ""
                                                    << QByteArray("3#07@1\r\n") << true << 0x07 << "" << "" << none;
    QTest::newRow("empty callee, empty list part") << true << 7 << "100,,200" << false << ""
                                                   << QByteArray("3#07@1\r\n") << true << 0x07 << "psfa" << ""
                                                   << forceOn;
    QTest::newRow("two-byte payload, trailing comma") << true << 7 << "100," << false << ""
                                                      << QByteArray("3#07@\r\n") << true << 0x07 << "psfa" << ""
                                                      << forceOn;
    QTest::newRow("spaces only left one digit") << true << 7 << ",100" << false << ""
                                                << QByteArray("3#07@ 1 \r\n") << true << 0x07 << "psfa" << ""
                                                << forceOn;
    QTest::newRow("leading zero unmatched") << true << 7 << list << false << "" << QByteArray("3#07@0100\r\n")
                                            << true << 0x07 << "" << "0100" << none;
    QTest::newRow("blank after comma unmatched") << true << 7 << "100, 200" << false << ""
                                                 << QByteArray("3#07@200\r\n") << true << 0x07 << "" << "200"
                                                 << none;
    QTest::newRow("zero byte ends callee") << true << 7 << "10" << false << ""
                                           << QByteArray("3#07@10\0xyz\r\n", 13) << true << 0x07 << "psfa" << "10"
                                           << forceOn;
    QTest::newRow("callee cut at 26 bytes") << true << 7 << list << true << ""
                                            << QByteArray("3#07@123456789012345678901234567890") << true << 0x07
                                            << "psfa" << "123456789012345678901234" << forceOn;
    QTest::newRow("IO report at intercom record") << true << 7 << list << false << ""
                                                  << QByteArray("17#A1@1000xy") << true << 0xA1 << "" << "" << none;
}

void tst_statusParser::datagram()
{
    QFETCH(bool, intercom);
    QFETCH(int, popup);
    QFETCH(QString, calleeList);
    QFETCH(bool, allRufNr);
    QFETCH(QString, before);
    QFETCH(QByteArray, datagram);

    moduleStatus rec;
    rec.isSipModule = intercom;
    rec.lastCode = untouched;
    setFlags(rec, before);
    QString summary = QStringLiteral("stale");
    traceCapture trace;

    QTEST(statusParser::parse(rec, popup, calleeList, allRufNr, datagram, &summary), "recognised");
    QTEST(int(rec.lastCode), "lastCode");
    QTEST(flags(rec), "after");
    QTEST(summary, "summary");
    QTEST(trace.taken(), "trace");
}

void tst_statusParser::wholeCall_data()
{
    QTest::addColumn<int>("popup");
    QTest::addColumn<QList<QByteArray>>("datagrams");
    QTest::addColumn<QStringList>("flagsAfterEach");

    QTest::newRow("call, conversation, end, next call")
        << 7 << QList<QByteArray>{"3#07@100\r\n", "3#05@100\r\n", "3#0A@", "3#01@200\r\n"}
        << QStringList{"psfa", "sfa", "se", "psfa"};
    QTest::newRow("unmatched event inside a call")
        << 7 << QList<QByteArray>{"3#07@100\r\n", "3#07@999\r\n", "3#0A@"}
        << QStringList{"psfa", "psfa", "pse"};
    QTest::newRow("conversation without its bit ends the call")
        << 3 << QList<QByteArray>{"3#07@100\r\n", "3#05@100\r\n", "3#07@100\r\n"}
        << QStringList{"psfa", "pse", "psfa"};
}

void tst_statusParser::wholeCall()
{
    QFETCH(int, popup);
    QFETCH(QList<QByteArray>, datagrams);
    QFETCH(QStringList, flagsAfterEach);

    moduleStatus rec;
    rec.isSipModule = true;
    for (int i = 0; i < datagrams.size(); ++i) {
        QVERIFY(statusParser::parse(rec, popup, QStringLiteral("100,200"), false, datagrams.at(i)));
        QCOMPARE(flags(rec), flagsAfterEach.at(i));
    }
}

QTEST_GUILESS_MAIN(tst_statusParser)
#include "tst_statusparser.moc"
