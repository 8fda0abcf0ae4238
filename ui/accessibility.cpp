#include "accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QVariant>

#include <cmath>

#include "chart_curve.h"
#include "progress_frame.h"

namespace varnelle {
namespace {

// Named by its accessible name or, failing that, by the label whose buddy it
// is; its text is its value.
class NamedComboBox : public QAccessibleWidget {
  public:
    explicit NamedComboBox(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return static_cast<QComboBox*>(widget())->currentText();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.expandable = true;
        return s;
    }
};

class ProgressBox : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit ProgressBox(ProgressFrame* box) : QAccessibleWidget(box, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return QStringLiteral("%1 %").arg(percentDone());
        }
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return percentDone(); }
    void setCurrentValue(const QVariant& /*value*/) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    int percentDone() const {
        return static_cast<int>(
            std::lround(100 * static_cast<const ProgressFrame*>(widget())->shareFilled()));
    }
};

QAccessibleInterface* describe(const QString& className, QObject* object) {
    if (auto* curve = qobject_cast<ChartCurve*>(object)) {
        return new QAccessibleWidget(curve, QAccessible::Graphic);
    }
    if (className == QLatin1String("QComboBox")) {
        auto* combo = qobject_cast<QComboBox*>(object);
        if (combo && combo->isEditable()) {
            return new NamedComboBox(combo);
        }
    }
    if (auto* box = qobject_cast<ProgressFrame*>(object)) {
        return new ProgressBox(box);
    }
    return nullptr;
}

}  // namespace

void installAccessibleDescriptions() {
    static const bool installed = [] {
        QAccessible::installFactory(describe);
        return true;
    }();
    (void)installed;
}

}  // namespace varnelle
