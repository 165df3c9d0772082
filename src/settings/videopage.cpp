#include "videopage.h"
#include "ui_videopage.h"

#include "fillblocker.h"
#include "pagerules.h"
#include "settingsrequests.h"
#include "shellsettings.h"
#include "tablefit.h"

#include <QHeaderView>

namespace {
constexpr int fontSizes[] = {10, 15, 20};
constexpr double geometryMax = 2000;
// Beyond this long module names scroll instead of widening the dialog.
constexpr int widestOrderTable = 480;
constexpr int orderRowsShown = 4;
} // namespace

videoPage::videoPage(int FaVers, shellSettings &settings, settingsRequests &requests, QWidget *parent)
    : QWidget(parent), ui(new Ui::videoPage), settings(settings), requests(requests), edition(FaVers)
{
    ui->setupUi(this);
    for (QCheckBox *box : {ui->funLeisteCB, ui->statusUntenCB, ui->stopCAMinHideChB, ui->closeEnCB,
                           ui->allePopupCB, ui->alleMinCB})
        box->hide();
    if (FaVers == 1) {
        ui->FlankeRB->hide();
        ui->einzelBildPopupCB->hide();
    }
    if (FaVers == 2)
        ui->einzelBildPopupCB->hide();
    ui->sortTW->setColumnCount(3);
    ui->sortTW->verticalHeader()->hide();
    texts();
    connectImmediate();
}

void videoPage::texts()
{
    if (edition == 1)
        ui->getrentePopupChB->setText(tr("Videostream-Einzelanzeige"));
    ui->sortTW->setHorizontalHeaderLabels({tr("Pos."), tr("Kamera"), tr("Sprechstelle")});
    tableFit::toContents(ui->sortTW, widestOrderTable);
    tableFit::toWholeRows(ui->sortTW, orderRowsShown);
    showGridHint();
}

void videoPage::retranslate()
{
    ui->retranslateUi(this);
    texts();
}

videoPage::~videoPage()
{
    delete ui;
}

void videoPage::connectImmediate()
{
    for (QLineEdit *field : {ui->reiheE, ui->spalE})
        connect(field, &QLineEdit::textChanged, this, &videoPage::showGridHint);
    connect(ui->bildRahmeEinCB, &QCheckBox::clicked, this, [this](bool on) {
        settings.BildRahmeEin = on;
        requests.refreshWindowFlags = true;
    });
    connect(ui->closeEnCB, &QCheckBox::clicked, this, [this](bool on) {
        settings.closeEn = on;
        requests.refreshWindowFlags = true;
    });
    connect(ui->schrifftGroseCB, &QComboBox::currentIndexChanged, this, &videoPage::chooseFont);
    connect(ui->autoPopCB, &QCheckBox::clicked, this, &videoPage::autoPopupToggled);
    connect(ui->allePopupCB, &QCheckBox::clicked, this, [this](bool on) { settings.pop_Alle = on; });
    connect(ui->alleMinCB, &QCheckBox::clicked, this, [this](bool on) { settings.min_Alle = on; });
    connect(ui->autoMinCB, &QCheckBox::clicked, this, [this](bool on) { settings.Autohide = on; });
    connect(ui->TimeRB, &QRadioButton::clicked, this, [this](bool on) { if (on) settings.Flanke = false; });
    connect(ui->FlankeRB, &QRadioButton::clicked, this, [this](bool on) { settings.Flanke = on; });
    connect(ui->einzelBildPopupCB, &QCheckBox::clicked, this, [this](bool on) {
        settings.einzelBild = on;
        requests.pictureLayout = true;
    });
    connect(ui->getrentePopupChB, &QCheckBox::clicked, this, &videoPage::ownWindowChosen);
    connect(ui->freiRB, &QRadioButton::clicked, this, [this] { chooseScale(0); });
    connect(ui->breiteRB, &QRadioButton::clicked, this, [this] { chooseScale(1); });
    connect(ui->hoheRB, &QRadioButton::clicked, this, [this] { chooseScale(2); });
    connect(ui->startServPB, &QPushButton::clicked, this, [this] { requests.openStatistics = true; });
    connect(ui->layModPB, &QPushButton::clicked, this, [this] { requests.toggleView = true; });
    connect(ui->moveUpTB, &QToolButton::clicked, this, [this] { requests.moveUp = true; });
    connect(ui->moveDownTB, &QToolButton::clicked, this, [this] { requests.moveDown = true; });
    connect(ui->sortAbcTB, &QToolButton::clicked, this, [this] { requests.sortByName = true; });
}

int videoPage::fontPixelSize(int index)
{
    return fontSizes[qBound(0, index, 2)];
}

void videoPage::chooseFont(int index)
{
    // -1 comes from an emptied box, not from a choice.
    if (index < 0)
        return;
    emit overlayPixelSizeChosen(fontPixelSize(index));
    settings.TextGroese = index;
}

void videoPage::chooseScale(int mode)
{
    settings.scaleMode = mode;
    requests.pictureLayout = true;
}

void videoPage::ownWindowChosen(bool on)
{
    settings.OwnPopWin = on;
    if (on) {
        settings.einzelBild = false;
        ui->einzelBildPopupCB->setChecked(false);
        ui->autoMinCB->setChecked(true);
    }
    applyOwnWindowRules(on);
}

// The separate popup window shows one picture and hides itself: the single-picture pop-up and
// the choice of auto-hide make no sense beside it, while "Alle" only means something with it.
void videoPage::applyOwnWindowRules(bool own)
{
    ui->einzelBildPopupCB->setEnabled(!own);
    ui->autoMinCB->setEnabled(!own);
    ui->alleMinCB->setEnabled(own);
    ui->allePopupCB->setEnabled(own);
}

void videoPage::fill()
{
    {
        const fillBlocker silent(this);
        showGeometry(settings.x, settings.y, settings.width, settings.height);
        ui->bildRahmeEinCB->setChecked(settings.BildRahmeEin);
        ui->schrifftGroseCB->setCurrentIndex(qBound(0, settings.TextGroese, 2));
        ui->closeEnCB->setChecked(settings.closeEn);
        ui->stopCAMinHideChB->setChecked(settings.stopInHide);
        ui->autoPopCB->setChecked(settings.Auto_Popup);
        ui->allePopupCB->setChecked(settings.pop_Alle);
        ui->funLeisteCB->setChecked(settings.Toolbar);
        ui->autoMinCB->setChecked(settings.Autohide);
        ui->alleMinCB->setChecked(settings.min_Alle);
        ui->TimeRB->setChecked(!settings.Flanke);
        ui->FlankeRB->setChecked(settings.Flanke);
        ui->autoMinE->setText(QString::number(settings.Timeout));
        ui->einzelBildPopupCB->setChecked(settings.einzelBild);
        ui->getrentePopupChB->setChecked(settings.OwnPopWin);
        ui->freiRB->setChecked(settings.scaleMode != 1 && settings.scaleMode != 2);
        ui->breiteRB->setChecked(settings.scaleMode == 1);
        ui->hoheRB->setChecked(settings.scaleMode == 2);
        ui->reiheE->setText(QString::number(settings.nPicRow));
        ui->spalE->setText(QString::number(settings.nPicCol));
    }
    applyOwnWindowRules(settings.OwnPopWin);
    showGridHint();
    emit autoPopupToggled(settings.Auto_Popup);
}

void videoPage::showGeometry(double x, double y, double width, double height)
{
    const fillBlocker silent(this);
    ui->pos0xE->setText(QString::number(x));
    ui->pos0yE->setText(QString::number(y));
    ui->wideE->setText(QString::number(width));
    ui->highE->setText(QString::number(height));
}

void videoPage::store(QStringList &replaced)
{
    const QString position = pageRules::fieldName({ui->posL});
    const QString size = pageRules::fieldName({ui->sizeL});
    const double x = pageRules::storeReal(ui->pos0xE, position, 0, geometryMax, settings.x, replaced);
    const double y = pageRules::storeReal(ui->pos0yE, position, 0, geometryMax, settings.y, replaced);
    const double width = pageRules::storeReal(ui->wideE, size, 0, geometryMax, settings.width, replaced);
    const double height = pageRules::storeReal(ui->highE, size, 0, geometryMax, settings.height, replaced);
    if (x != settings.x || y != settings.y || width != settings.width || height != settings.height)
        requests.applyGeometry = true;
    settings.x = x;
    settings.y = y;
    settings.width = width;
    settings.height = height;

    settings.Auto_Popup = ui->autoPopCB->isChecked();
    settings.Toolbar = ui->funLeisteCB->isChecked();
    settings.Autohide = ui->autoMinCB->isChecked();
    settings.Flanke = ui->FlankeRB->isChecked();
    settings.OwnPopWin = ui->getrentePopupChB->isChecked();
    settings.min_Alle = ui->alleMinCB->isChecked();
    settings.pop_Alle = ui->allePopupCB->isChecked();
    settings.closeEn = ui->closeEnCB->isChecked();

    settings.Timeout = pageRules::storeInt(ui->autoMinE, pageRules::fieldName({ui->autoMinCB}), 0, 1000,
                                           settings.Timeout, replaced);
    const int rows = pageRules::storeInt(ui->reiheE, pageRules::fieldName({ui->reiheL}), 1, 10, settings.nPicRow, replaced);
    const int columns = pageRules::storeInt(ui->spalE, pageRules::fieldName({ui->spalL}), 1, 10, settings.nPicCol,
                                            replaced);
    if (rows != settings.nPicRow || columns != settings.nPicCol)
        requests.pictureLayout = true;
    settings.nPicRow = rows;
    settings.nPicCol = columns;

    chooseFont(ui->schrifftGroseCB->currentIndex());
    settings.einzelBild = ui->einzelBildPopupCB->isChecked();
    settings.stopInHide = ui->stopCAMinHideChB->isChecked();
}

void videoPage::showOrder(const QStringList &camNames, const QStringList &sipNames)
{
    QTableWidget *table = ui->sortTW;
    table->clearContents();
    table->setRowCount(int(camNames.size()));
    for (int row = 0; row < camNames.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        table->setItem(row, 1, new QTableWidgetItem(camNames.at(row)));
        table->setItem(row, 2, new QTableWidgetItem(sipNames.value(row)));
    }
    tableFit::toContents(table, widestOrderTable);
    moduleNames = camNames;
    showGridHint();
}

// Modules beyond rows × columns get tiles below the window: the page says which, while the
// numbers are typed.
void videoPage::showGridHint()
{
    bool rowsOk = false;
    bool columnsOk = false;
    const int rows = ui->reiheE->text().trimmed().toInt(&rowsOk);
    const int columns = ui->spalE->text().trimmed().toInt(&columnsOk);
    const qsizetype shown = qsizetype(rowsOk && rows > 0 ? rows : settings.nPicRow)
                            * (columnsOk && columns > 0 ? columns : settings.nPicCol);
    ui->gridHintL->setVisible(shown < moduleNames.size());
    if (shown >= moduleNames.size())
        return;
    ui->gridHintL->setText(tr("Das Raster zeigt %1 von %2 Modulen, nicht zu sehen: %3. Bitte Reihen oder Spalten "
                              "erhöhen.")
                               .arg(shown)
                               .arg(moduleNames.size())
                               .arg(moduleNames.mid(shown).join(QStringLiteral(", "))));
}

void videoPage::showPositions(const QList<int> &positions)
{
    for (int row = 0; row < positions.size() && row < ui->sortTW->rowCount(); ++row)
        ui->sortTW->setItem(row, 0, new QTableWidgetItem(QString::number(positions.at(row))));
}

int videoPage::selectedOrderRow() const
{
    int row = -1;
    for (const QTableWidgetSelectionRange &range : ui->sortTW->selectedRanges()) {
        if (row < 0 || range.topRow() < row)
            row = range.topRow();
    }
    return row;
}

void videoPage::selectOrderRow(int row)
{
    ui->sortTW->clearSelection();
    if (row >= 0 && row < ui->sortTW->rowCount())
        ui->sortTW->selectRow(row);
}
