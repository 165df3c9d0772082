#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. Without options the program behaves as it always did: INI
// and log beside the executable, log switched off. The toolkit's own options (-platform, -style,
// ...) are left to the GUI application.
struct appOptions {
    QString configFile;   // --config FILE
    bool logOn = false;   // --log
    QString autostart;    // --autostart on|off: "on", "off", or empty when not given
    bool showHelp = false;
    bool showVersion = false;
    // --show, --settings, --quit: what the viewer of the INI file is asked for (at most one)
    enum class request { none, show, settings, quit };
    request ask = request::none;
    QString error;        // not empty: the command line is wrong (an unknown option, a value missing)
    QString warning;      // not empty: arguments that were ignored (file names desktop launchers add)

    // Help, version, autostart, quit and a wrong command line are served without a display.
    bool needsNoDisplay() const;
    // A command for the running viewer prints none of the viewer's trace lines, unless --log
    // (or QT_LOGGING_RULES) asks for them.
    bool tracesOff() const;

    static appOptions parse(const QStringList &arguments);
    static QString helpText();
};
