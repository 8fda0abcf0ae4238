// What the caption bar of a window of fixed size offers: only what works.
// The toolkit's defaults for a window add a maximise button, which does
// nothing when the size is fixed.
#pragma once

#include <Qt>

namespace varnelle {

inline constexpr Qt::WindowFlags fixedWindowFrame =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

}  // namespace varnelle
