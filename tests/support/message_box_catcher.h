// Catches the message boxes that a window shows, records what they say and
// closes each one with its OK button, as a user reading them would.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

namespace varnelle::testing {

struct CaughtBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    bool okButtonOnly = false;
    bool modal = false;
};

class MessageBoxCatcher : public QObject {
  public:
    explicit MessageBoxCatcher(int pollMs = 5) {
        connect(&timer_, &QTimer::timeout, this, &MessageBoxCatcher::poll);
        timer_.start(pollMs);
    }

    // Runs just before a box is closed, while it is still open.
    std::function<void(QMessageBox*)> beforeClosing;

    const std::vector<CaughtBox>& boxes() const { return boxes_; }
    QStringList texts() const {
        QStringList result;
        for (const CaughtBox& box : boxes_) {
            result << box.text;
        }
        return result;
    }
    void clear() { boxes_.clear(); }

  private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            return;
        }
        CaughtBox caught;
        caught.title = box->windowTitle();
        caught.text = box->text();
        caught.icon = box->icon();
        caught.buttonCount = static_cast<int>(box->buttons().size());
        caught.okButtonOnly = caught.buttonCount == 1 && box->button(QMessageBox::Ok) != nullptr;
        caught.modal = box->isModal();
        boxes_.push_back(caught);
        if (beforeClosing) {
            beforeClosing(box);
        }
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
        } else {
            box->reject();
        }
    }

    QTimer timer_;
    std::vector<CaughtBox> boxes_;
};

}  // namespace varnelle::testing
