#include "recordingfile.h"

#include "recordfiles.h"
#include "tracecategory.h"

#include <QDateTime>

extern "C" {
#include <libavcodec/packet.h>
}

bool recordingFile::open(const QString &folder, const QString &name, bool packetFile)
{
    packets = packetFile;
    good = 0;
    if (!recordFiles::createNew(file, folder, recordFiles::timeStamp(QDateTime::currentDateTime()) + name,
                                packets ? recordFiles::matroskaExtension : recordFiles::videoExtension))
        return false;
    if (packets)
        mkv.begin(&file);
    return true;
}

bool recordingFile::writePicture(const QByteArray &picture)
{
    if (!recordFiles::writeAll(file, picture))
        return false;
    good += picture.size();
    return true;
}

// Nothing falls between two files: the packet that starts the next file is its first.
recordingFile::packetResult recordingFile::writePacket(const cameraPacket &packet, qint64 timeMs,
                                                       const std::function<bool()> &renew)
{
    if (pastLimit() && (packet.packet->flags & AV_PKT_FLAG_KEY) && !renew())
        return packetResult::noFile;
    mkvWriter::result written = mkv.write(packet, timeMs);
    if (written == mkvWriter::result::newFileNeeded) {
        if (!renew())
            return packetResult::noFile;
        written = mkv.write(packet, timeMs);
    }
    switch (written) {
    case mkvWriter::result::written:
        good = mkv.size();
        return packetResult::written;
    case mkvWriter::result::failed:
        return packetResult::failed;
    case mkvWriter::result::skipped:
    case mkvWriter::result::newFileNeeded:
        break;
    }
    return packetResult::skipped;
}

void recordingFile::close()
{
    if (file.isOpen() && packets && !mkv.finish())
        qCDebug(dxcamTrace).noquote() << QStringLiteral("##### %1 unvollständig: %2: %3").arg(what, path(), mkv.errorText());
    cutOff();
}

// A picture written in part would break the file for a reader; a Matroska file holds its own
// structure up to where it was written.
void recordingFile::cutOff()
{
    recordFiles::closeRecording(file, packets && good > 0 ? file.size() : good);
    good = 0;
}
