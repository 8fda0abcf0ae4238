// Tab selects the whole text of the field it reaches, so that typing replaces
// it. When the field left shows a box on the way, the box takes the focus and
// the window gets it back as a window activation, which selects nothing:
// typing would then add to the old value unseen.
#pragma once

class QWidget;

namespace varnelle {

// Selects the text of `reached` as Tab does, once the focus comes back to it
// from the box. Nothing is selected if the user puts the focus elsewhere in
// its window first.
void selectWhenTabArrives(QWidget* reached);

}  // namespace varnelle
