// What the caption bar of a window of fixed size offers: only what works
// (the toolkit's defaults for a window add a maximise button, which does
// nothing when the size is fixed), and the picture it shows.
#pragma once

#include <QString>
#include <Qt>

namespace varnelle {

inline constexpr Qt::WindowFlags fixedWindowFrame =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

// The application's picture, in the windows' caption bars and the about box.
inline QString applicationPicture() {
    return QStringLiteral(":/images/application.png");
}

}  // namespace varnelle
