#include "progress_frame.h"

#include <QLabel>

namespace varnelle {

double ProgressFrame::shareFilled() const {
    const QLabel* fill = findChild<QLabel*>();
    const QWidget* inside = fill ? fill->parentWidget() : nullptr;
    if (!inside || inside->width() <= 0) {
        return 0;
    }
    return double(fill->geometry().intersected(inside->rect()).width()) / inside->width();
}

}  // namespace varnelle
