// The chart window's look-ups: the litres at a height, the height of a volume,
// and the litres to order from today's level up to the fill limit. Each is
// computed aside, as the chart is; a newer question abandons the older one of
// its kind, and only the answer to the latest is shown.
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "background_work.h"
#include "chart_table_model.h"
#include "chart_window.h"

namespace varnelle {
namespace {

// An example of a number, written as the window writes numbers.
QString notANumber(const OutputConventions& conventions, double example, const char* unit) {
    return QStringLiteral("Ce n'est pas un nombre : tapez par exemple %1 %2.")
        .arg(conventions.number(example), QString::fromUtf8(unit));
}

// The answer's label shows nothing until the answer comes.
void say(LatestComputation* work, QLabel* answer, const QString& sentence) {
    work->abandon();
    answer->setText(sentence);
}

}  // namespace

void ChartWindow::onHeightFieldTextEdited() {
    answerHeight();
}

void ChartWindow::onLitresFieldTextEdited() {
    answerLitres();
}

void ChartWindow::answerHeight() {
    const OutputConventions shown = conventions();
    const TankParameters tank = description_.tank;
    const QString typed = heightField->text();
    const std::optional<double> height = shown.read(typed);
    if (typed.trimmed().isEmpty() || !hasChart()) {
        say(heightWork_, heightAnswer, QString());
    } else if (!height) {
        say(heightWork_, heightAnswer, notANumber(shown, 512.5, "mm"));
    } else if (!(*height >= 0 && *height <= tank.diameter)) {
        say(heightWork_, heightAnswer,
            QStringLiteral("La hauteur doit être comprise entre 0 et %1.")
                .arg(shown.millimetres(tank.diameter)));
    } else {
        heightWork_->start(
            [tank, height = *height](const std::atomic<bool>& abandoned) {
                return volumesAt(tank, height, &abandoned);
            },
            [this, shown](const VolumeResults& volumes) {
                heightAnswer->setText(
                    QStringLiteral("%1, dont %2 disponibles au-dessus de la crépine.")
                        .arg(shown.litresWithUnit(volumes.totalVolume),
                             shown.litres(std::max(0.0, volumes.availableVolume))));
            });
    }
}

void ChartWindow::answerLitres() {
    const OutputConventions shown = conventions();
    const TankParameters tank = description_.tank;
    const double capacity = chartModel->chart().capacity;
    const QString typed = litresField->text();
    const std::optional<double> wanted = shown.read(typed);
    // The capacity as the window shows it, rounded to the litre, is the full
    // tank: so is anything up to half a litre above it.
    constexpr double roundingOfTheCapacity = 0.5;
    if (typed.trimmed().isEmpty() || !hasChart()) {
        say(litresWork_, litresAnswer, QString());
    } else if (!wanted) {
        say(litresWork_, litresAnswer, notANumber(shown, 1250.5, "litres"));
    } else if (!(*wanted >= 0 && *wanted <= capacity + roundingOfTheCapacity)) {
        say(litresWork_, litresAnswer,
            QStringLiteral("Le volume doit être compris entre 0 et %1.")
                .arg(shown.litresWithUnit(capacity)));
    } else {
        litresWork_->start(
            [tank, litres = std::min(*wanted, capacity)](const std::atomic<bool>& abandoned) {
                return heightForVolume(tank, litres, &abandoned);
            },
            [this, shown](double height) {
                litresAnswer->setText(
                    QStringLiteral("À une hauteur de %1.").arg(shown.millimetres(height)));
            });
    }
}

// As the chart program's --commander answers it, from the oil height of the
// main window.
void ChartWindow::answerOrder() {
    const OutputConventions shown = conventions();
    const TankParameters tank = description_.tank;
    const double oilHeight = fields_.oilHeight;
    const double fillPercent = fillLimitSpin->value();
    if (!(oilHeight >= 0 && oilHeight <= tank.diameter)) {
        say(orderWork_, orderAnswer,
            QStringLiteral(
                "La hauteur du mazout de la fenêtre principale n'est pas dans la cuve."));
        return;
    }
    orderWork_->start(
        [tank, oilHeight, fillPercent](const std::atomic<bool>& abandoned) {
            return orderAmount(tank, oilHeight, fillPercent, &abandoned);
        },
        [this, shown, oilHeight](const OrderAmount& order) {
            if (!(order.litresToOrder > 0)) {
                orderAnswer->setText(
                    QStringLiteral("Rien, la cuve est déjà au remplissage maximal."));
                return;
            }
            orderAnswer->setText(QStringLiteral("%1 de %2 à %3 (hauteur après livraison : %4).")
                                     .arg(shown.litresWithUnit(order.litresToOrder),
                                          shown.millimetres(oilHeight),
                                          shown.litresWithUnit(order.fillLimitLitres),
                                          shown.millimetres(order.heightAfterDelivery)));
        });
}

}  // namespace varnelle
