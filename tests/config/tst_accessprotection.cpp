#include "accessprotection.h"
#include "passwordcodec.h"

#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// The password store: its encoding, the factory values, its mode and the rules for a new password.
// Its place, started from two working directories, is tested with the viewer (tst_auxdialogs).
class tst_accessProtection : public QObject {
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void firstStartWritesFactoryValues();
    void guardText_data();
    void guardText();
    void unusablePasswordFallsBack_data();
    void unusablePasswordFallsBack();
    void changeRules_data();
    void changeRules();

private:
    static bool ownerOnly(const QString &path);
    static void writeRaw(const QString &path, const QMap<QString, QByteArray> &values);
};

bool tst_accessProtection::ownerOnly(const QString &path)
{
    using P = QFileDevice;
    const P::Permissions modeBits = P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadGroup | P::WriteGroup
                                    | P::ExeGroup | P::ReadOther | P::WriteOther | P::ExeOther;
    return (QFile::permissions(path) & modeBits) == (P::ReadOwner | P::WriteOwner);
}

void tst_accessProtection::writeRaw(const QString &path, const QMap<QString, QByteArray> &values)
{
    QSettings store(path, QSettings::IniFormat);
    store.clear();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        store.setValue(it.key(), QString::fromLatin1(it.value()));
    store.sync();
    // As another program would leave it, whatever the umask of the test run.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                    | QFileDevice::ReadOther);
}

void tst_accessProtection::encode_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("shift");
    QTest::addColumn<QByteArray>("stored");
    // (byte + shift) mod 256 as two lower-case hex digits
    QTest::newRow("4711, shift 0x2d") << QByteArray("4711") << 0x2d << QByteArray("61645e5e");
    QTest::newRow("TRUE, shift 0") << QByteArray("TRUE") << 0 << QByteArray("54525545");
    QTest::newRow("wraps past 255") << QByteArray("\xff\xe0") << 0x2d << QByteArray("2c0d");
    QTest::newRow("empty") << QByteArray() << 0x2d << QByteArray();
}

void tst_accessProtection::encode()
{
    QFETCH(QByteArray, text);
    QFETCH(int, shift);
    QFETCH(QByteArray, stored);
    QCOMPARE(passwordCodec::encode(text, quint8(shift)), stored);
    const passwordCodec::decoded back = passwordCodec::decode(stored, quint8(shift));
    QCOMPARE(back.text, text);
    QVERIFY(back.clean);
}

void tst_accessProtection::decode_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("clean");
    QTest::newRow("upper-case digits") << QByteArray("61645E5E") << QByteArray("4711") << true;
    QTest::newRow("pair not hex skipped") << QByteArray("6164zz5e") << QByteArray("471") << false;
    QTest::newRow("last single digit alone") << QByteArray("616") << QByteArray("4\xd9") << false;
    QTest::newRow("stops at a zero byte") << QByteArray("6164\0" "5e5e", 9) << QByteArray("47") << true;
    QTest::newRow("sign and blank are no digits") << QByteArray("+6 6") << QByteArray() << false;
}

void tst_accessProtection::decode()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, text);
    QFETCH(bool, clean);
    const passwordCodec::decoded result = passwordCodec::decode(stored, 0x2d);
    QCOMPARE(result.text, text);
    QCOMPARE(result.clean, clean);
}

void tst_accessProtection::firstStartWritesFactoryValues()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/passwords.conf"));
    accessProtection protection(path);
    protection.viewerPassword = QStringLiteral("left over");
    protection.protectViewer = true;
    protection.load();
    QCOMPARE(protection.viewerPassword, QStringLiteral("4711"));
    QCOMPARE(protection.settingsPassword, QStringLiteral("4711"));
    QVERIFY(!protection.protectViewer && !protection.protectSetting);

    const quint8 shift = accessProtection::storeShift;
    const QSettings store(path, QSettings::IniFormat);
    QCOMPARE(store.allKeys().size(), 4);
    QCOMPARE(store.value("paswViewer").toString().toLatin1(), passwordCodec::encode("4711", shift));
    QCOMPARE(store.value("paswSettings").toString().toLatin1(), passwordCodec::encode("4711", shift));
    QCOMPARE(store.value("protectViewer").toString().toLatin1(), passwordCodec::encode("FALSE", shift));
    QCOMPARE(store.value("protectSetting").toString().toLatin1(), passwordCodec::encode("FALSE", shift));
    QVERIFY(ownerOnly(path));
}

void tst_accessProtection::guardText_data()
{
    QTest::addColumn<QByteArray>("guard");
    QTest::addColumn<bool>("on");
    QTest::newRow("TRUE") << QByteArray("TRUE") << true;
    QTest::newRow("true in lower case is off") << QByteArray("true") << false;
    QTest::newRow("TRUE and more is off") << QByteArray("TRUE ") << false;
    QTest::newRow("FALSE") << QByteArray("FALSE") << false;
}

void tst_accessProtection::guardText()
{
    QFETCH(QByteArray, guard);
    QFETCH(bool, on);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("passwords.conf"));
    const quint8 shift = accessProtection::storeShift;
    writeRaw(path, {{"paswViewer", passwordCodec::encode("abc", shift)},
                    {"paswSettings", passwordCodec::encode("def", shift)},
                    {"protectViewer", passwordCodec::encode(guard, shift)},
                    {"protectSetting", passwordCodec::encode(guard, shift)}});
    accessProtection protection(path);
    protection.load();
    QCOMPARE(protection.protectViewer, on);
    QCOMPARE(protection.protectSetting, on);
    QCOMPARE(protection.viewerPassword, QStringLiteral("abc"));
    QCOMPARE(protection.settingsPassword, QStringLiteral("def"));
    // Written by another program with the usual mode: reading the store makes it the owner's only.
    QVERIFY(ownerOnly(path));
}

// A stored password that could never be entered or changed would lock the user out for good.
void tst_accessProtection::unusablePasswordFallsBack_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("viewer");
    const quint8 shift = accessProtection::storeShift;
    QTest::newRow("missing (three values)") << false << QByteArray() << "4711";
    QTest::newRow("empty") << true << QByteArray() << "4711";
    QTest::newRow("not hex") << true << QByteArray("zzzzzzzz") << "4711";
    QTest::newRow("partly hex") << true << QByteArray("6162zz63") << "4711";
    QTest::newRow("two characters") << true << passwordCodec::encode("ab", shift) << "4711";
    QTest::newRow("two characters and blanks") << true << passwordCodec::encode(" a b ", shift) << "4711";
    QTest::newRow("three characters") << true << passwordCodec::encode("a b c", shift) << "a b c";
}

void tst_accessProtection::unusablePasswordFallsBack()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, stored);
    QFETCH(QString, viewer);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("passwords.conf"));
    const quint8 shift = accessProtection::storeShift;
    QMap<QString, QByteArray> values{{"paswSettings", passwordCodec::encode("geheim", shift)},
                                     {"protectViewer", passwordCodec::encode("TRUE", shift)},
                                     {"protectSetting", passwordCodec::encode("TRUE", shift)}};
    if (present)
        values.insert("paswViewer", stored);
    writeRaw(path, values);
    accessProtection protection(path);
    protection.load();
    QCOMPARE(protection.viewerPassword, viewer);
    QCOMPARE(protection.settingsPassword, QStringLiteral("geheim"));
    QVERIFY(protection.protectViewer);
    // The store itself is left as it was.
    QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys().size(), values.size());
}

void tst_accessProtection::changeRules_data()
{
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("repetition");
    QTest::addColumn<QString>("refusal");  // empty: allowed
    const QString tooShort = QStringLiteral("Passwort muss mindestens 3 Zeichen lang sein");
    const QString oldWrong = QStringLiteral(" Altes Passwort ist falsch ");
    const QString differ = QStringLiteral("Neues Passwort und Wiederholung sind nicht identisch !");
    // The current password is "4711".
    QTest::newRow("allowed") << "4711" << "abcd" << "abcd" << QString();
    QTest::newRow("inner blanks kept") << "4711" << "a b  c" << "a b  c" << QString();
    QTest::newRow("Latin-1 letters") << "4711" << "Tür" << "Tür" << QString();
    QTest::newRow("old too short") << "47 " << "abcd" << "abcd" << tooShort;
    QTest::newRow("old with an extra blank") << "4711 " << "abcd" << "abcd" << oldWrong;
    QTest::newRow("two characters plus blanks") << "4711" << " a  b " << " a  b " << tooShort;
    QTest::newRow("repetition differs") << "4711" << "abcd" << "abce" << differ;
    QTest::newRow("repetition differs by a blank") << "4711" << "abcd" << "abcd " << differ;
    QTest::newRow("euro sign refused") << "4711" << "ab€cd" << "ab€cd" << "Das neue Passwort enthält Zeichen";
}

void tst_accessProtection::changeRules()
{
    QFETCH(QString, old);
    QFETCH(QString, newPassword);
    QFETCH(QString, repetition);
    QFETCH(QString, refusal);
    const char *message = accessProtection::changeRefusal(old, QStringLiteral("4711"), newPassword, repetition);
    if (refusal.isEmpty())
        QCOMPARE(message, nullptr);
    else
        QVERIFY2(message && QString::fromUtf8(message).startsWith(refusal), message);
}

QTEST_GUILESS_MAIN(tst_accessProtection)
#include "tst_accessprotection.moc"
