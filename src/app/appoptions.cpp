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

// The toolkit's own options, which the GUI application takes out of the arguments itself:
// read before it exists, they are neither unknown nor positional.
const char *const qtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                      "qwindowicon", "qwindowtitle", "geometry", "title", "icon", "display", "name",
                                      "visual", "style", "stylesheet", "session", "qmljsdebugger"};
const char *const qtFlagOptions[] = {"reverse", "widgetcount", "testability", "nograb", "dograb", "sync"};

template <std::size_t n>
bool isOneOf(const QString &name, const char *const (&names)[n])
{
    for (const char *candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

// "-platform xcb", "--platform=xcb", "-reverse": taken out with their values.
QStringList withoutToolkitOptions(const QStringList &arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("--")) {
            kept.append(argument);
            continue;
        }
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const bool valueAttached = name.contains(QLatin1Char('='));
        name = name.section(QLatin1Char('='), 0, 0);
        if (isOneOf(name, qtFlagOptions))
            continue;
        if (!isOneOf(name, qtValueOptions)) {
            kept.append(argument);
            continue;
        }
        if (!valueAttached)
            ++i;
    }
    return kept;
}

} // namespace

appOptions appOptions::parse(const QStringList &arguments)
{
    optionSet set;
    QCommandLineParser parser;
    set.addTo(parser);
    appOptions result;
    // An unknown option is a mistake of whoever wrote the command; a launcher adds file names.
    if (!parser.parse(withoutToolkitOptions(arguments))) {
        result.error = parser.errorText();
        return result;
    }
    QStringList ignored;
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

bool appOptions::tracesOff() const
{
    return ask != request::none && !logOn;
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
