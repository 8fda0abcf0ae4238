#include "widgets/table_rows.h"

#include <QHeaderView>
#include <QTableView>

#include "widgets/twips.h"

namespace varnelle {

namespace {
constexpr int rowPaddingTwips = 90;
}  // namespace

void showRowsOfOneLine(QTableView* table) {
    QHeaderView* rows = table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(table->fontMetrics().height() + twipsToPixels(rowPaddingTwips));
}

}  // namespace varnelle
