// What screen readers are told beyond the toolkit's own descriptions: the
// name of an editable combo box, the role and value of a progress frame, the
// role of the chart's curve.
#pragma once

namespace varnelle {

// Installs, once per application, the descriptions below. The toolkit names
// an editable combo box after its text ("10") whatever name it was given;
// with these, it is announced by its name or its label, its text being its
// value. A ProgressFrame is announced as a progress bar, its value the
// share filled, in per cent. The chart's curve is a picture, which its
// accessible description puts in words.
void installAccessibleDescriptions();

}  // namespace varnelle
