// An option group is one Tab stop, and that stop is its selected button, be
// it selected by the user or by the program. The toolkit would keep the stop
// on the button that last had the focus, which after a selection from code
// is one that is not selected: Space there would change the choice.
#pragma once

class QButtonGroup;

namespace varnelle {

void keepTabStopOnSelectedButton(QButtonGroup* group);

}  // namespace varnelle
