// Return and Enter press the focused button of a window, as Space does: what
// users of most desktops expect. No button becomes the window's default, so
// Return in a text field still does nothing.
#pragma once

class QWidget;

namespace varnelle {

// Watches the keys that reach `window` unhandled: a button does not take
// Return or Enter itself unless it is a dialog's default, so they come up to
// its window.
void pressFocusedButtonOnEnter(QWidget* window);

}  // namespace varnelle
