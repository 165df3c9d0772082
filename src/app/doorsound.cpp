#include "doorsound.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSoundEffect>
#include <QUrl>

doorSound::doorSound(std::function<void(const QString &)> warnFunction) : warn(std::move(warnFunction)) {}

doorSound::~doorSound() = default;

doorSound::fileKind doorSound::inspect(const QString &file)
{
    QFile sound(file);
    if (!sound.open(QIODevice::ReadOnly))
        return fileKind::missing;
    const QByteArray head = sound.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.endsWith("WAVE") ? fileKind::wave
                                                                                 : fileKind::notWave;
}

void doorSound::play(const QString &file)
{
    if (effect && effectFile == file) {
        effect->play();
        return;
    }
    const fileKind kind = inspect(file);
    if (kind != fileKind::wave) {
        if (warnedFile != file && warn) {
            const QString shown = QDir::toNativeSeparators(file);
            warn(kind == fileKind::missing
                     ? QCoreApplication::translate("doorSound", "Audio-Effekt \"%1\" kann nicht gelesen werden.").arg(shown)
                     : QCoreApplication::translate("doorSound", "Audio-Effekt \"%1\" ist keine WAV-Datei und wird nicht "
                                                                "abgespielt.").arg(shown));
        }
        warnedFile = file;
        return;
    }
    effect = std::make_unique<QSoundEffect>();
    effect->setSource(QUrl::fromLocalFile(file));
    effectFile = file;
    effect->play();
}
