// Asking the user where to save a new file: the toolkit's save dialog, opened
// in the folder where the last file was saved, which gives a name typed
// without a suffix the suffix of the file's kind.
#pragma once

#include <QString>

class QWidget;

namespace varnelle {

// The path of a new file, chosen in a modal save dialog titled `title` over
// `parent`, empty if the user cancelled. The dialog lists the files `filter`
// selects ("Tableaux CSV (*.csv)") and proposes `defaultName` in the folder of
// the last file saved, the user's documents folder the first time. A name
// chosen without a suffix ("bareme") gets "." + `suffix` ("csv", no dot)
// before the dialog asks whether to replace an existing file, so that the
// question is about the file really written; a name with a suffix of its own
// ("bareme.CSV", "bareme.txt") is kept as typed. The folder chosen is
// remembered for the next time, across runs.
QString askSavePath(QWidget* parent, const QString& title, const QString& defaultName,
                    const QString& filter, const QString& suffix);

// What tests use in place of the user: no modal dialog is shown.
class SavePathDialog {
  public:
    // The next askSavePath shows no dialog and takes `answer` as what the user
    // chose and confirmed: a path, or a bare name, which lies in the folder the
    // dialog would have opened in; an empty answer cancels. The suffix is added
    // and the folder remembered as after a real choice.
    static void setNextAnswer(const QString& answer);
};

}  // namespace varnelle
