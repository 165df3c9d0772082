#include "service.h"
#include "ui_service.h"

#include "camdata.h"
#include "tablefit.h"

#include <QCloseEvent>
#include <QTableWidgetItem>

#include <utility>

namespace {
// Beyond this a long name, URL or reason scrolls instead of widening the dialog.
constexpr int widestTable = 900;
enum column { nameColumn, addressColumn, currentColumn, averageColumn, receivedColumn, displayedColumn, reasonColumn };
} // namespace

service::service(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::service)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->DaTW->setColumnCount(columns);
    ui->DaTW->setRowCount(0);
    retranslate();
}

service::~service()
{
    delete ui;
}

void service::retranslate()
{
    ui->retranslateUi(this);
    ui->DaTW->setHorizontalHeaderLabels({tr("Kamera"), tr("IP"), tr("akt\n[Bild/s]"), tr("sum\n[Bild/s]"),
                                         tr("Empf\n[Bild]"), tr("Disp\n[Bild]"), tr("Zustand")});
    tableFit::toContents(ui->DaTW, widestTable);
}

void service::setCell(int row, int column, const QString &text)
{
    QTableWidgetItem *item = ui->DaTW->item(row, column);
    if (!item)
        return;
    // Refreshed on nearly every tick: the columns are measured again only when a text grew.
    widthsStale = widthsStale || text.size() > item->text().size();
    item->setText(text);
}

void service::setRow(int row, const QString &name, const QString &address)
{
    if (row >= ui->DaTW->rowCount()) {
        const int first = ui->DaTW->rowCount();
        ui->DaTW->setRowCount(row + 1);
        for (int r = first; r <= row; ++r) {
            for (int c = 0; c < columns; ++c)
                ui->DaTW->setItem(r, c, new QTableWidgetItem);
        }
    }
    setCell(row, nameColumn, name);
    setCell(row, addressColumn, address);
}

void service::setCounts(int row, qint64 received, qint64 displayed)
{
    setCell(row, receivedColumn, QString::number(received));
    setCell(row, displayedColumn, QString::number(displayed));
}

void service::setRates(int row, const QString &average, const QString &current)
{
    setCell(row, averageColumn, average);
    setCell(row, currentColumn, current);
}

void service::setInfo(const QString &text)
{
    ui->infoE->setText(text);
}

void service::prepare(const QList<camData *> &cameras, const QTime &now)
{
    for (camData *cam : cameras)
        cam->resetStatistics(now);
    refresh(cameras);
}

void service::refresh(const QList<camData *> &cameras)
{
    // A removed camera leaves no row behind, and a reordered list moves its rows along.
    ui->DaTW->setRowCount(std::min(ui->DaTW->rowCount(), int(cameras.size())));
    for (int row = 0; row < cameras.size(); ++row) {
        const camData *cam = cameras[row];
        setRow(row, cam->camModule.camName, cam->camModule.shownAddress());
        setCounts(row, cam->framesExtracted, cam->framesDisplayed);
        setRates(row, averageText(cam->rateSum, cam->rateSamples), currentText(cam->extractedRate, cam->rateSamples));
        setCell(row, reasonColumn, stateText(*cam));
    }
    if (std::exchange(widthsStale, false))
        tableFit::toContents(ui->DaTW, widestTable);
}

// Why the camera shows nothing, or that it delivers and how.
QString service::stateText(const camData &camera)
{
    if (camera.hasSubStream())
        return camera.streamsText(QStringLiteral("; "));
    const QString reason = camera.notShownReason();
    if (!reason.isEmpty())
        return reason;
    if (camera.isReceiving() && camera.state() == camData::connectionState::connected)
        return tr("verbunden (%1)").arg(camera.transportText());
    return QString();
}

QString service::rateText(qint64 tenths)
{
    return QString::number(double(tenths) / 10.0, 'f', 1);
}

QString service::averageText(qint64 sum, int samples)
{
    return samples > 0 ? rateText(sum / samples) : QStringLiteral("-");
}

QString service::currentText(double rate, int samples)
{
    return samples > 0 ? rateText(qint64(rate)) : QStringLiteral("-");
}

QString service::infoLine(int doorOutput, qint64 seconds)
{
    const QString output = doorOutput == 3   ? QStringLiteral("IO.1")
                           : doorOutput == 4 ? QStringLiteral("IO.2")
                                             : tr("kein");
    return tr("Türausgang der ersten Kamera: %1; Zeit seit dem letzten Ereignis: %2 s").arg(output).arg(seconds);
}

QString service::cellText(int row, int column) const
{
    const QTableWidgetItem *item = ui->DaTW->item(row, column);
    return item ? item->text() : QString();
}

QString service::info() const
{
    return ui->infoE->text();
}

void service::on_servCancPB_clicked()
{
    hide();
}

void service::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
}
