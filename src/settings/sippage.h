#pragma once

#include <QWidget>

struct sipModule;

namespace Ui {
class sipPage;
}

// The "Sprechstelle" tab of the settings dialog: the intercom module of one module record.
// Filling writes nothing; the pop-up, output and callee choices go at once into the record the
// page was filled for; everything else is taken over by store().
class sipPage : public QWidget {
    Q_OBJECT

public:
    explicit sipPage(int FaVers, QWidget *parent = nullptr);
    ~sipPage() override;

    // record: where the immediate choices go; null while a new module is being prepared.
    void fill(const sipModule &values, sipModule *record);
    void fillNewModule(const QString &name, const QString &address);
    void release() { record = nullptr; }

    QString moduleName() const;
    QString check(const sipModule &into) const;
    // replaced: a line for each number that was outside its range.
    void store(sipModule &into, QStringList &replaced);

    // Whether the user changed a field that store() has not taken over yet.
    bool edited() const { return edits; }

    void setPopupAllowed(bool allowed);  // "Auto-PopUp aktivieren"
    // Texts in the current language; what the user typed stays.
    void retranslate();

    // Intercom outputs are 0..4; anything else (or an emptied box) is 0.
    static int clampedOutput(int index) { return index >= 0 && index <= 4 ? index : 0; }

private:
    void editionTexts();
    void showValues(const sipModule &values);
    void choicesChanged();
    int popupBits() const;

    Ui::sipPage *ui;
    sipModule *record = nullptr;
    int edition = 0;
    bool edits = false;
};
