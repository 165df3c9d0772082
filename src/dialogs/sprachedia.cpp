#include "sprachedia.h"
#include "tracecategory.h"
#include "ui_sprachedia.h"

#include "edition.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

spracheDia::spracheDia(int FaVers, QWidget *parent, const QStringList &folders)
    : QDialog(parent)
    , FaVers(FaVers)
    , folders(folders)
    , german(new QTranslator(this))
    , ui(new Ui::spracheDia)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Closing this dialog never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    retranslate();
    showInEffect();
}

spracheDia::~spracheDia()
{
    delete ui;
}

void spracheDia::scan(const QString &name)
{
    baseName = name;
    qDeleteAll(translators);
    translators.clear();
    current = -1;
    entries = translationFiles::find(folders, baseName);
    QStringList names;
    for (const translationFiles::entry &e : std::as_const(entries))
        names.append(e.path);
    qCDebug(dxcamTrace).noquote() << "spracheDia::scan() :: -->> translations:" << names.join(QStringLiteral(", "));
    for (int i = 0; i < entries.size(); ++i)
        translators.append(new QTranslator(this));
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!german->load(QStringLiteral("qt_de"), qtFolder) && !german->load(QStringLiteral("qtbase_de"), qtFolder))
        qCDebug(dxcamTrace).noquote() << "spracheDia::scan() :: -->> no German Qt texts in" << qtFolder;
    showInEffect();
}

bool spracheDia::germanQtTextsLoaded() const
{
    return !german->isEmpty();
}

void spracheDia::useGerman()
{
    if (!german->isEmpty())
        QCoreApplication::installTranslator(german);
    if (current >= 0) {
        QCoreApplication::removeTranslator(translators[current]);
        current = -1;
        changed = true;
    }
}

void spracheDia::apply(int index)
{
    if (index < 0) {
        useGerman();
        showInEffect();
        return;
    }
    if (index >= entries.size() || index == current)
        return;
    QTranslator *translator = translators[index];
    if (!translator->load(entries[index].path)) {
        qCDebug(dxcamTrace).noquote() << "spracheDia::apply() :: -->> cannot load" << entries[index].path;
        useGerman();
        showInEffect();
        return;
    }
    if (current >= 0)
        QCoreApplication::removeTranslator(translators[current]);
    QCoreApplication::removeTranslator(german);
    QCoreApplication::installTranslator(translator);
    current = index;
    changed = true;
    showInEffect();
    retranslate();
}

int spracheDia::languageValue() const
{
    if (!ui->enRB->isChecked())
        return -1;
    return current >= 0 ? current : englishIndex();
}

bool spracheDia::takeChanged()
{
    const bool was = changed;
    changed = false;
    return was;
}

void spracheDia::showInEffect()
{
    ui->enRB->setEnabled(current >= 0 || englishIndex() >= 0);
    (current >= 0 ? ui->enRB : ui->deRB)->setChecked(true);
}

void spracheDia::prepare()
{
    showInEffect();
    show();
    raise();
    activateWindow();
}

void spracheDia::retranslate()
{
    ui->retranslateUi(this);
    const edition ed = edition::forVersion(FaVers);
    setWindowTitle(ed.translatedTitle());
    setWindowIcon(QIcon(ed.iconPath));
}

void spracheDia::on_okPB_clicked()
{
    if (ui->deRB->isChecked())
        apply(-1);
    else if (ui->enRB->isChecked())
        apply(englishIndex());
    emit languageChosen(languageValue());
    hide();
}

void spracheDia::on_cancelPB_clicked()
{
    hide();
}
