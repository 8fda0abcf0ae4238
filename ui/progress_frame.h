// The frame of a progress bar, its fill being its one label: a frame of its
// own kind, so that screen readers are told it is a progress bar from the
// moment it exists (see accessibility.h).
#pragma once

#include <QFrame>

namespace varnelle {

class ProgressFrame : public QFrame {
    Q_OBJECT

  public:
    using QFrame::QFrame;

    // The share of the inside that the fill covers, 0 to 1.
    double shareFilled() const;
};

}  // namespace varnelle
