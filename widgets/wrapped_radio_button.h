// An option button whose caption wraps within the button's box, as a long
// caption on a narrow button must. Its text() stays the caption as given.
#pragma once

#include <QRadioButton>

namespace varnelle {

class WrappedRadioButton : public QRadioButton {
    Q_OBJECT

  public:
    using QRadioButton::QRadioButton;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
};

}  // namespace varnelle
