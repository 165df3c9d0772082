#include "appoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

struct optionSet {
    QCommandLineOption config{QStringLiteral("config"),
                              QStringLiteral("Use FILE as the INI file (the log goes beside it)."),
                              QStringLiteral("FILE")};
    QCommandLineOption log{QStringLiteral("log"), QStringLiteral("Write the camera timing log.")};
    QCommandLineOption autostart{QStringLiteral("autostart"),
                                 QStringLiteral("Start the viewer at login (on) or not (off), then exit."),
                                 QStringLiteral("on|off")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version.")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(QStringLiteral("Door-intercom camera viewer"));
        parser.addOptions({config, log, autostart, help, version});
    }
};

} // namespace

appOptions appOptions::parse(const QStringList &arguments)
{
    optionSet set;
    QCommandLineParser parser;
    set.addTo(parser);
    appOptions result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return result;
    }
    result.configFile = parser.value(set.config);
    result.logOn = parser.isSet(set.log);
    result.autostart = parser.value(set.autostart);
    if (parser.isSet(set.autostart) && result.autostart != QLatin1String("on") && result.autostart != QLatin1String("off")) {
        result.error = QStringLiteral("--autostart takes on or off, not: %1").arg(result.autostart);
        return result;
    }
    result.showHelp = parser.isSet(set.help);
    result.showVersion = parser.isSet(set.version);
    return result;
}

QString appOptions::helpText()
{
    optionSet set;
    QCommandLineParser parser;
    set.addTo(parser);
    return parser.helpText();
}
