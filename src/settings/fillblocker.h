#pragma once

#include <QSignalBlocker>
#include <QWidget>

#include <vector>

// Keeps every widget of a page silent while the page is filled by the program: Qt emits
// currentIndexChanged for programmatic changes too, and a slot that writes a record must only
// ever act on what the user chose.
class fillBlocker {
public:
    explicit fillBlocker(QWidget *page)
    {
        const QList<QWidget *> widgets = page->findChildren<QWidget *>();
        blockers.reserve(size_t(widgets.size()));
        for (QWidget *w : widgets)
            blockers.emplace_back(w);
    }

private:
    std::vector<QSignalBlocker> blockers;
};
