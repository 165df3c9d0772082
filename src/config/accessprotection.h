#pragma once

#include <QString>

// The protection record: the viewer and settings passwords with their two guard switches, kept
// per user in one store file of their own (not in the INI file beside the program), the same
// wherever the program is started from.
class accessProtection {
public:
    enum mode { settingsMode = 1, viewerMode = 2 };

    // Fixed for good: a different value would make every stored password unreadable.
    static constexpr quint8 storeShift = 0x2d;
    static const QString factoryPassword;

    // <user configuration folder>/dxcamviewer/passwords.conf
    static QString defaultStorePath();

    explicit accessProtection(const QString &storePath = defaultStorePath());

    const quint8 shift = storeShift;
    bool protectSetting = false;
    bool protectViewer = false;
    QString viewerPassword;
    QString settingsPassword;

    QString password(int mode) const;
    void setPassword(int mode, const QString &text);

    // Reads the four stored values into the record. A store with fewer than three of them gets
    // the factory values written first. A stored password that is missing, does not decode or
    // has fewer than three characters other than blanks could never be entered or changed: the
    // factory password stands in for it.
    void load();
    // Writes all four values; false when the store could not be written.
    bool save() const;
    int storedValueCount() const;
    QString storePath() const { return path; }

    // The source text of the message refusing a change, or nullptr when the change is allowed.
    static const char *changeRefusal(const QString &enteredOld, const QString &current,
                                     const QString &enteredNew, const QString &repetition);
    static int nonBlankLength(const QString &text);

private:
    QString path;
};
