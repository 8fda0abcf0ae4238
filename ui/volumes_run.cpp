// "Calculer": reads the fields, integrates while the progress bar grows and
// the window stays live, then writes the five volumes.
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <cmath>

#include "chart/chart_numbers.h"
#include "chart_window.h"
#include "core/number_text.h"
#include "field_number.h"
#include "message_box.h"
#include "progress_bar.h"
#include "volumes.h"
#include "widgets/twips.h"

namespace varnelle {
namespace {

// Thrown from the progress callback when the window closes during a run, and
// caught by the run itself: it never crosses the toolkit's own code.
struct CalculationAbandoned {};

// The window answers clicks and repaints at least this often during a run;
// processing events less often keeps a run close to the cost of its computation.
constexpr qint64 liveIntervalMs = 25;

const char* const cannotCompute = "Les volumes ne peuvent pas être calculés avec ces mesures.";

bool allFinite(const VolumeResults& r) {
    return std::isfinite(r.cylinderVolume) && std::isfinite(r.endsVolume) &&
           std::isfinite(r.totalVolume) && std::isfinite(r.belowStrainerVolume) &&
           std::isfinite(r.availableVolume);
}

// Three decimals, with the locale's decimal separator and no grouping, as
// the fields have always shown them.
QString shownLitres(double litres) {
    return conventionsFor(QLocale()).litres(litres);
}

}  // namespace

TankParameters Volumes::readTankParameters() const {
    TankParameters tank;
    tank.diameter = numberIn(Text1->text());
    tank.endCircleDiameter = numberIn(Text6->text());
    tank.cylinderLength = numberIn(Text9->text());
    tank.oilHeight = numberIn(Text2->text());
    tank.strainerHeight = numberIn(Text4->text());
    tank.endWidth = numberIn(Text5->text());
    tank.intervals = numberIn(Combo1->currentText()) * 1000;
    tank.endShape = selectedEndShape();
    return tank;
}

void Volumes::onCommand1Click() {
    if (calculating_) {
        return;  // a run is under way: this click came through its event processing
    }
    const TankParameters tank = readTankParameters();
    if (!(tank.intervals > 0) || !std::isfinite(tank.intervals)) {
        // No slice count, or infinitely many: a loop that would give no number
        // at all, or never end.
        showError(QString::fromUtf8(cannotCompute));
    } else {
        runCalculation(tank);
    }
    // Without a window manager (a bare X server) nothing gives the window its
    // activation back once a box is closed.
    if (isVisible()) {
        activateWindow();
    }
}

void Volumes::runCalculation(const TankParameters& tank) {
    calculating_ = true;
    abandonCalculation_ = false;
    lastBarFraction_ = 0;
    sinceEventsProcessed_.start();
    VolumeResults results;
    try {
        const double endsAtOil =
            endsVolumeAt(tank, tank.oilHeight, [this](double f) { keepWindowLive(f, true); });
        // The bar moves only every few milliseconds: it takes the place of the
        // last progress call now, to stand there while the results are shown.
        setProgressBarTwips(barTwipsAt(lastBarFraction_));
        const double endsAtStrainer =
            endsVolumeAt(tank, tank.strainerHeight, [this](double f) { keepWindowLive(f, false); });
        results = volumesFromEnds(tank, endsAtOil, endsAtStrainer);
    } catch (const CalculationAbandoned&) {
        calculating_ = false;
        setProgressBarTwips(progress_bar::RestingWidthTwips);
        return;
    }
    calculating_ = false;

    if (allFinite(results)) {
        writeResults(results);
        showMessageBox(this, QMessageBox::NoIcon,
                       QStringLiteral("         C'est fait, voyez les résultats         "));
    } else {
        showError(QString::fromUtf8(cannotCompute));
    }
    setProgressBarTwips(progress_bar::RestingWidthTwips);
}

// Called every tenth slice of both end integrals. The bar follows the first
// one; both let the window repaint and answer, but only every few
// milliseconds, since processing events at every call would cost more than
// the integration itself.
void Volumes::keepWindowLive(double barFraction, bool moveBar) {
    if (abandonCalculation_) {
        throw CalculationAbandoned{};
    }
    if (moveBar) {
        lastBarFraction_ = barFraction;
    }
    const bool firstStep = moveBar && barFraction == 0;
    // Reading the clock costs more than ten slices on some machines: look at
    // it only every few calls, a few microseconds of work apart.
    constexpr unsigned callsPerClockReading = 32;
    if (!firstStep && (++progressCalls_ % callsPerClockReading != 0 ||
                       sinceEventsProcessed_.elapsed() < liveIntervalMs)) {
        return;
    }
    if (moveBar) {
        setProgressBarTwips(barTwipsAt(barFraction));
    }
    QCoreApplication::processEvents();
    sinceEventsProcessed_.restart();
    if (abandonCalculation_) {
        throw CalculationAbandoned{};
    }
}

// The width of the bar's fill once `fraction` of the first end integral is done.
double Volumes::barTwipsAt(double fraction) const {
    const double pictureTwips = Picture1->width() * TwipsPerPixel;
    return static_cast<float>(progress_bar::RunStartWidthTwips + pictureTwips * fraction);
}

// The bar's fill is laid out from just left of the box's inside, so that at its
// resting width it shows nothing; only a change of whole pixels is worth a repaint.
void Volumes::setProgressBarTwips(double widthTwips) {
    using namespace progress_bar;
    const QRect bar(twipsToPixels(FillLeftTwips), twipsToPixels(FillTopTwips),
                    twipsToPixels(widthTwips), twipsToPixels(FillHeightTwips));
    if (Label13->geometry() != bar) {
        Label13->setGeometry(bar);
    }
}

void Volumes::writeResults(const VolumeResults& results) {
    Text7->setText(shownLitres(results.cylinderVolume));
    Text11->setText(shownLitres(results.endsVolume));
    Text10->setText(shownLitres(results.belowStrainerVolume));
    Text13->setText(shownLitres(results.totalVolume));
    Text8->setText(shownLitres(results.availableVolume));
}

void Volumes::closeEvent(QCloseEvent* event) {
    abandonCalculation_ = calculating_;
    if (chartWindow_) {
        chartWindow_->close();
    }
    QWidget::closeEvent(event);
}

}  // namespace varnelle
