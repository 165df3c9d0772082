#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <initializer_list>

class QLineEdit;
class QValidator;
class QWidget;

// What the settings pages accept from their fields. A refused text gives a message that names
// the field; numbers follow one rule: text that is not a number leaves the setting as it was,
// a number outside its range becomes the range's minimum and the field shows it.
class pageRules {
    Q_DECLARE_TR_FUNCTIONS(pageRules)

public:
    // Module names and addresses form the section names of the INI file: they must not be
    // blank and must not hold "[", "]", "=", "/", "\" or control characters. A name is stored
    // without its leading and trailing blanks (storedName), and compared so with other names.
    static QString nameProblem(const QString &field, const QString &text);
    static QString storedName(const QString &text) { return text.trimmed(); }
    // Any other stored text: no control characters (a line break would split the INI line), and
    // nothing the Latin-1 file cannot hold (it would come back as "?").
    static QString textProblem(const QString &field, const QString &text);
    // The stored scrambling keeps the characters 32..125 only.
    static QString passwordProblem(const QString &field, const QString &text);
    // Four dot-separated decimal parts of 0..255, none with a leading zero (the network layer
    // would read "010" as the octal 8: another host).
    static bool isIPv4(const QString &text);
    static QString addressProblem(const QString &field, const QString &text);
    // While typing: four parts of 0..255 each, any of them still empty.
    static QValidator *ipv4Typing(QObject *parent);
    // A camera is addressed by IPv4 address or by the URL of its stream, of a kind the viewer
    // reads: http://, https://, rtsp:// or rtsps://, with a host. While typing, an address is
    // held to the IPv4 rule and a text that begins with a letter may become a URL.
    static QString cameraAddressProblem(const QString &field, const QString &text);
    static QValidator *cameraAddressTyping(QObject *parent);

    static int takeInt(const QString &text, int min, int max, int current, bool *replaced);
    static double takeReal(const QString &text, double min, double max, double current, bool *replaced);

    // The rules applied to a field: the value to store; the field shows a replaced value, and
    // `replaced` gets a line naming the field (`name`), the text and the value used.
    static int storeInt(QLineEdit *field, const QString &name, int min, int max, int current, QStringList &replaced);
    static double storeReal(QLineEdit *field, const QString &name, double min, double max, double current,
                            QStringList &replaced);
    // Pulse times reach the command frame as two hex digits: 1..255 s.
    static int storePulse(QLineEdit *field, const QString &name, int current, QStringList &replaced)
    {
        return storeInt(field, name, 1, 255, current, replaced);
    }
    static int storePort(QLineEdit *field, const QString &name, int current, QStringList &replaced)
    {
        return storeInt(field, name, 1, 65535, current, replaced);
    }
    // The one message saying which values were replaced; empty when none was.
    static QString replacedMessage(const QStringList &replaced);
    // A field's name for messages: the texts of its labels, without a closing colon.
    static QString fieldName(std::initializer_list<const QWidget *> labels);

    // A file or folder chooser that does not block: the choice lands in the field.
    static void chooseInto(QLineEdit *field, bool folder, const QString &title);
};
