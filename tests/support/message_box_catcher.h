// Catches the message boxes that the program shows, records what they say and
// closes each one with a click on its OK button, as a user reading them would.
// Boxes are modal: this runs from their own event loop, on a timer.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>
#include <vector>

namespace varnelle::testing {

struct CaughtBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    bool hasOk = false;
    bool okButtonOnly = false;
    bool modal = false;
    // The click on OK closed it. A box that stays open, or has no OK button,
    // is closed all the same so that the test goes on to report it.
    bool closedByOk = false;
};

class MessageBoxCatcher : public QObject {
  public:
    explicit MessageBoxCatcher(int pollMs = 5) {
        connect(&timer_, &QTimer::timeout, this, &MessageBoxCatcher::closeOpenBoxes);
        timer_.start(pollMs);
    }

    // Runs just before a box is closed, while it is still open.
    std::function<void(QMessageBox*)> beforeClosing;

    const std::vector<CaughtBox>& boxes() const { return boxes_; }
    // The boxes caught since the last call.
    std::vector<CaughtBox> takeBoxes() { return std::exchange(boxes_, {}); }
    QStringList texts() const {
        QStringList result;
        for (const CaughtBox& box : boxes_) {
            result << box.text;
        }
        return result;
    }
    void clear() { boxes_.clear(); }

  private:
    // Closing a box may open the next one from within the click: that one waits
    // for the next turn of the timer.
    void closeOpenBoxes() {
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

    void close(QMessageBox* box) {
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

    QTimer timer_;
    bool closing_ = false;
    std::vector<CaughtBox> boxes_;
};

}  // namespace varnelle::testing
