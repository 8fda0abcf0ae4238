#include "widgets/wrapped_radio_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace varnelle {

void WrappedRadioButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;

    // The indicator (and the focus frame) first, without the caption ...
    option.text.clear();
    painter.drawControl(QStyle::CE_RadioButton, option);

    // ... then the caption, wrapped in the room right of the indicator.
    QStyleOptionButton textOption = option;
    textOption.text = caption;
    QRect textRect = style()->subElementRect(QStyle::SE_RadioButtonContents, &textOption, this);
    textRect.setRight(rect().right());
    textRect.setTop(rect().top());
    textRect.setBottom(rect().bottom());
    painter.drawItemText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, palette(),
                         isEnabled(), caption, QPalette::WindowText);
}

bool WrappedRadioButton::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

}  // namespace varnelle
