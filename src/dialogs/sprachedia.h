#pragma once

#include "translationfiles.h"

#include <QDialog>
#include <QList>

class QTranslator;

namespace Ui {
class spracheDia;
}

// Chooses between German (the source texts) and English. Translations are loaded by their full
// path and a load that fails leaves German in effect; the radio buttons show the language that
// really is. A switch sets a mark that makes the main window's tick retranslate every window.
class spracheDia : public QDialog {
    Q_OBJECT

public:
    spracheDia(int FaVers, QWidget *parent, const QStringList &folders = translationFiles::defaultFolders());
    ~spracheDia() override;

    // Finds the translation files <baseName>*_*.qm and loads Qt's own German texts.
    void scan(const QString &baseName);
    // -1: German; otherwise an index into languages(). An index without a file is ignored.
    void apply(int index);

    const QList<translationFiles::entry> &languages() const { return entries; }
    int currentIndex() const { return current; }
    int englishIndex() const { return translationFiles::englishIndex(entries); }
    bool germanQtTextsLoaded() const;
    // The `language` value the radio buttons stand for.
    int languageValue() const;
    // Whether the language changed since the last call.
    bool takeChanged();

    // The tray's "&Sprache".
    void prepare();
    void retranslate();

signals:
    // The user confirmed a language; the value to store as `language`.
    void languageChosen(int language);

private slots:
    void on_okPB_clicked();
    void on_cancelPB_clicked();

private:
    void showInEffect();
    void useGerman();

    int FaVers;
    QStringList folders;
    QString baseName;
    QList<translationFiles::entry> entries;
    QList<QTranslator *> translators;
    QTranslator *german;
    int current = -1;
    bool changed = false;
    Ui::spracheDia *ui;
};
