// Catches the message boxes that the program shows, records what they say and
// closes each one with a click on its OK button, as a user reading them would.
// Boxes are modal: this runs from their own event loop, on a timer.
#pragma once

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
    bool hasOk = false;
    bool okButtonOnly = false;
    bool modal = false;
    // The click on OK closed it. A box that stays open, or has no OK button,
    // is closed all the same so that the test goes on to report it.
    bool closedByOk = false;
};

class MessageBoxCatcher : public QObject {
  public:
    explicit MessageBoxCatcher(int pollMs = 5);

    // Runs just before a box is closed, while it is still open.
    std::function<void(QMessageBox*)> beforeClosing;

    const std::vector<CaughtBox>& boxes() const { return boxes_; }
    // The boxes caught since the last call.
    std::vector<CaughtBox> takeBoxes();
    QStringList texts() const;
    void clear() { boxes_.clear(); }

  private:
    void closeOpenBoxes();
    void close(QMessageBox* box);

    QTimer timer_;
    bool closing_ = false;
    std::vector<CaughtBox> boxes_;
};

}  // namespace varnelle::testing
