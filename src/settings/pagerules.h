#pragma once

#include <QCoreApplication>
#include <QString>

class QLineEdit;
class QValidator;

// What the settings pages accept from their fields. A refused text gives a message that names
// the field; numbers follow one rule: text that is not a number leaves the setting as it was,
// a number outside its range becomes the range's minimum and the field shows it.
class pageRules {
    Q_DECLARE_TR_FUNCTIONS(pageRules)

public:
    // Module names and addresses form the section names of the INI file: they must not be
    // empty and must not hold "[", "]", "=", "/", "\" or control characters.
    static QString nameProblem(const QString &field, const QString &text);
    // Any other stored text: no control characters (a line break would split the INI line).
    static QString textProblem(const QString &field, const QString &text);
    // The stored scrambling keeps the characters 32..125 only.
    static QString passwordProblem(const QString &field, const QString &text);
    // Four dot-separated decimal parts of 0..255.
    static bool isIPv4(const QString &text);
    static QString addressProblem(const QString &field, const QString &text);
    // While typing: four parts of 0..255 each, any of them still empty.
    static QValidator *ipv4Typing(QObject *parent);

    static int takeInt(const QString &text, int min, int max, int current, bool *replaced);
    static double takeReal(const QString &text, double min, double max, double current, bool *replaced);

    // The rules applied to a field: the value to store; the field shows a replaced value.
    static int storeInt(QLineEdit *field, int min, int max, int current);
    static double storeReal(QLineEdit *field, double min, double max, double current);
    // Pulse times reach the command frame as two hex digits: 1..255 s.
    static int storePulse(QLineEdit *field, int current) { return storeInt(field, 1, 255, current); }
    static int storePort(QLineEdit *field, int current) { return storeInt(field, 1, 65535, current); }

    // A file or folder chooser that does not block: the choice lands in the field.
    static void chooseInto(QLineEdit *field, bool folder, const QString &title);
};
