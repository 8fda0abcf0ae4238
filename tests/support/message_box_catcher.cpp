#include "message_box_catcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTest>

#include <utility>

namespace varnelle::testing {

MessageBoxCatcher::MessageBoxCatcher(int pollMs) {
    connect(&timer_, &QTimer::timeout, this, &MessageBoxCatcher::closeOpenBoxes);
    timer_.start(pollMs);
}

std::vector<CaughtBox> MessageBoxCatcher::takeBoxes() {
    return std::exchange(boxes_, {});
}

QStringList MessageBoxCatcher::texts() const {
    QStringList result;
    for (const CaughtBox& box : boxes_) {
        result << box.text;
    }
    return result;
}

// Closing a box may open the next one from within the click: that one waits
// for the next turn of the timer.
void MessageBoxCatcher::closeOpenBoxes() {
    if (closing_) {
        return;
    }
    closing_ = true;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box && box->isVisible()) {
            close(box);
        }
    }
    closing_ = false;
}

void MessageBoxCatcher::close(QMessageBox* box) {
    CaughtBox caught;
    caught.title = box->windowTitle();
    caught.text = box->text();
    caught.icon = box->icon();
    caught.buttonCount = static_cast<int>(box->buttons().size());
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    caught.hasOk = ok != nullptr;
    caught.okButtonOnly = caught.buttonCount == 1 && caught.hasOk;
    caught.modal = box->isModal();
    if (beforeClosing) {
        beforeClosing(box);
    }
    const QPointer<QMessageBox> stillThere(box);
    if (ok && ok->isVisible()) {
        QTest::mouseClick(ok, Qt::LeftButton);
        caught.closedByOk = stillThere.isNull() || !stillThere->isVisible();
    }
    if (!stillThere.isNull() && stillThere->isVisible()) {
        stillThere->reject();
    }
    boxes_.push_back(caught);
}

}  // namespace varnelle::testing
