#pragma once

class QTableWidget;

namespace tableFit {

// Columns as wide as their headers and cells, and the table as wide as it must be to show them
// all without a horizontal scroll bar, but no wider than maxWidth.
void toContents(QTableWidget *table, int maxWidth);
// As high as the header and `rows` whole rows: a row cut in half reads as a fault.
void toWholeRows(QTableWidget *table, int rows);

} // namespace tableFit
