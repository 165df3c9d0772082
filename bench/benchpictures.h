#pragma once

// The reference pictures made by make-pictures.sh: <folder>/<size>/f001.jpg ...

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>

namespace benchPictures {

// The folder is the first argument, else $DXCAM_BENCH_DATA, else build/bench-data.
inline QString folder(int argc, char **argv)
{
    if (argc > 1)
        return QString::fromLocal8Bit(argv[1]);
    const QByteArray fromEnvironment = qgetenv("DXCAM_BENCH_DATA");
    return fromEnvironment.isEmpty() ? QStringLiteral("build/bench-data") : QString::fromLocal8Bit(fromEnvironment);
}

inline QList<QByteArray> load(const QString &folder, const QString &size)
{
    QList<QByteArray> pictures;
    const QDir dir(folder + QLatin1Char('/') + size);
    const QStringList names = dir.entryList({QStringLiteral("f*.jpg")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            pictures.append(file.readAll());
    }
    if (pictures.isEmpty())
        std::fprintf(stderr, "no pictures in %s (run make-pictures.sh first)\n", qPrintable(dir.path()));
    return pictures;
}

} // namespace benchPictures
