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
    QCommandLineOption show{QStringLiteral("show"),
                            QStringLiteral("Show the running viewer's window (start one where none runs).")};
    QCommandLineOption settings{QStringLiteral("settings"),
                                QStringLiteral("Open the running viewer's settings (start one where none runs).")};
    QCommandLineOption quit{QStringLiteral("quit"), QStringLiteral("End the running viewer, its settings saved.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version.")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(QStringLiteral("Door-intercom camera viewer"));
        // "-minimized" is one unknown word, not nine unknown letters.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({config, log, autostart, show, settings, quit, help, version});
    }
};

QString optionName(const QString &argument)
{
    QString name = argument;
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    return name.section(QLatin1Char('='), 0, 0);
}

// The arguments that name an unknown option, as they were written.
QStringList unknownOptions(const QStringList &arguments, const QStringList &unknownNames)
{
    QStringList found;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--"))
            break;
        if (argument.size() > 1 && argument.startsWith(QLatin1Char('-')) && unknownNames.contains(optionName(argument)))
            found.append(argument);
    }
    return found;
}

} // namespace

appOptions appOptions::parse(const QStringList &arguments)
{
    optionSet set;
    QCommandLineParser parser;
    set.addTo(parser);
    appOptions result;
    QStringList ignored;
    if (!parser.parse(arguments)) {
        // Unknown options are dropped and the rest read again; what fails then is a known
        // option used wrongly.
        ignored = unknownOptions(arguments, parser.unknownOptionNames());
        QStringList known = arguments;
        for (const QString &argument : std::as_const(ignored))
            known.removeOne(argument);
        if (!parser.parse(known)) {
            result.error = parser.errorText();
            return result;
        }
    }
    for (const QString &argument : parser.positionalArguments()) {
        if (!argument.isEmpty())
            ignored.append(argument);
    }
    if (!ignored.isEmpty())
        result.warning = QStringLiteral("Ignoring unknown arguments: %1").arg(ignored.join(QLatin1Char(' ')));
    result.configFile = parser.value(set.config);
    result.logOn = parser.isSet(set.log);
    result.autostart = parser.value(set.autostart);
    if (parser.isSet(set.autostart) && result.autostart != QLatin1String("on") && result.autostart != QLatin1String("off")) {
        result.error = QStringLiteral("--autostart takes on or off, not: %1").arg(result.autostart);
        return result;
    }
    const int requests = int(parser.isSet(set.show)) + int(parser.isSet(set.settings)) + int(parser.isSet(set.quit));
    if (requests > 1) {
        result.error = QStringLiteral("Give only one of --show, --settings and --quit.");
        return result;
    }
    if (parser.isSet(set.show))
        result.ask = request::show;
    else if (parser.isSet(set.settings))
        result.ask = request::settings;
    else if (parser.isSet(set.quit))
        result.ask = request::quit;
    result.showHelp = parser.isSet(set.help);
    result.showVersion = parser.isSet(set.version);
    return result;
}

bool appOptions::needsNoDisplay() const
{
    return !error.isEmpty() || showHelp || showVersion || !autostart.isEmpty() || ask == request::quit;
}

QString appOptions::helpText()
{
    optionSet set;
    QCommandLineParser parser;
    set.addTo(parser);
    return parser.helpText();
}
