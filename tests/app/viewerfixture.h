#pragma once

#include "appoptions.h"
#include "camdata.h"
#include "owncam.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <memory>

// A viewer on an INI file of the test's own, with modules on loopback addresses only.
struct viewerFixture {
    QTemporaryDir dir;

    // The per-user configuration (the password store) lives in the fixture's folder too.
    viewerFixture() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome())); }
    QString configHome() const { return dir.filePath(QStringLiteral("config")); }

    QString iniPath() const { return dir.filePath(QStringLiteral("dxcamviewer.ini")); }
    QString logPath() const { return dir.filePath(QStringLiteral("dxcamviewer.log")); }

    // [Window] and [System] with the given extra lines, then `modules` module sections.
    void writeIni(int modules, const QString &window = {}, const QString &system = {},
                  const QString &moduleExtra = {}) const
    {
        // The first line of a key wins, so the extra lines go first and override the rest.
        QString text = QStringLiteral("\n[Window]\n") + window
                       + QStringLiteral("x=30.0\ny=40.0\nwidth=640.0\nheight=480.0\nAutohide=0\nBildRahmeEin=1\n"
                                        "\n[System]\n")
                       + system + QStringLiteral("ownIP=127.0.0.1\nHideStartEn=0\n");
        for (int i = 0; i < modules; ++i)
            text += moduleSection(i, moduleExtra);
        writeText(text);
    }

    static QString moduleSection(int i, const QString &extra = {})
    {
        const QString ip = QStringLiteral("127.0.0.%1").arg(2 + i);
        return QStringLiteral("\n[Cam %1_%2]\ncamName=Cam %1\nIP=%2\nsipName=Door %1\nSIP_IP=127.0.1.%3\n")
                   .arg(i)
                   .arg(ip)
                   .arg(2 + i)
               + extra;
    }

    void writeText(const QString &text) const
    {
        QFile file(iniPath());
        file.open(QIODevice::WriteOnly);
        file.write(text.toLatin1());
    }

    QString readIni() const
    {
        QFile file(iniPath());
        file.open(QIODevice::ReadOnly);
        return QString::fromLatin1(file.readAll());
    }

    std::unique_ptr<ownCam> start(bool desktopHasTray = true, bool log = false) const
    {
        return start([desktopHasTray] { return desktopHasTray; }, log);
    }

    // trayAvailable is asked whenever the viewer needs to know whether the desktop has a tray.
    std::unique_ptr<ownCam> start(const ownCam::trayProbe &trayAvailable, bool log = false) const
    {
        appOptions options;
        options.configFile = iniPath();
        options.logOn = log;
        return std::make_unique<ownCam>(options, trayAvailable);
    }

    // A UDP port free on loopback right now, for a status port of the test's own.
    static quint16 freeUdpPort()
    {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        return probe.localPort();
    }

    // One tick, without the event loop, so the test decides when time passes.
    static void tick(ownCam &viewer, int count = 1)
    {
        for (int i = 0; i < count; ++i)
            viewer.tick();
    }
};
