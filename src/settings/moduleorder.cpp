#include "moduleorder.h"

#include <QMap>

void moduleOrder::reset(int count)
{
    index.clear();
    for (int i = 1; i <= count; ++i)
        index.append(i);
    changedMark = false;
}

void moduleOrder::resetIfStale(int count)
{
    if (index.size() != count) {
        const bool wasChanged = changedMark;
        reset(count);
        changedMark = wasChanged;
    }
}

int moduleOrder::move(int row, int to)
{
    index.move(row, to);
    changedMark = true;
    return to;
}

int moduleOrder::moveUp(int row, int count)
{
    resetIfStale(count);
    if (row <= 0 || row >= count)
        return -1;
    return move(row, row - 1);
}

int moduleOrder::moveDown(int row, int count)
{
    resetIfStale(count);
    if (row < 0 || row >= count - 1)
        return -1;
    return move(row, row + 1);
}

bool moduleOrder::sortByName(const QStringList &names)
{
    resetIfStale(int(names.size()));
    if (names.size() < 2)
        return false;
    QMap<QString, int> byName;
    for (int i = 0; i < names.size(); ++i)
        byName.insert(names.at(i), i + 1);
    index = byName.values();
    changedMark = true;
    return true;
}

bool moduleOrder::isIdentity() const
{
    for (int i = 0; i < index.size(); ++i) {
        if (index.at(i) != i + 1)
            return false;
    }
    return true;
}

QList<int> moduleOrder::newOrder(int count) const
{
    QList<int> order;
    for (int position : index) {
        if (position >= 1 && position <= count && !order.contains(position - 1))
            order.append(position - 1);
    }
    if (order.size() != count)
        return {};
    return order;
}
