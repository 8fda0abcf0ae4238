// The font of the program's windows: MS Sans Serif where the system has it,
// else Liberation Sans, a free sans-serif with the metrics of Arial that the
// set-up scripts install from Debian.
#pragma once

#include <QFont>
#include <QString>

namespace varnelle {

QString windowFontFamily();

// The window font at the given size; 8.25 pt is the size of the main window.
QFont windowFont(double pointSize = 8.25, bool bold = false);

}  // namespace varnelle
