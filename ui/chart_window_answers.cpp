// The chart window's look-ups: the litres at a height, the height of a volume,
// and the litres to order from today's level up to the fill limit. Each is
// computed aside, as the chart is; only the answer to the latest question of
// each kind is shown.
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>

#include "background_work.h"
#include "chart/chart_numbers.h"
#include "chart/report_writer.h"
#include "chart_table_model.h"
#include "chart_window.h"
#include "field_number.h"

namespace varnelle {
namespace {

QChar userDecimal() {
    return conventionsFor(QLocale()).decimal;
}

QString litres(double value) {
    return litresString(value, userDecimal()) + QStringLiteral(" litres");
}

QString millimetres(double value) {
    return measureString(value, userDecimal()) + QStringLiteral(" mm");
}

}  // namespace

template <typename Work>
void ChartWindow::answerAside(QLabel* answer, Work work) {
    const unsigned question = ++questions_[answer];
    runAside(this, std::move(work), [this, answer, question](const QString& text) {
        if (question == questions_[answer]) {
            answer->setText(text);
        }
    });
}

void ChartWindow::onHeightFieldTextEdited() {
    const TankParameters tank = description_.tank;
    const QString typed = heightField->text().trimmed();
    const double height = numberIn(typed);
    if (typed.isEmpty() || !hasChart()) {
        answerAside(heightAnswer, [] { return QString(); });
    } else if (!(height >= 0 && height <= tank.diameter)) {
        answerAside(heightAnswer, [diameter = tank.diameter] {
            return QStringLiteral("La hauteur doit être comprise entre 0 et %1.")
                .arg(millimetres(diameter));
        });
    } else {
        answerAside(heightAnswer, [tank, height] {
            const VolumeResults volumes = volumesAt(tank, height);
            return QStringLiteral("%1, dont %2 disponibles au-dessus de la crépine")
                .arg(litres(volumes.totalVolume), litres(std::max(0.0, volumes.availableVolume)));
        });
    }
}

void ChartWindow::onLitresFieldTextEdited() {
    const TankParameters tank = description_.tank;
    const double capacity = chartModel->chart().capacity;
    const QString typed = litresField->text().trimmed();
    const double wanted = numberIn(typed);
    if (typed.isEmpty() || !hasChart()) {
        answerAside(litresAnswer, [] { return QString(); });
    } else if (!(wanted >= 0 && wanted <= capacity)) {
        answerAside(litresAnswer, [capacity] {
            return QStringLiteral("Le volume doit être compris entre 0 et %1.")
                .arg(litres(capacity));
        });
    } else {
        answerAside(litresAnswer, [tank, wanted] {
            return QStringLiteral("à une hauteur de %1")
                .arg(millimetres(heightForVolume(tank, wanted)));
        });
    }
}

// As the chart program's --commander answers it, from the oil height of the
// main window.
void ChartWindow::answerOrder() {
    const TankParameters tank = description_.tank;
    const double oilHeight = fields_.oilHeight;
    const double fillPercent = fillLimitSpin->value();
    if (!(oilHeight >= 0 && oilHeight <= tank.diameter)) {
        answerAside(orderAnswer, [] {
            return QStringLiteral(
                "La hauteur du mazout de la fenêtre principale n'est pas dans "
                "la cuve.");
        });
        return;
    }
    answerAside(orderAnswer, [tank, oilHeight, fillPercent] {
        const OrderAmount order = orderAmount(tank, oilHeight, fillPercent);
        if (!(order.litresToOrder > 0)) {
            return QStringLiteral("rien, la cuve est déjà au remplissage maximal");
        }
        return QStringLiteral("%1 de %2 à %3 (hauteur après livraison : %4)")
            .arg(litres(order.litresToOrder), millimetres(oilHeight), litres(order.fillLimitLitres),
                 millimetres(order.heightAfterDelivery));
    });
}

}  // namespace varnelle
