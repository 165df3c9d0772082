#include "tablefit.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

namespace tableFit {

void toContents(QTableWidget *table, int maxWidth)
{
    table->resizeColumnsToContents();
    const QHeaderView *rowHeader = table->verticalHeader();
    // Room for the vertical scroll bar too, so that more rows never bring the horizontal one.
    const int wanted = table->horizontalHeader()->length() + 2 * table->frameWidth()
                       + (rowHeader->isHidden() ? 0 : rowHeader->sizeHint().width())
                       + table->verticalScrollBar()->sizeHint().width();
    table->setMinimumWidth(std::min(wanted, maxWidth));
}

void toWholeRows(QTableWidget *table, int rows)
{
    const QHeaderView *header = table->horizontalHeader();
    const int height = (header->isHidden() ? 0 : header->sizeHint().height())
                       + rows * table->verticalHeader()->defaultSectionSize() + 2 * table->frameWidth();
    table->setFixedHeight(height);
}

} // namespace tableFit
