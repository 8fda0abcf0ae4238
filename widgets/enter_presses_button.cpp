#include "enter_presses_button.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace varnelle {
namespace {

class EnterPressesButton : public QObject {
  public:
    explicit EnterPressesButton(QWidget* window) : QObject(window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_ || event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
            return false;
        }
        auto* button = qobject_cast<QAbstractButton*>(window_->focusWidget());
        if (!button || !button->isEnabled()) {
            return false;
        }
        if (!key->isAutoRepeat()) {  // one press per stroke, as Space
            button->click();
        }
        return true;
    }

  private:
    QWidget* window_;
};

}  // namespace

void pressFocusedButtonOnEnter(QWidget* window) {
    window->installEventFilter(new EnterPressesButton(window));
}

}  // namespace varnelle
