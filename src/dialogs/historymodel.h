#pragma once

#include "historystore.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

// The call history as a table, newest first, read from the database a page at a time as the view
// asks for rows, so that a history of 100,000 events opens and scrolls at once. Thumbnails are
// read from their files when a row is shown. GUI thread.
class historyModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum column { pictureColumn, timeColumn, cameraColumn, kindColumn, durationColumn, happenedColumn, columns };
    static constexpr int pageRows = 100;
    static constexpr int keptPages = 50;

    explicit historyModel(QObject *parent = nullptr);

    // False when there is no history to read; lastError() says why.
    bool open(const QString &databasePath, const QString &pictureFolder);
    bool isOpen() const { return store.isOpen(); }
    QString lastError() const { return store.lastError(); }
    QString pictureFolder() const { return pictures; }

    void setFilter(const historyStore::filter &which);
    historyStore::filter filter() const { return current; }
    // The writer wrote rows: new ones come in at the top, changed ones are read again.
    void refresh();
    historyEvent eventAt(int row) const;
    // The texts in the language now in use.
    void retranslate();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static QString kindText(const historyEvent &event);
    static QString durationText(const historyEvent &event);
    static QString happenedText(const historyEvent &event);
    static QString outputText(int output);

private:
    const historyEvent *rowAt(int row) const;
    QVariant thumbnail(const historyEvent &event) const;
    void dropPages();

    historyStore store;
    QString pictures;
    historyStore::filter current;
    int rows = 0;
    mutable QHash<int, QList<historyEvent>> pages;
    mutable QList<int> pageOrder;  // oldest read first
};
