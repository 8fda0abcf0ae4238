// The font of the program's windows: MS Sans Serif where the system has it,
// else Liberation Sans, a free sans-serif with the metrics of Arial that the
// set-up scripts install from Debian.
#pragma once

#include <QFont>
#include <QString>

namespace varnelle {

QString windowFontFamily();

// The size of the main window's font: MS Sans Serif 8.25 pt as designed. Its
// stand-in draws wider at the same size; at 7.5 pt (10 pixels at 96 dpi) every
// caption fits the boxes that were laid out for MS Sans Serif.
double mainWindowPointSize();

// The window font at the given size.
QFont windowFont(double pointSize, bool bold = false);

}  // namespace varnelle
