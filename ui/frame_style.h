// Frames drawn as the window was designed for: the border line runs through
// the middle of the caption, which interrupts it. The toolkit's own style
// draws the line a whole caption height lower, across the controls placed
// near the top of a frame (the end-shape picture, "A Propos").
//
// A flat frame that takes the focus (the progress bar's box) shows the
// style's focus mark inside its border while it has the focus: drawn by the
// toolkit's style alone it shows nothing, and a keyboard user could not tell
// where the focus is.
#pragma once

#include <QProxyStyle>

namespace varnelle {

class FrameStyle : public QProxyStyle {
  public:
    // The caption's distance from the frame's left edge, in twips.
    static constexpr int captionIndentTwips = 120;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace varnelle
