#pragma once

#include <QString>
#include <QStringList>

// The viewer's entry in the desktop's autostart folder ($XDG_CONFIG_HOME/autostart, by default
// ~/.config/autostart): with it the session starts the viewer at login, and the INI
// (HideStartEn with Autohide) says whether it then waits hidden in the tray. An entry of the
// same name in a system-wide autostart folder ($XDG_CONFIG_DIRS/autostart) starts the viewer
// for every user; switching off then writes an entry that hides it for this user.
class autoStart
{
public:
    // configFile: the INI file the started viewer is to use (--config), empty for its usual one.
    explicit autoStart(const QString &program, const QString &configFile = QString());

    QString entryPath() const;
    bool isEnabled() const;
    // False when the entry could not be written or removed.
    bool setEnabled(bool on);

    // The command in the quoting and escaping of a desktop entry's Exec key.
    static QString execLine(const QStringList &command);

private:
    bool writeEntry(bool hidden) const;

    QStringList command;
};
