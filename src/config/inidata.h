#pragma once

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <variant>

// The configuration store: one INI-style text file beside the program (an installed program keeps
// it in the per-user configuration folder), read once into a list of entries whose values are
// handed to bound program variables, and written anew on save.
// It also owns the diagnostic log file and the scrambling of the stored module passwords.
class iniData : public QObject
{
    Q_OBJECT

public:
    enum typeCode { typeUnknown = 0, typeBool = 1, typeInt = 6, typeReal = 12, typeText = 13 };

    using target = std::variant<std::monostate, bool *, int *, double *, QString *>;

    struct schemaKey {
        int type;
        QString section;  // "***" stands for any module section
        QString key;
    };

    struct entry {
        target var;
        int type = typeUnknown;
        QString section;
        QString key;
        QString value;
    };

    // The file is read in pieces of this many bytes, each taken as a line: a longer line comes
    // back as several. Whatever is written must therefore fit one piece (a line end left over
    // for the next read is dropped).
    static constexpr int readPieceBytes = 1000;
    static constexpr int longestSectionName = readPieceBytes - 2;  // "[" and "]"

    explicit iniData(QObject *parent = nullptr);

    void resolvePaths();
    void resolvePaths(const QString &programPath);
    void useIniPath(const QString &iniPath);
    QString directory() const { return dirPath; }
    QString baseName() const { return base; }
    QString iniPath() const { return iniFile.fileName(); }
    QString logPath() const { return logFilePath; }

    // A file that exists but cannot be read gives the default lines too, and is never written
    // over (writeFile refuses), so that a save cannot replace an installation by the default.
    void loadLines(QStringList &lines, int edition = 0);
    bool usedDefaults() const { return defaultsUsed; }
    bool fileUnreadable() const { return !unreadablePath.isEmpty() && unreadablePath == iniFile.fileName(); }
    QStringList buildDefaultLines(int edition) const;

    void parseLines(QStringList lines);
    static QStringList sectionNames(const QStringList &lines);
    static QStringList sectionBlock(const QStringList &lines, const QString &name);
    void parseSectionBlock(const QStringList &block, const QString &section);
    int typeOfKey(const QString &key) const;

    bool bindKey(bool *var, const QString &section, const QString &key);
    bool bindKey(int *var, const QString &section, const QString &key);
    bool bindKey(double *var, const QString &section, const QString &key);
    bool bindKey(QString *var, const QString &section, const QString &key);
    void applyValues();
    void refreshValues();
    static QString formatValue(const target &var, int type);

    void registerEntry(const target &var, int type, const QString &section, const QString &key,
                       const QString &value);
    void clearEntries() { entryList.clear(); }
    const QList<entry> &entries() const { return entryList; }
    QString valueOf(const QString &section, const QString &key) const;
    bool renameSection(const QString &oldName, const QString &newName);
    void removeSection(const QString &name);

    void setUsedSections(const QStringList &names) { usedSectionList = names; }
    void addUsedSection(const QString &name) { usedSectionList.append(name); }
    QStringList usedSections() const { return usedSectionList; }
    bool nextModuleSection(QString &name) const;

    // After loading: every section of the file that was not used is kept, its lines as read,
    // and written after the entries by every later writeFile, so that nothing that was not
    // loaded is ever deleted. Each is reported once (warn) with reason(section).
    void keepUnloadedSections(const std::function<QString(const QString &section)> &reason);
    const QStringList &keptLines() const { return kept; }

    bool writeFile();

    static QString scrambleText(const QString &text, const QString &address, bool unscramble);

    bool openLog();
    void writeLog(const QString &text);
    bool logIsOpen() const { return logFile.isOpen(); }
    // A problem the installer should learn of: to the debug channel at once and to the log
    // file, where it waits until the log is opened.
    void warn(const QString &text);

private:
    bool bindTarget(const target &var, const QString &section, const QString &key);
    void setPaths(const QString &dir, const QString &baseName, const QString &ini);

    QString dirPath;
    QString base;
    QString logFilePath;
    QFile iniFile;
    QFile logFile;
    QList<schemaKey> schema;
    QList<entry> entryList;
    QStringList usedSectionList;
    bool defaultsUsed = false;
    QString unreadablePath;
    QStringList linesRead;  // as parsed, line ends removed
    QStringList kept;
    QStringList pendingWarnings;
};
