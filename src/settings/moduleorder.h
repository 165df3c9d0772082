#pragma once

#include <QList>
#include <QStringList>

// The order list of the modules behind the settings dialog's table: one 1-based old position
// per row, rearranged by the moves and the sort, and the new camera order it stands for. Plain
// data; the table only shows it.
class moduleOrder {
public:
    // Positions 1..count, nothing changed.
    void reset(int count);
    const QList<int> &positions() const { return index; }
    bool changed() const { return changedMark; }
    void clearChanged() { changedMark = false; }

    // The row the selection moves to, or -1 when nothing moved (no row, first or last row).
    int moveUp(int row, int count);
    int moveDown(int row, int count);
    // Positions in ascending order of the names (case-sensitive); needs at least two names.
    // A later module with the same name as an earlier one replaces it, which leaves the list
    // short so that applying it changes nothing.
    bool sortByName(const QStringList &names);

    bool isIdentity() const;
    // Old 0-based indexes in their new order; empty when the positions do not name every one
    // of the count modules.
    QList<int> newOrder(int count) const;

private:
    void resetIfStale(int count);
    int move(int row, int to);

    QList<int> index;
    bool changedMark = false;
};
