#include "sprachedia.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// Finding the translation files and switching the language with the translation the build made.
class tst_spracheDia : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void findFiles_data();
    void findFiles();
    void switchLanguage();
    void ignoredIndex_data();
    void ignoredIndex();
    void okButton_data();
    void okButton();

private:
    void makeFiles(const QStringList &names);
    static QString englishNotice();
    static bool radioChecked(const spracheDia &dialog, const char *name);

    std::unique_ptr<QTemporaryDir> dir;
    QString oldCwd;
};

namespace {
const char *noticeSource = "Das Programm bleibt im 'System Tray' aktiv. Zum Verlassen \n"
                           "wählen Sie bitte im System Tray Menü den Eintrag <Beenden>.";

// The translation the build puts beside the program.
QString builtTranslation()
{
    return QFileInfo(QStringLiteral(DXCAMVIEWER_PATH)).absolutePath() + QStringLiteral("/cam_en.qm");
}

QString noticeNow()
{
    return QCoreApplication::translate("ownMsgBox", noticeSource);
}
} // namespace

void tst_spracheDia::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("2")));
    oldCwd = QDir::currentPath();
}

void tst_spracheDia::cleanup()
{
    QDir::setCurrent(oldCwd);
}

// Names with "2/" go into the second folder; "*" names get the real translation, others
// garbage.
void tst_spracheDia::makeFiles(const QStringList &names)
{
    for (QString name : names) {
        const bool real = name.endsWith(QLatin1Char('*'));
        name.remove(QLatin1Char('*'));
        if (real) {
            QVERIFY(QFile::copy(builtTranslation(), dir->filePath(name)));
            continue;
        }
        QFile file(dir->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a translation");
    }
}

QString tst_spracheDia::englishNotice()
{
    return QStringLiteral("The program stays active in the system tray. To leave it, \n"
                          "choose <Quit> in the system tray menu.");
}

bool tst_spracheDia::radioChecked(const spracheDia &dialog, const char *name)
{
    return dialog.findChild<QRadioButton *>(QLatin1String(name))->isChecked();
}

void tst_spracheDia::findFiles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("english");
    QTest::newRow("cam_en and cam_fr") << QStringList{"cam_fr.qm", "cam_en.qm"} << QStringList{"cam_en", "cam_fr"}
                                       << "cam_en";
    QTest::newRow("English not first") << QStringList{"cam_en.qm", "cam_af.qm"} << QStringList{"cam_af", "cam_en"}
                                       << "cam_en";
    QTest::newRow("cam.v2_en.qm skipped") << QStringList{"cam.v2_en.qm"} << QStringList{} << "";
    QTest::newRow("only French") << QStringList{"cam_fr.qm"} << QStringList{"cam_fr"} << "";
    QTest::newRow("other names") << QStringList{"camen.qm", "cam_en.ts", "view_en.qm", "cam_en_GB.qm"}
                                 << QStringList{"cam_en_GB"} << "cam_en_GB";
    QTest::newRow("second folder adds, never repeats") << QStringList{"cam_fr.qm", "2/cam_fr.qm", "2/cam_en.qm"}
                                                       << QStringList{"cam_fr", "cam_en"} << "cam_en";
}

void tst_spracheDia::findFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, names);
    QFETCH(QString, english);
    makeFiles(files);
    const QStringList folders{dir->path(), dir->filePath(QStringLiteral("2"))};
    const QList<translationFiles::entry> found = translationFiles::find(folders, QStringLiteral("cam"));
    QStringList foundNames;
    for (const translationFiles::entry &e : found) {
        foundNames.append(e.name);
        QVERIFY(QFileInfo(e.path).isAbsolute() && QFileInfo::exists(e.path));
    }
    QCOMPARE(foundNames, names);
    const int index = translationFiles::englishIndex(found);
    QCOMPARE(index < 0 ? QString() : found[index].name, english);
    if (files.contains(QStringLiteral("2/cam_en.qm")))
        QCOMPARE(found[1].path, dir->filePath(QStringLiteral("2/cam_en.qm")));

    spracheDia dialog(0, nullptr, folders);
    dialog.scan(QStringLiteral("cam"));
    QCOMPARE(dialog.findChild<QRadioButton *>(QStringLiteral("enRB"))->isEnabled(), !english.isEmpty());
}

// Loaded by full path, so a start from another folder finds it; Qt's own texts follow.
void tst_spracheDia::switchLanguage()
{
    makeFiles({"cam_af.qm", "cam_en.qm*"});
    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    spracheDia dialog(0, nullptr, {dir->path()});
    dialog.scan(QStringLiteral("cam"));
    QVERIFY(dialog.germanQtTextsLoaded());

    dialog.apply(-1);
    QVERIFY(!dialog.takeChanged());  // German already
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));

    dialog.apply(dialog.englishIndex());
    QCOMPARE(dialog.currentIndex(), 1);
    QVERIFY(dialog.takeChanged());
    QVERIFY(!dialog.takeChanged());
    QCOMPARE(noticeNow(), englishNotice());
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    QVERIFY(radioChecked(dialog, "enRB"));
    QCOMPARE(dialog.languageValue(), 1);
    // Each language is named in its own language, whichever is in use.
    const auto names = [&dialog] {
        return QStringList{dialog.findChild<QRadioButton *>(QStringLiteral("deRB"))->text(),
                           dialog.findChild<QRadioButton *>(QStringLiteral("enRB"))->text()};
    };
    QCOMPARE(names(), (QStringList{"Deutsch", "English"}));

    dialog.apply(-1);
    QVERIFY(dialog.takeChanged());
    QCOMPARE(noticeNow(), QString::fromUtf8(noticeSource));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    QVERIFY(radioChecked(dialog, "deRB"));
    QCOMPARE(dialog.languageValue(), -1);
    dialog.retranslate();
    QCOMPARE(names(), (QStringList{"Deutsch", "English"}));
}

void tst_spracheDia::ignoredIndex_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("index");
    QTest::newRow("language 5 with two files") << QStringList{"cam_en.qm*", "cam_fr.qm*"} << 5;
    QTest::newRow("file that does not load") << QStringList{"cam_en.qm"} << 0;
}

// Nothing changes: German stays, and the dialog says so.
void tst_spracheDia::ignoredIndex()
{
    QFETCH(QStringList, files);
    QFETCH(int, index);
    makeFiles(files);
    spracheDia dialog(0, nullptr, {dir->path()});
    dialog.scan(QStringLiteral("cam"));
    dialog.apply(index);
    QCOMPARE(dialog.currentIndex(), -1);
    QVERIFY(!dialog.takeChanged());
    QVERIFY(radioChecked(dialog, "deRB"));
    QCOMPARE(noticeNow(), QString::fromUtf8(noticeSource));
}

void tst_spracheDia::okButton_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("chosen");
    QTest::newRow("English") << QStringList{"cam_de_CH.qm*", "cam_en.qm*"} << 1;
    QTest::newRow("English that does not load") << QStringList{"cam_en.qm"} << -1;
}

void tst_spracheDia::okButton()
{
    QFETCH(QStringList, files);
    QFETCH(int, chosen);
    makeFiles(files);
    spracheDia dialog(0, nullptr, {dir->path()});
    dialog.scan(QStringLiteral("cam"));
    QSignalSpy choice(&dialog, &spracheDia::languageChosen);
    dialog.prepare();
    dialog.findChild<QRadioButton *>(QStringLiteral("enRB"))->click();
    dialog.findChild<QPushButton *>(QStringLiteral("okPB"))->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(choice.size(), 1);
    QCOMPARE(choice.at(0).at(0).toInt(), chosen);
    QCOMPARE(dialog.currentIndex(), chosen);
    QCOMPARE(radioChecked(dialog, "enRB"), chosen >= 0);
    dialog.apply(-1);
}

QTEST_MAIN(tst_spracheDia)
#include "tst_sprachedia.moc"
