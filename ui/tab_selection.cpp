#include "tab_selection.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

namespace varnelle {
namespace {

void selectAsTabDoes(QWidget* widget) {
    auto* combo = qobject_cast<QComboBox*>(widget);
    QLineEdit* field = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(widget);
    if (field && field->inputMask().isEmpty()) {
        field->selectAll();
    }
}

class TabArrival : public QObject {
  public:
    explicit TabArrival(QWidget* reached) : QObject(reached->window()), reached_(reached) {
        connect(qApp, &QApplication::focusChanged, this, &TabArrival::onFocusChanged);
    }

  private:
    void onFocusChanged(QWidget* /*old*/, QWidget* now) {
        if (!now || now->window() != parent()) {
            return;  // still in the box, or between windows
        }
        if (now == reached_) {
            selectAsTabDoes(now);
        }
        deleteLater();
        disconnect(qApp, nullptr, this, nullptr);
    }

    QPointer<QWidget> reached_;
};

}  // namespace

void selectWhenTabArrives(QWidget* reached) {
    if (reached && QApplication::focusWidget() != reached) {
        new TabArrival(reached);
    }
}

}  // namespace varnelle
