// The program's message boxes: modal, titled "Varnelle", one OK button, and
// the questions answered by Oui or Non.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace varnelle {

// Shows the box and returns once the user has closed it.
void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text);

// Asks `question` with Oui and Non, Non the default so that Return alone
// never destroys anything; true for Oui. Escape answers Non.
bool askYesNo(QWidget* parent, const QString& question);

// What tests use in place of the user.
class MessageBox {
  public:
    // The next askYesNo shows no box and takes `answer` (QMessageBox::Yes or
    // No) as the user's; the question it was asked is kept for lastQuestion().
    static void setNextAnswer(QMessageBox::StandardButton answer);
    // The last question asked through askYesNo.
    static QString lastQuestion();
};

}  // namespace varnelle
