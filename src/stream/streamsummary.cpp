#include "streamsummary.h"

#include "camerasource.h"

QString streamSummary::line(bool sub, const cameraSource *of, const QString &why, double rate)
{
    const QString which = sub ? tr("Vorschau") : tr("Hauptstrom");
    if (!of)
        return tr("%1: aus").arg(which);
    if (!why.isEmpty())
        return tr("%1: %2").arg(which, why);
    if (of->state() != cameraSource::connectionState::connected || !of->hasPictureToShow())
        return tr("%1: verbindet (%2)").arg(which, of->transportText());
    const QSize size = of->pictureSize();
    return tr("%1: %2, %3 %4×%5, %6/s")
        .arg(which, of->transportText(), of->codecText())
        .arg(size.width())
        .arg(size.height())
        .arg(QString::number(rate, 'f', 1));
}

QString streamSummary::both(const QString &mainLine, const QString &subLine, qint64 switchMs, const QString &separator)
{
    QString text = mainLine + separator + subLine;
    if (switchMs >= 0)
        text += separator + tr("Umschaltzeit: %1 ms").arg(switchMs);
    return text;
}
