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
    QString error;        // not empty: the command line could not be understood

    static appOptions parse(const QStringList &arguments);
    static QString helpText();
};
