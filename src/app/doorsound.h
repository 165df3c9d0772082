#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSoundEffect;

// The sound played on door events. A sound effect rather than a media player: it needs no
// decoder plugins (a media player crashes where they are missing), and without an audio device
// it stays silent and the viewer carries on. It plays WAV files only: any other file gets one
// warning, instead of silence nobody can explain.
class doorSound {
public:
    enum class fileKind { wave, missing, notWave };

    explicit doorSound(std::function<void(const QString &)> warn);
    ~doorSound();

    void play(const QString &file);
    static fileKind inspect(const QString &file);

private:
    std::function<void(const QString &)> warn;
    std::unique_ptr<QSoundEffect> effect;
    QString effectFile;
    QString warnedFile;
};
