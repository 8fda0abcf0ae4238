#include "option_tab_stop.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>

namespace varnelle {
namespace {

class TabStopOnSelected : public QObject {
  public:
    explicit TabStopOnSelected(QButtonGroup* group) : QObject(group), group_(group) {
        for (QAbstractButton* button : group->buttons()) {
            button->installEventFilter(this);
        }
        connect(group, &QButtonGroup::buttonToggled, this, [this] { moveTabStop(); });
        moveTabStop();
    }

  protected:
    // The toolkit moves the stop to a button as it receives the focus, even
    // one pressed and then not released on it: leaving it puts the stop back.
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::FocusOut) {
            moveTabStop();
        }
        return false;
    }

  private:
    void moveTabStop() {
        const QAbstractButton* selected = group_->checkedButton();
        for (QAbstractButton* button : group_->buttons()) {
            const bool isStop = !selected || button == selected;
            button->setFocusPolicy(isStop ? Qt::FocusPolicy(button->focusPolicy() | Qt::TabFocus)
                                          : Qt::FocusPolicy(button->focusPolicy() & ~Qt::TabFocus));
        }
    }

    QButtonGroup* group_;
};

}  // namespace

void keepTabStopOnSelectedButton(QButtonGroup* group) {
    new TabStopOnSelected(group);
}

}  // namespace varnelle
