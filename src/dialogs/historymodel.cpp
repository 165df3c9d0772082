#include "historymodel.h"

#include <QDateTime>
#include <QDir>
#include <QFont>
#include <QPixmap>
#include <QPixmapCache>

namespace {

QString clockText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("hh:mm:ss"));
}

}  // namespace

historyModel::historyModel(QObject *parent) : QAbstractTableModel(parent)
{
}

bool historyModel::open(const QString &databasePath, const QString &pictureFolder)
{
    beginResetModel();
    pictures = pictureFolder;
    dropPages();
    const bool opened = store.openForReading(databasePath);
    rows = opened ? store.count(current) : 0;
    endResetModel();
    return opened;
}

void historyModel::setFilter(const historyStore::filter &which)
{
    if (which == current)
        return;
    beginResetModel();
    current = which;
    dropPages();
    rows = store.isOpen() ? store.count(current) : 0;
    endResetModel();
}

void historyModel::refresh()
{
    if (!store.isOpen())
        return;
    const int now = store.count(current);
    dropPages();
    if (now > rows) {
        // Newest first: what came is at the top, and the rows the user looks at move down with it.
        beginInsertRows(QModelIndex(), 0, now - rows - 1);
        rows = now;
        endInsertRows();
    } else if (now < rows) {
        beginResetModel();
        rows = now;
        endResetModel();
    }
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
}

void historyModel::retranslate()
{
    emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
}

void historyModel::dropPages()
{
    pages.clear();
    pageOrder.clear();
}

const historyEvent *historyModel::rowAt(int row) const
{
    if (row < 0 || row >= rows)
        return nullptr;
    const int page = row / pageRows;
    auto it = pages.find(page);
    if (it == pages.end()) {
        if (pageOrder.size() >= keptPages)
            pages.remove(pageOrder.takeFirst());
        it = pages.insert(page, store.page(current, page * pageRows, pageRows));
        pageOrder << page;
    }
    const int within = row % pageRows;
    return within < it->size() ? &it->at(within) : nullptr;
}

historyEvent historyModel::eventAt(int row) const
{
    const historyEvent *e = rowAt(row);
    return e ? *e : historyEvent();
}

int historyModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows;
}

int historyModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant historyModel::thumbnail(const historyEvent &e) const
{
    if (e.thumbnail.isEmpty())
        return QVariant();
    const QString path = QDir(pictures).filePath(e.thumbnail);
    QPixmap pixmap;
    if (!QPixmapCache::find(path, &pixmap)) {
        if (!pixmap.load(path))
            return QVariant();
        QPixmapCache::insert(path, pixmap);
    }
    return pixmap;
}

QVariant historyModel::data(const QModelIndex &index, int role) const
{
    const historyEvent *e = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!e)
        return QVariant();
    if (role == Qt::FontRole && e->missed()) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    switch (index.column()) {
    case pictureColumn:
        if (role == Qt::DecorationRole)
            return thumbnail(*e);
        if (role == Qt::DisplayRole && e->thumbnail.isEmpty())
            return e->noPicture.isEmpty() && !e->ended() ? QStringLiteral("…") : tr("kein Bild");
        if (role == Qt::ToolTipRole && e->thumbnail.isEmpty())
            return e->noPicture;
        break;
    case timeColumn:
        if (role == Qt::DisplayRole)
            return QDateTime::fromMSecsSinceEpoch(e->startMs).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        break;
    case cameraColumn:
        if (role == Qt::DisplayRole)
            return e->camName + QStringLiteral(" / ") + e->moduleName;
        if (role == Qt::ToolTipRole)
            return e->station;
        break;
    case kindColumn:
        if (role == Qt::DisplayRole)
            return kindText(*e);
        break;
    case durationColumn:
        if (role == Qt::DisplayRole)
            return durationText(*e);
        if (role == Qt::ToolTipRole && e->ended() && !e->endReported)
            return tr("Ohne Endemeldung: beendet nach der Zeit \"Auto-Minimieren\".");
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case happenedColumn:
        if (role == Qt::DisplayRole)
            return happenedText(*e);
        break;
    default:
        break;
    }
    return QVariant();
}

QVariant historyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case pictureColumn:
        return tr("Bild");
    case timeColumn:
        return tr("Zeit");
    case cameraColumn:
        return tr("Kamera / Sprechstelle");
    case kindColumn:
        return tr("Art");
    case durationColumn:
        return tr("Dauer");
    case happenedColumn:
        return tr("Was geschah");
    default:
        return QVariant();
    }
}

QString historyModel::kindText(const historyEvent &e)
{
    QString text;
    switch (e.what) {
    case historyEvent::kind::beingCalled:
        text = tr("Sprechstelle wird gerufen");
        break;
    case historyEvent::kind::calling:
        text = tr("Sprechstelle ruft an");
        break;
    case historyEvent::kind::conversation:
        text = tr("Gespräch");
        break;
    case historyEvent::kind::input1:
        return tr("Eingang 1");
    case historyEvent::kind::input2:
        return tr("Eingang 2");
    }
    return e.callee.isEmpty() ? text : text + QStringLiteral(" (") + e.callee + QLatin1Char(')');
}

QString historyModel::durationText(const historyEvent &e)
{
    if (!e.ended())
        return tr("läuft");
    const qint64 seconds = (e.endMs - e.startMs + 500) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString historyModel::outputText(int output)
{
    switch (output) {
    case 1:
        return tr("Türöffner Relais");
    case 2:
        return tr("Licht Relais");
    case 3:
        return QStringLiteral("IO.1");
    case 4:
        return QStringLiteral("IO.2");
    default:
        return QString::number(output);
    }
}

QString historyModel::happenedText(const historyEvent &e)
{
    QStringList said;
    if (e.missed())
        said << tr("verpasst");
    if (e.shown)
        said << tr("Bild gezeigt");
    if (e.userShown)
        said << tr("Fenster geöffnet");
    if (e.talked)
        said << tr("Gespräch");
    if (e.panel)
        said << tr("Bedienfeld");
    if (e.doorMs != 0)
        said << tr("Tür geöffnet %1 (%2)").arg(clockText(e.doorMs), outputText(e.doorOutput));
    if (e.light)
        said << tr("Licht");
    if (e.hungUp)
        said << tr("aufgelegt");
    return said.join(QStringLiteral(", "));
}
