// The checks made when the user leaves a measurement field: an error box for
// every broken rule (nothing is blocked), then the conversion into the other
// field of the pair (diameter and perimeter, cap width and arc length).
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <cmath>

#include "core/cap_conversion.h"
#include "core/number_text.h"
#include "volumes.h"

namespace varnelle {
namespace {

double numberIn(const QLineEdit* field) {
    return numberFromText(field->text().toUtf8().toStdString());
}

// Whole millimetres for a field or a message. A number beyond the range of
// doubles (a typed 1e999, or Pi times a huge diameter) shows as "incorrect",
// the marker that reads back as 0, never as "inf" or "nan".
QString wholeNumber(double value) {
    if (!std::isfinite(value)) {
        return QStringLiteral("incorrect");
    }
    return QString::fromStdString(wholeNumberText(value));
}

// Leaving a field means the focus went to another control of this window:
// not to a box, another window or a popup, which take it only for a while.
bool leavesTheField(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

}  // namespace

bool Volumes::eventFilter(QObject* watched, QEvent* event) {
    if (watched == clickToIgnore_ && event->type() == QEvent::MouseButtonPress) {
        clickToIgnore_->removeEventFilter(this);
        clickToIgnore_ = nullptr;
        return true;
    }
    if (event->type() == QEvent::FocusOut && leavesTheField(static_cast<QFocusEvent*>(event))) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* destination = QApplication::focusWidget();
        const int boxesBefore = errorBoxesShown_;
        runFieldCheck(watched);
        if (reason == Qt::MouseFocusReason && errorBoxesShown_ != boxesBefore && destination) {
            // The user clicked a control and got an error box instead: that
            // click has done its work by leaving the field; it does not also
            // press the button (or pick the option) once the box is closed.
            clickToIgnore_ = destination;
            destination->installEventFilter(this);
            QTimer::singleShot(0, this, [this] { ignoreClickThatLeftTheField(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The press of the click that left the field has been delivered (and
// swallowed) by now, if it was going to be.
void Volumes::ignoreClickThatLeftTheField() {
    if (clickToIgnore_) {
        clickToIgnore_->removeEventFilter(this);
        clickToIgnore_ = nullptr;
    }
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
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Varnelle"), message, QMessageBox::Ok,
                    this);
    box.exec();
}

void Volumes::onText1LostFocus() {
    const double D = numberIn(Text1);
    const double h = numberIn(Text2);
    if (D == 0) {
        showError(QStringLiteral("Veuillez rentrer une valeur du diamètre de la cuve"));
    }
    if (D < h) {
        showError(QStringLiteral(
            "Le diamètre de la cuve doit être supérieur ou égal à la hauteur de mazout !"));
    }
    Text3->show();
    Text3->setText(wholeNumber(Pi * numberIn(Text1)));
}

void Volumes::onText2LostFocus() {
    const double h = numberIn(Text2);
    if (h > numberIn(Text1)) {
        showError(
            QStringLiteral("La hauteur de mazout doit être inférieure au diamètre de la cuve !"));
    }
    if (numberIn(Text4) > h) {
        showError(QStringLiteral(
            "La hauteur de mazout doit être supérieure à la hauteur de la crépine !"));
    }
}

void Volumes::onText3LostFocus() {
    const double P = numberIn(Text3);
    if (P == 0) {
        showError(QStringLiteral("Veuillez rentrer une valeur du périmètre de la cuve"));
    }
    const double d = P / Pi;
    const double h = numberIn(Text2);
    if (d < h) {
        showError(QStringLiteral("Le diamètre de la cuve doit être supérieur à la hauteur de "
                                 "mazout ! soit le périmètre > à ") +
                  wholeNumber(Pi * h));
    }
    Text1->setText(wholeNumber(d));
    Text1->show();
}

void Volumes::onText4LostFocus() {
    const double c = numberIn(Text4);
    if (c > numberIn(Text1)) {
        showError(QStringLiteral(
            "La hauteur de la crépine doit être inférieure au diamètre de la cuve !"));
    }
    if (c > numberIn(Text2)) {
        showError(
            QStringLiteral("La hauteur de la crépine doit être inférieure à la hauteur de "
                           "mazout !"));
    }
}

void Volumes::onText5LostFocus() {
    const EndShape shape = selectedEndShape();
    const double w = numberIn(Text5);
    const double D = numberIn(Text1);
    if (shape == EndShape::SphericalCapEnds) {
        if (w == 0) {
            showError(
                QStringLiteral("Dans cette configuration, la largeur de la calotte "
                               "sphérique ne peut pas être nulle !"));
            Text12->hide();
        } else if (w > D / 2) {
            showError(QStringLiteral(
                "La largeur de la calotte ne peut pas être supérieure au rayon de la cuve !"));
            Text12->hide();
        } else {
            const double arc = capArcLength(D / 2, w);
            Text12->show();
            Text12->setText(wholeNumber(arc));
        }
    }
    if (shape == EndShape::QuarterRoundEnds) {
        if (w == 0) {
            showError(
                QStringLiteral("Dans cette configuration, la largeur ne peut pas être nulle !"));
        }
        if (w > D / 2) {
            showError(
                QStringLiteral("La largeur ne peut pas être supérieure au rayon de la cuve !"));
        }
    }
}

void Volumes::onText12LostFocus() {
    Text5->setText(QStringLiteral("incorrect"));
    if (selectedEndShape() == EndShape::SphericalCapEnds) {
        const double s = numberIn(Text12);
        const double D = numberIn(Text1);
        if (s < D) {
            showError(QStringLiteral("Dans cette configuration, le périmètre de la calotte "
                                     "sphérique ne peut pas être inférieur au diamètre de la "
                                     "cuve soit : ") +
                      Text1->text() + QStringLiteral(" !"));
        } else if (s > Pi * D / 2) {
            showError(QStringLiteral("Dans cette configuration, le périmètre de la calotte "
                                     "sphérique ne peut pas être supérieur au demi périmètre de "
                                     "la cuve cylindrique soit : ") +
                      wholeNumber(numberIn(Text3) / 2) + QStringLiteral(" !"));
        } else if (D / 2 > 0) {
            // With no diameter there is no cap: the width is left "incorrect".
            const double width = capWidthForArc(D / 2, s);
            if (std::isfinite(width)) {
                Text5->setText(wholeNumber(width));
            }
        }
    }
    Text5->show();
}

}  // namespace varnelle
