// The INI store and the settings model on whatever lies in the INI file: the file is read, parsed
// and loaded into the global settings and up to 20 module records as the main window does at
// start, then saved by a full rebuild, together with one module added as the settings dialog
// adds one, named by the input's last bytes as a user could type them. Loading what was saved
// must give back every module, and saving that again must write the same file: a save never
// loses or changes what the program runs with.
// fuzz options: -max_len=16384
#include "cameramodule.h"
#include "fuzzinput.h"
#include "inidata.h"
#include "settingsmodel.h"
#include "shellsettings.h"
#include "sipmodule.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <list>
#include <memory>

namespace {

constexpr int moduleMax = 20;

struct module {
    QString section;
    cameraModule cam;
    sipModule sip;
};

// Everything a start loads; the store keeps pointers into it, so it does not move.
struct loaded {
    iniData ini;
    shellSettings shell;
    std::list<module> modules;
};

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// The main window's start-up: read, parse, bind the globals, then the module sections one by
// one until one lacks its names (the rest kept as read), and apply the values once more.
std::unique_ptr<loaded> load(const QString &path)
{
    auto state = std::make_unique<loaded>();
    iniData &ini = state->ini;
    ini.useIniPath(path);
    QStringList lines;
    ini.loadLines(lines);
    ini.parseLines(lines);
    settingsModel::bindGlobals(ini, state->shell);
    ini.applyValues();
    ini.setUsedSections({QStringLiteral("Window"), QStringLiteral("System")});
    settingsModel::loadModules(ini, moduleMax, [&](const QString &section) {
        if (!settingsModel::missingModuleKey(ini, section).isEmpty())
            return false;
        module m;
        m.section = section;
        state->modules.push_back(m);
        module &kept = state->modules.back();
        settingsModel::bindModule(ini, section, kept.cam, kept.sip);
        ini.addUsedSection(section);
        return true;
    });
    ini.applyValues();
    settingsModel::sanitizeGeometry(state->shell);
    for (module &m : state->modules)
        settingsModel::finishModuleLoad(m.cam, m.sip, ini.usedDefaults());
    return state;
}

// A module as the settings dialog adds one; its section is derived from the name on save.
void addTypedModule(loaded &state, const uint8_t *data, size_t size)
{
    const size_t length = std::min<size_t>(size, 40);
    QString name = QString::fromLatin1(reinterpret_cast<const char *>(data + size - length), qsizetype(length));
    // A line edit can hold line breaks; the file cannot, and drops them.
    name.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    if (name.isEmpty() || int(state.modules.size()) >= moduleMax)
        return;
    module m;
    m.cam.camName = name;
    m.cam.IP = QStringLiteral("127.0.0.9");
    m.cam.CAM_Password = name;
    m.sip.sipName = QStringLiteral("Door");
    m.sip.SIP_IP = QStringLiteral("127.0.1.9");
    const QString section = settingsModel::sectionName(m.cam);
    for (const module &other : state.modules) {
        if (settingsModel::sectionName(other.cam) == section)
            return;  // the dialog refuses a second module of the same name
    }
    state.modules.push_back(m);
}

// The quit path's full rebuild, written to `path`.
QByteArray save(loaded &state, const QString &path)
{
    QList<settingsModel::moduleRef> refs;
    for (module &m : state.modules)
        refs.append({&m.cam, &m.sip});
    settingsModel::rebuild(state.ini, state.shell, refs);
    state.ini.useIniPath(path);
    FUZZ_CHECK(state.ini.writeFile(), "a rebuilt configuration was not written");
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly), "the written file cannot be read");
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("input.ini"));
    const QString first = dir.filePath(QStringLiteral("first.ini"));
    const QString second = dir.filePath(QStringLiteral("second.ini"));
    {
        QFile file(input);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input");
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    const std::unique_ptr<loaded> original = load(input);
    FUZZ_CHECK(original->modules.size() <= size_t(moduleMax), "more than 20 modules loaded");
    addTypedModule(*original, data, size);
    // Every module is saved in the section named after its name and address. Where two modules
    // (or a module and a section kept as read) come to the same name, the two are one section in
    // the saved file, and the second block of a name is never read. Only a hand-made file gets
    // there: the settings dialog refuses a second module of a name.
    QStringList sections;
    for (const module &m : original->modules)
        sections.append(settingsModel::sectionName(m.cam));
    for (const QString &line : original->ini.keptLines()) {
        if (line.startsWith(QLatin1Char('[')))
            sections.append(line.mid(1, line.size() - 2));
    }
    if (sections.removeDuplicates() > 0)
        return 0;
    const QByteArray firstText = save(*original, first);

    const std::unique_ptr<loaded> reloaded = load(first);
    if (reloaded->modules.size() != original->modules.size()) {
        for (const module &m : original->modules)
            std::fprintf(stderr, "saved:    [%s]\n", m.section.toLatin1().constData());
        for (const module &m : reloaded->modules)
            std::fprintf(stderr, "reloaded: [%s]\n", m.section.toLatin1().constData());
    }
    FUZZ_CHECK(reloaded->modules.size() == original->modules.size(), "a saved module did not load again");
    auto a = original->modules.begin();
    for (auto b = reloaded->modules.begin(); b != reloaded->modules.end(); ++a, ++b) {
        FUZZ_CHECK(settingsModel::sectionName(a->cam) == b->section, "a saved module came back under another section");
        FUZZ_CHECK(a->cam.camName == b->cam.camName && a->sip.SIP_IP == b->sip.SIP_IP,
                   "a saved module came back changed");
        FUZZ_CHECK(a->cam.CAM_Password == b->cam.CAM_Password && a->sip.SIP_Password == b->sip.SIP_Password,
                   "a saved password came back changed");
    }
    const QByteArray secondText = save(*reloaded, second);
    FUZZ_CHECK(firstText == secondText, "saving what was saved wrote another file");
    return 0;
}
