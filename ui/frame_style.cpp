#include "frame_style.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyleOptionGroupBox>

#include "widgets/twips.h"

namespace varnelle {

// An etched line, from the middle of the caption down to the frame's bottom.
void FrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect caption = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxFrame) {
        QRect line = box->rect;
        if (!box->text.isEmpty()) {
            line.setTop(caption.center().y());
        }
        painter->save();
        painter->setClipRegion(QRegion(box->rect) - caption.adjusted(-2, 0, 2, 0));
        qDrawShadeRect(painter, line, box->palette, true, 1, 0);
        painter->restore();
    }
    QStyleOptionGroupBox captionOnly(*box);
    captionOnly.subControls &= ~SC_GroupBoxFrame;
    QProxyStyle::drawComplexControl(control, &captionOnly, painter, widget);
}

QRect FrameStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl part, const QWidget* widget) const {
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control == CC_GroupBox && (part == SC_GroupBoxLabel || part == SC_GroupBoxCheckBox)) {
        rect.translate(twipsToPixels(captionIndentTwips), 0);
    }
    return rect;
}

// The mark lies inside the border, on the frame's own background, so the
// frame keeps its size and look otherwise.
void FrameStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element != CE_ShapedFrame || !(option->state & State_HasFocus)) {
        return;
    }
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(*option);
    focus.rect = proxy()->subElementRect(SE_ShapedFrameContents, option, widget);
    focus.backgroundColor =
        option->palette.color(widget ? widget->backgroundRole() : QPalette::Window);
    proxy()->drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
}

}  // namespace varnelle
