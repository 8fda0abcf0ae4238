// The windows' tables show one line of text per row, the height of the font
// and a little air, with no row numbers: the same look in every window.
#pragma once

class QTableView;

namespace varnelle {

void showRowsOfOneLine(QTableView* table);

}  // namespace varnelle
