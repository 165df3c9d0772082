#include "historywindow.h"
#include "ui_historywindow.h"

#include "historypicture.h"
#include "recordingplayback.h"
#include "recordingplayer.h"

#include <QDateTime>
#include <QHeaderView>
#include <QShortcut>

namespace {

constexpr int rowHeight = 64;
constexpr int iconWidth = 80;

}  // namespace

historyWindow::historyWindow(const QString &databasePath, const QString &pictureFolder, const shellSettings &settings,
                             QWidget *parent)
    : QWidget(parent, Qt::Window), ui(new Ui::historyWindow), settings(settings), databasePath(databasePath),
      pictures(pictureFolder)
{
    ui->setupUi(this);
    QTableView *view = ui->eventsTV;
    view->setModel(&model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setIconSize(QSize(iconWidth, rowHeight - 4));
    // Rows of one height, columns of set widths: nothing is measured over 100,000 rows.
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(rowHeight);
    QHeaderView *header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    const int widths[] = {iconWidth + 90, 150, 180, 200, 60};
    for (int c = 0; c < int(std::size(widths)); ++c)
        header->resizeSection(c, widths[c]);

    const QDate today = QDate::currentDate();
    ui->fromDE->setDate(today.addDays(-7));
    ui->toDE->setDate(today);
    connect(ui->missedOnlyCB, &QCheckBox::toggled, this, &historyWindow::applyFilter);
    connect(ui->rangeCB, &QCheckBox::toggled, this, [this](bool on) {
        ui->fromDE->setEnabled(on);
        ui->toDE->setEnabled(on);
        applyFilter();
    });
    connect(ui->fromDE, &QDateEdit::dateChanged, this, &historyWindow::applyFilter);
    connect(ui->toDE, &QDateEdit::dateChanged, this, &historyWindow::applyFilter);
    connect(view, &QAbstractItemView::doubleClicked, this, &historyWindow::showPicture);
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *shortcut = new QShortcut(QKeySequence(key), view);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, &historyWindow::showPicture);
    }
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &historyWindow::chosenChanged);
    connect(&model, &QAbstractItemModel::modelReset, this, &historyWindow::chosenChanged);
    connect(ui->pictureShowPB, &QPushButton::clicked, this, &historyWindow::showPicture);
    connect(ui->recordingPB, &QPushButton::clicked, this, &historyWindow::showRecording);
    connect(ui->closePB, &QPushButton::clicked, this, &QWidget::close);
    ensureOpen();
    chosenChanged();
}

historyWindow::~historyWindow()
{
    delete picture;
    delete playerDialog;
    delete ui;
}

QTableView *historyWindow::table() const
{
    return ui->eventsTV;
}

QString historyWindow::missedText(int n)
{
    if (n <= 0)
        return QString();
    return n == 1 ? tr("1 verpasster Ruf") : tr("%1 verpasste Rufe").arg(n);
}

void historyWindow::setEdition(const QString &editionTitle, const QIcon &icon)
{
    title = editionTitle;
    setWindowIcon(icon);
    updateTitle();
}

void historyWindow::setMissed(int n)
{
    missed = n;
    updateTitle();
}

void historyWindow::updateTitle()
{
    QString text = tr("Verlauf");
    if (missed > 0)
        text += QStringLiteral(" – ") + missedText(missed);
    if (!title.isEmpty())
        text += QStringLiteral(" – ") + title;
    setWindowTitle(text);
}

void historyWindow::retranslate()
{
    ui->retranslateUi(this);
    model.retranslate();
    updateTitle();
    chosenChanged();
    if (picture)
        picture->retranslate();
    if (playerDialog)
        playerDialog->retranslate();
}

// The writer may not have made the database yet when the window is made.
bool historyWindow::ensureOpen()
{
    if (model.isOpen())
        return true;
    if (model.open(databasePath, pictures)) {
        ui->noteL->clear();
        return true;
    }
    ui->noteL->setText(databasePath.isEmpty() ? tr("Es wird kein Verlauf geführt (kein Ordner für die Datei).")
                                              : tr("Der Verlauf \"%1\" ist noch nicht da.").arg(databasePath));
    return false;
}

void historyWindow::showInFront()
{
    show();
    refresh();
    raise();
    activateWindow();
}

// Hidden, it has nothing to show: showInFront() reads it again.
void historyWindow::refresh()
{
    if (!isVisible() || !ensureOpen())
        return;
    model.refresh();
    ui->countL->setText(tr("%1 Ereignisse").arg(model.rowCount()));
}

void historyWindow::applyFilter()
{
    historyStore::filter which;
    which.missedOnly = ui->missedOnlyCB->isChecked();
    if (ui->rangeCB->isChecked()) {
        which.fromMs = ui->fromDE->date().startOfDay().toMSecsSinceEpoch();
        which.toMs = ui->toDE->date().addDays(1).startOfDay().toMSecsSinceEpoch();
    }
    model.setFilter(which);
    ui->countL->setText(tr("%1 Ereignisse").arg(model.rowCount()));
}

void historyWindow::chosenChanged()
{
    const QModelIndex chosen = ui->eventsTV->currentIndex();
    ui->pictureShowPB->setEnabled(chosen.isValid());
    if (!chosen.isValid()) {
        whyNot = tr("Kein Ereignis gewählt.");
    } else {
        const historyEvent e = model.eventAt(chosen.row());
        whyNot = recordingPlayback::unavailable(e.recordFolder, e.recordStem, e.startMs);
    }
    ui->recordingPB->setEnabled(whyNot.isEmpty());
    ui->recordingPB->setToolTip(whyNot);
}

QString historyWindow::captionOf(const historyEvent &e) const
{
    return QStringLiteral("%1 – %2 – %3")
        .arg(QDateTime::fromMSecsSinceEpoch(e.startMs).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")),
             e.camName + QStringLiteral(" / ") + e.moduleName, historyModel::kindText(e));
}

void historyWindow::showPicture()
{
    const QModelIndex chosen = ui->eventsTV->currentIndex();
    if (!chosen.isValid())
        return;
    const historyEvent e = model.eventAt(chosen.row());
    if (!picture) {
        picture = new historyPicture(settings, this);
        connect(picture, &historyPicture::recordingRequested, this, &historyWindow::playRecording);
    }
    picture->setWindowTitle(windowTitle());
    picture->present(e, pictures, captionOf(e), recordingPlayback::unavailable(e.recordFolder, e.recordStem, e.startMs));
    picture->show();
    picture->raise();
}

void historyWindow::showRecording()
{
    const QModelIndex chosen = ui->eventsTV->currentIndex();
    if (chosen.isValid())
        playRecording(model.eventAt(chosen.row()));
}

void historyWindow::playRecording(const historyEvent &e)
{
    if (!playerDialog)
        playerDialog = new recordingPlayer(this);
    playerDialog->play(e.recordFolder, e.recordStem, e.startMs, captionOf(e));
    playerDialog->show();
    playerDialog->raise();
}
