// The toolkit's own texts in French: the file, print and preview dialogs, the
// standard buttons of message boxes and the context menu of every text field.
// The program speaks French whatever the system's language, so these do too.
#pragma once

class QCoreApplication;

namespace varnelle {

// Loads the toolkit's French translations from the folder where Qt keeps its
// translations and installs them in `application`, which owns them. Installing
// twice changes nothing. False when they could not be loaded (the package with
// Qt's translations is missing): the toolkit's texts then stay in English.
bool installQtFrenchTranslations(QCoreApplication& application);

}  // namespace varnelle
