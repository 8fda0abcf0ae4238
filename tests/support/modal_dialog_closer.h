// Closes the modal dialogs of the toolkit that a program opens (print, print
// preview, choice of a file) as a user changing their mind would: rejected, as
// Escape or "Annuler" does. Message boxes are left to MessageBoxCatcher, which
// reads them and clicks their OK button. Dialogs are modal: this runs from
// their own event loop, on a timer, and closes them however late they show.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <utility>

namespace varnelle::testing {

class ModalDialogCloser : public QObject {
  public:
    explicit ModalDialogCloser(int pollMs = 5) {
        connect(&timer_, &QTimer::timeout, this, &ModalDialogCloser::closeOpenDialog);
        timer_.start(pollMs);
    }

    // The titles of the dialogs closed since the last call.
    QStringList takeClosed() { return std::exchange(closed_, {}); }

  private:
    void closeOpenDialog() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || qobject_cast<QMessageBox*>(dialog) || !dialog->isVisible()) {
            return;
        }
        closed_ << dialog->windowTitle();
        dialog->reject();
    }

    QTimer timer_;
    QStringList closed_;
};

}  // namespace varnelle::testing
