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
    QString error;        // not empty: a known option was used wrongly; nothing is started
    QString warning;      // not empty: arguments that were ignored (desktop launchers add some)

    static appOptions parse(const QStringList &arguments);
    static QString helpText();
};
