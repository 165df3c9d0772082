#pragma once

#include <QList>
#include <QPair>
#include <QString>

class SimOptions;

// Writes the viewer's INI file for the simulated installation, in the layout the viewer writes
// itself: leading empty line, LF line ends, Latin-1, [Window], [System], one section per module.
class IniWriter {
public:
    IniWriter(const SimOptions &options, const QList<quint16> &cameraPorts);

    // With --rtsp: the port each camera serves RTSP on (the option's port when not set).
    void setRtspPorts(const QList<quint16> &ports) { rtspPorts = ports; }

    QByteArray content() const;
    bool write(const QString &path, QString *error) const;

private:
    using Section = QList<QPair<QString, QString>>;

    Section windowSection() const;
    Section systemSection() const;
    Section moduleSection(int index) const;
    QString cameraUrl(int index) const;
    QString subUrl(int index) const;
    static QString cameraName(int index);
    static QString storedPassword(const QString &text, const QString &address);

    const SimOptions &options;
    QList<quint16> cameraPorts;
    QList<quint16> rtspPorts;
};
