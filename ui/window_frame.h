// What the caption bar of a window of fixed size offers: only what works.
// The toolkit's defaults add a maximise button that does nothing, and leave
// a box's frame to the window manager, which then offers to minimise and
// maximise it too.
#pragma once

#include <Qt>

namespace varnelle {

inline constexpr Qt::WindowFlags fixedWindowFrame =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

inline constexpr Qt::WindowFlags fixedDialogFrame = Qt::Dialog | Qt::CustomizeWindowHint |
                                                    Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                    Qt::WindowCloseButtonHint;

}  // namespace varnelle
