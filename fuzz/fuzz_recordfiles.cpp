// The naming of picture and video files, on any camera name and picture folder a user or an INI
// file may hold: the name part never leads out of its folder, never turns the file name into
// nothing, "." or "..", and keeps within the file name limit; a file created with it lies in the
// picture folder under exactly that name.
//
// Input: a switch byte (bit 0: the automatic recorder's naming; bit 1: the name as raw UTF-16,
// lone surrogates and all; bit 2: create the file for real), the folder's length, the folder,
// then the camera name.
#include "fuzzinput.h"
#include "recordfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QString nameFrom(const QByteArray &bytes, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(bytes);
    return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
}

void checkPart(const QString &part, bool automatic)
{
    // The stamp, a collision suffix "_1000" and the extension must still fit into 255 bytes.
    FUZZ_CHECK(part.toUtf8().size() <= 200, "name part too long");
    for (const char32_t c : part.toUcs4()) {
        FUZZ_CHECK(c >= 0x20 && c != 0x7F, "control character in a name");
        FUZZ_CHECK(c != '/' && c != '\\', "path separator in a name");
        FUZZ_CHECK(c < 0xD800 || c > 0xDFFF, "lone surrogate in a name");
        if (automatic)
            FUZZ_CHECK(c != ' ' && c != '-', "blank or dash in an automatic name");
    }
}

void checkFileName(const QString &fileName)
{
    FUZZ_CHECK(!fileName.isEmpty() && fileName != QLatin1String(".") && fileName != QLatin1String(".."),
               "empty or dot file name");
    FUZZ_CHECK(fileName.toUtf8().size() + 5 <= 255, "file name beyond the file system's limit");
}

// The file's path is the folder's path plus the name and nothing else.
void checkPath(const QString &folder, const QString &fileName)
{
    const QString path = QDir(folder).filePath(fileName);
    const QFileInfo info(path);
    FUZZ_CHECK(info.fileName() == fileName, "the name was split into folders");
    FUZZ_CHECK(QDir::cleanPath(info.path()) == QDir::cleanPath(QDir(folder).path()), "the file lies outside its folder");
}

void checkCreated(const QString &stem, const QString &fileName)
{
    static QTemporaryDir folder;
    FUZZ_CHECK(folder.isValid(), "no temporary folder");
    QFile file;
    FUZZ_CHECK(recordFiles::createNew(file, folder.path(), stem, recordFiles::videoExtension),
               "a sanitised name could not be created");
    const QFileInfo created(file.fileName());
    file.close();
    FUZZ_CHECK(created.exists(), "the created file is not there");
    FUZZ_CHECK(created.fileName() == fileName, "the file was created under another name");
    FUZZ_CHECK(created.canonicalPath() == QFileInfo(folder.path()).canonicalFilePath(), "the file was created elsewhere");
    FUZZ_CHECK(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size() == 1,
               "more than the one file in the folder");
    file.remove();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInput input(data, size);
    const uint8_t switches = input.byte();
    const bool automatic = switches & 1;
    const QString folder = QString::fromUtf8(input.bytes(input.byte()));
    const QString name = nameFrom(input.rest(), switches & 2);

    const QString part = automatic ? recordFiles::automaticName(name) : recordFiles::safeName(name);
    checkPart(part, automatic);
    const QString stem = recordFiles::timeStamp(QDateTime(QDate(2026, 12, 8), QTime(5, 28, 10))) + part;
    FUZZ_CHECK(stem.startsWith(QLatin1String("20261208_052810_")), "the stamp does not lead the name");
    const QString fileName = stem + recordFiles::videoExtension;
    checkFileName(fileName);
    checkPath(folder, fileName);
    if (switches & 4)
        checkCreated(stem, fileName);
    return 0;
}
