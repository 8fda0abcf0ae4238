// What screen readers are told beyond the toolkit's own descriptions: the
// name of an editable combo box, and a frame that shows progress.
#pragma once

class QFrame;

namespace varnelle {

// Installs, once per application, the descriptions below. The toolkit names
// an editable combo box after its text ("10") whatever name it was given;
// with these, it is announced by its name or its label, its text being its
// value. Install before the first window is built.
void installAccessibleDescriptions();

// Announces `box` as a progress bar: its value is the share of the box's
// inside that its one label, the fill, covers.
void describeAsProgressBar(QFrame* box);

}  // namespace varnelle
