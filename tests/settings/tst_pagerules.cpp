#include "pagerules.h"

#include <QtTest>

class tst_pageRules : public QObject {
    Q_OBJECT

private slots:
    void ipv4_data();
    void ipv4();
    void numbers_data();
    void numbers();
};

void tst_pageRules::ipv4_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("address") << "192.168.1.180" << true;
    QTest::newRow("zeros") << "0.0.0.0" << true;
    QTest::newRow("highest") << "255.255.255.255" << true;
    QTest::newRow("part above 255") << "192.168.1.256" << false;
    QTest::newRow("dots only") << "..." << false;
    QTest::newRow("empty parts") << "1..2." << false;
    QTest::newRow("three parts") << "10.0.1" << false;
    QTest::newRow("five parts") << "10.0.0.1.2" << false;
    QTest::newRow("four digits") << "10.0.0.0001" << false;
    QTest::newRow("leading zero (octal 8)") << "127.0.0.010" << false;
    QTest::newRow("leading zero in the first part") << "010.0.0.1" << false;
    QTest::newRow("blank") << "10.0.0. 1" << false;
    QTest::newRow("sign") << "10.0.0.+1" << false;
    QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("10.0.0.\u0661") << false;
    QTest::newRow("host name") << "kamera.local" << false;
}

void tst_pageRules::ipv4()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(pageRules::isIPv4(text), valid);
    QCOMPARE(pageRules::addressProblem(QStringLiteral("IP"), text).isEmpty(), valid);
}

void tst_pageRules::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("in range") << "80" << 1 << 65535 << 80 << false;
    QTest::newRow("port 70000") << "70000" << 1 << 65535 << 1 << true;
    QTest::newRow("port 0") << "0" << 1 << 65535 << 1 << true;
    QTest::newRow("negative") << "-3" << 0 << 1000 << 0 << true;
    QTest::newRow("blanks around") << " 12 " << 1 << 255 << 12 << false;
    QTest::newRow("letters keep the old value") << "12a" << 1 << 255 << 42 << false;
    QTest::newRow("empty keeps the old value") << "" << 1 << 255 << 42 << false;
}

void tst_pageRules::numbers()
{
    QFETCH(QString, text);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, stored);
    QFETCH(bool, replaced);
    bool wasReplaced = !replaced;
    QCOMPARE(pageRules::takeInt(text, min, max, 42, &wasReplaced), stored);
    QCOMPARE(wasReplaced, replaced);
    QCOMPARE(pageRules::takeReal(text, min, max, 42.0, &wasReplaced), double(stored));
    QCOMPARE(wasReplaced, replaced);
}

QTEST_MAIN(tst_pageRules)
#include "tst_pagerules.moc"
