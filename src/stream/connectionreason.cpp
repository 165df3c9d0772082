#include "connectionreason.h"

bool connectionReason::set(kind what, const QString &detail)
{
    if (what == reason && detail == extra)
        return false;
    reason = what;
    extra = detail;
    return true;
}

QString connectionReason::text() const
{
    switch (reason) {
    case kind::none:
        return QString();
    case kind::refused:
        return tr("Verbindung abgelehnt");
    case kind::noAnswer:
        return tr("Keine Antwort");
    case kind::loginRefused:
        return tr("Anmeldung abgelehnt (401)");
    case kind::loginUnsupported:
        return tr("Anmeldung abgelehnt (401): kein unterstütztes Anmeldeverfahren angeboten");
    case kind::notFound:
        return tr("Nicht gefunden (404)");
    case kind::otherStatus:
        return tr("Die Kamera antwortet mit Status %1").arg(extra);
    case kind::certificateUntrusted:
        return tr("Zertifikat nicht vertraut (SHA-256 %1)").arg(extra);
    case kind::certificateChanged:
        return tr("Zertifikat geändert: die Kamera zeigt ein anderes als das vertraute (SHA-256 %1)").arg(extra);
    case kind::badAnswer:
        return tr("Unverständliche Antwort");
    case kind::noPictures:
        return tr("Keine Bilder in der Antwort");
    case kind::stalled:
        return tr("Bilder bleiben aus");
    case kind::closed:
        return tr("Verbindung von der Kamera beendet");
    case kind::unknownCodec:
        return tr("Unbekanntes Bildformat: %1").arg(extra);
    case kind::redirected:
        return tr("Umleitung auf anderen Host: %1").arg(extra);
    case kind::tooLarge:
        return tr("Bild zu groß");
    case kind::unreadable:
        return tr("Bilder nicht lesbar");
    }
    return QString();
}

QString connectionReason::logText() const
{
    return reason == kind::none ? tr("Bilder kommen an") : text();
}
