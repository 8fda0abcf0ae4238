// The checks made when the user leaves a measurement field: an error box for
// every broken rule (nothing is blocked), then the conversion into the other
// field of the pair (diameter and perimeter, cap width and arc length).
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>

#include "core/tank_rules.h"
#include "field_number.h"
#include "message_box.h"
#include "tab_selection.h"
#include "volumes.h"

namespace varnelle {
namespace {

// The core writes its texts in UTF-8.
QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

// Leaving a field means the focus went to another control of this window:
// not to a box, another window or a popup, which take it only for a while.
bool leavesTheField(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

// Swallows the press of the click that took the focus from a field when that
// field's check answered with an error box: the user has read the box and
// clicks again if that is still what they want, rather than pressing
// "Calculer" or picking an option unseen. Qt moves the focus on the press and delivers the
// press right after the check, so the swallower lives no longer than the
// current turn of the event loop; it catches the press on whatever control
// of the window, or child of one, it is delivered to.
class ClickSwallower : public QObject {
  public:
    explicit ClickSwallower(QWidget* window) : QObject(window), window_(window) {
        qApp->installEventFilter(this);
        QTimer::singleShot(0, this, [this] { finish(); });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::MouseButtonPress || !widget || widget->window() != window_) {
            return false;
        }
        finish();
        return true;
    }

  private:
    void finish() {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    QWidget* window_;
};

}  // namespace

bool Volumes::eventFilter(QObject* watched, QEvent* event) {
    // While a check runs, a field that loses the focus lost it to the check
    // itself (one hidden just as it received the focus): that is not the user
    // leaving it, and it starts no second check.
    if (event->type() != QEvent::FocusOut || checkingField_ ||
        !leavesTheField(static_cast<QFocusEvent*>(event))) {
        return QWidget::eventFilter(watched, event);
    }
    const int boxesBefore = errorBoxesShown_;
    // The focus has already been given to where the user sends it.
    QWidget* reached = QApplication::focusWidget();
    {
        const QScopedValueRollback<bool> checking(checkingField_, true);
        runFieldCheck(watched);
    }
    if (errorBoxesShown_ != boxesBefore) {
        // A window manager gives the activation back to the window once its
        // box is closed. Without one (a bare X server, the offscreen platform)
        // the window would stay inactive: the focus would not come back where
        // the user sent it, and the next field left would go unchecked.
        activateWindow();
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason) {
            new ClickSwallower(this);
        }
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            selectWhenTabArrives(reached);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Volumes::runFieldCheck(QObject* field) {
    if (field == Text1) {
        onText1LostFocus();
    } else if (field == Text2) {
        onText2LostFocus();
    } else if (field == Text3) {
        onText3LostFocus();
    } else if (field == Text4) {
        onText4LostFocus();
    } else if (field == Text5) {
        onText5LostFocus();
    } else if (field == Text12) {
        onText12LostFocus();
    }
}

void Volumes::showError(const QString& message) {
    ++errorBoxesShown_;
    showMessageBox(this, QMessageBox::Critical, message);
}

void Volumes::onText1LostFocus() {
    const double D = numberIn(Text1->text());
    const double h = numberIn(Text2->text());
    if (D == 0) {
        showError(ruleText::diameterMissing);
    }
    if (D < h) {
        showError(ruleText::diameterBelowOil);
    }
    Text3->show();
    Text3->setText(toQString(perimeterTextFor(D)));
}

void Volumes::onText2LostFocus() {
    const double h = numberIn(Text2->text());
    if (h > numberIn(Text1->text())) {
        showError(ruleText::oilAboveDiameter);
    }
    if (numberIn(Text4->text()) > h) {
        showError(ruleText::oilBelowStrainer);
    }
}

void Volumes::onText3LostFocus() {
    const double P = numberIn(Text3->text());
    if (P == 0) {
        showError(ruleText::perimeterMissing);
    }
    const double h = numberIn(Text2->text());
    if (P / Pi < h) {
        showError(toQString(ruleText::perimeterBelowOil(perimeterTextFor(h))));
    }
    Text1->setText(toQString(diameterTextFor(P)));
    Text1->show();
}

void Volumes::onText4LostFocus() {
    const double c = numberIn(Text4->text());
    if (c > numberIn(Text1->text())) {
        showError(ruleText::strainerAboveDiameter);
    }
    if (c > numberIn(Text2->text())) {
        showError(ruleText::strainerAboveOil);
    }
}

void Volumes::onText5LostFocus() {
    const EndShape shape = selectedEndShape();
    const double w = numberIn(Text5->text());
    const double D = numberIn(Text1->text());
    if (shape == EndShape::SphericalCapEnds) {
        if (w == 0) {
            showError(ruleText::capWidthZero);
            Text12->hide();
        } else if (w > D / 2) {
            showError(ruleText::capWidthAboveRadius);
            Text12->hide();
        } else {
            Text12->show();
            Text12->setText(toQString(arcLengthTextFor(D, w)));
        }
    }
    if (shape == EndShape::QuarterRoundEnds) {
        if (w == 0) {
            showError(ruleText::endWidthZero);
        }
        if (w > D / 2) {
            showError(ruleText::endWidthAboveRadius);
        }
    }
}

void Volumes::onText12LostFocus() {
    Text5->setText(QString::fromLatin1(incorrectMarker));
    if (selectedEndShape() == EndShape::SphericalCapEnds) {
        const double s = numberIn(Text12->text());
        const double D = numberIn(Text1->text());
        if (s < D) {
            showError(toQString(ruleText::arcBelowDiameter(Text1->text().toStdString())));
        } else if (s > Pi * D / 2) {
            showError(toQString(
                ruleText::arcAboveHalfCircle(wholeMillimetresText(numberIn(Text3->text()) / 2))));
        } else if (const auto width = capWidthTextFor(D, s)) {
            // With no diameter (and an arc length of 0) there is no cap to
            // solve for; and when the search finds no width, none is made up.
            // Either way the width stays "incorrect".
            Text5->setText(toQString(*width));
        }
    }
    Text5->show();
}

}  // namespace varnelle
