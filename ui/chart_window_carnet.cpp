// The chart window's way to the tank's carnet: the last carnet used, or one
// opened or created for the tank shown.
#include "chart_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <optional>

#include "logbook/carnet_store.h"
#include "logbook/carnet_tank.h"
#include "logbook_window.h"
#include "message_box.h"
#include "widgets/save_path.h"

namespace varnelle {
namespace {

constexpr char lastCarnetKey[] = "carnet/dernier";

std::optional<ChartWindow::CarnetChoice> nextChoice;

QString rememberedCarnet() {
    const QString path = QSettings().value(QLatin1String(lastCarnetKey)).toString();
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

ChartWindow::CarnetChoice askCarnetChoice(QWidget* parent) {
    if (nextChoice) {
        const ChartWindow::CarnetChoice answer = *nextChoice;
        nextChoice.reset();
        return answer;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Varnelle"),
                    QStringLiteral("Aucun carnet n'est encore tenu pour cette cuve : créez-en un, "
                                   "ou ouvrez un carnet existant."),
                    QMessageBox::Cancel, parent);
    QPushButton* create =
        box.addButton(QStringLiteral("Créer un carnet…"), QMessageBox::AcceptRole);
    QPushButton* open = box.addButton(QStringLiteral("Ouvrir un carnet…"), QMessageBox::ActionRole);
    box.setDefaultButton(create);
    box.exec();
    if (box.clickedButton() == create) {
        return ChartWindow::CarnetChoice::Create;
    }
    return box.clickedButton() == open ? ChartWindow::CarnetChoice::Open
                                       : ChartWindow::CarnetChoice::Cancel;
}

}  // namespace

void ChartWindow::setNextCarnetChoice(CarnetChoice choice) {
    nextChoice = choice;
}

void ChartWindow::onLogbookButtonClick() {
    QString path = rememberedCarnet();
    if (path.isEmpty()) {
        switch (askCarnetChoice(this)) {
            case CarnetChoice::Create:
                path = createCarnet();
                break;
            case CarnetChoice::Open:
                path = QFileDialog::getOpenFileName(
                    this, QStringLiteral("Ouvrir un carnet"),
                    QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                    QStringLiteral("Carnets de cuve (*.carnet)"));
                break;
            case CarnetChoice::Cancel:
                break;
        }
    }
    if (path.isEmpty()) {
        return;  // cancelled, or refused and said
    }
    QSettings().setValue(QLatin1String(lastCarnetKey), path);
    LogbookWindow::open(logbookWindow_, windowIcon(), path, fields_);
    connect(logbookWindow_, &LogbookWindow::measuresTaken, this, &ChartWindow::measuresTaken,
            Qt::UniqueConnection);
}

QString ChartWindow::createCarnet() {
    QString path = askSavePath(
        this, QStringLiteral("Créer le carnet de la cuve"), QStringLiteral("Cuve") + carnetSuffix,
        QStringLiteral("Carnets de cuve (*.carnet)"), QString::fromLatin1(carnetSuffix).mid(1));
    if (path.isEmpty()) {
        return QString();
    }
    const Outcome<CarnetStore> created = CarnetStore::create(path, carnetValuesOf(fields_));
    if (const Refusal* refusal = refusalOf(created)) {
        showMessageBox(this, QMessageBox::Warning, refusal->sentence);
        return QString();
    }
    return path;
}

}  // namespace varnelle
