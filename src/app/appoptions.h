#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. Without options the program behaves as it always did: INI
// and log beside the executable, log switched off.
struct appOptions {
    QString configFile;   // --config FILE
    bool logOn = false;   // --log
    QString autostart;    // --autostart on|off: "on", "off", or empty when not given
    bool showHelp = false;
    bool showVersion = false;
    // --show, --settings, --quit: what the viewer of the INI file is asked for (at most one)
    enum class request { none, show, settings, quit };
    request ask = request::none;
    QString error;        // not empty: a known option was used wrongly; nothing is started
    QString warning;      // not empty: arguments that were ignored (desktop launchers add some)

    // Help, version, autostart and quit are served without a display.
    bool needsNoDisplay() const;

    static appOptions parse(const QStringList &arguments);
    static QString helpText();
};
