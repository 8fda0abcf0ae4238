// The carnet's plot, drawn in millimetres through the chart library's page
// painter: the sizes follow the device, so the widget, the PDF and a 600 dpi
// printer show one picture.
#include "logbook_plot.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QPrinter>
#include <algorithm>
#include <array>
#include <cmath>

#include "chart/page_painter.h"
#include "widgets/twips.h"

namespace varnelle {
namespace {

constexpr double millimetresPerInch = 25.4;
constexpr double axisRoom = 16;      // left of the frames, for the litre graduations
constexpr double aboveRoom = 7;      // above each frame, for its title and legend
constexpr double rightRoom = 4;      // right of the frames, for a label's overhang
constexpr double curveShare = 0.62;  // of the height, the rest for the month bars
constexpr double columnMm = 0.25;    // a reading line keeps a few points per column
constexpr double markMm = 1.6;       // a delivery's triangle
constexpr double dotRadiusMm = 0.6;  // a reading's dot
constexpr double dotSpacingMm = 3;   // readings closer than this get no dots
constexpr double titlePoints = 14;
constexpr int monthsPerSeason = 12;
constexpr int seasonFirstMonth = 7;  // a heating season starts on 1 July

const QColor reserveColour = availableColour;
const QColor deliveryColour = fillLimitColour;
const QColor forecastColour = oilLevelColour;
const QColor lastSeasonColour(0xa8, 0xbc, 0xdc);

QString emptySentence() {
    return QStringLiteral("Aucun relevé dans le carnet.");
}

QLocale frenchLocale() {
    return QLocale(QLocale::French, QLocale::France);
}

// --- The span and the axes ------------------------------------------------------

bool hasPoint(const LitresReading& reading) {
    return reading.time.isValid() && std::isfinite(reading.litres);
}

// The span asked for, else the readings' own; a single instant is widened by
// a day either side so that its reading stands in the middle of the frame.
std::pair<QDateTime, QDateTime> shownSpan(const LogbookPlotData& data) {
    if (data.from.isValid() && data.to.isValid() && data.from < data.to) {
        return {data.from, data.to};
    }
    QDateTime first;
    QDateTime last;
    for (const LitresReading& reading : data.readings) {
        if (!hasPoint(reading)) {
            continue;
        }
        if (!first.isValid() || reading.time < first) {
            first = reading.time;
        }
        if (!last.isValid() || reading.time > last) {
            last = reading.time;
        }
    }
    if (first == last) {
        return {first.addDays(-1), last.addDays(1)};
    }
    return {first, last};
}

// Where times and litres go in a frame given in millimetres.
struct Axes {
    QRectF frame;
    qint64 fromMs = 0, toMs = 1;
    double maxLitres = 1;

    double x(const QDateTime& time) const { return x(time.toMSecsSinceEpoch()); }
    double x(qint64 ms) const {
        return frame.left() + frame.width() * static_cast<double>(ms - fromMs) /
                                  static_cast<double>(toMs - fromMs);
    }
    double y(double litres) const { return frame.bottom() - frame.height() * litres / maxLitres; }
};

// The top of the litre axis: the capacity, or more when a reading says more.
double topLitres(const LogbookPlotData& data) {
    double top = std::isfinite(data.capacity) ? data.capacity : 0;
    for (const LitresReading& reading : data.readings) {
        if (hasPoint(reading)) {
            top = std::max(top, reading.litres);
        }
    }
    return top > 0 ? top : 1;
}

// "Nice" spacing of graduations: 1, 2 or 5 times a power of ten, `wanted`
// intervals at most.
double graduationStep(double range, int wanted) {
    const double raw = range / std::max(wanted, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= raw) {
            return factor * power;
        }
    }
    return 10 * power;
}

// --- Drawing helpers -------------------------------------------------------------

void drawLine(PagePainter& page, QPointF a, QPointF b) {
    page.painter().drawLine(page.at(a.x(), a.y()), page.at(b.x(), b.y()));
}

void drawText(PagePainter& page, const QRectF& box, int flags, const QString& text) {
    page.text(page.box(box.x(), box.y(), box.width(), box.height()), flags, text);
}

void drawPolyline(PagePainter& page, const QPolygonF& millimetres) {
    QPolygonF dots;
    dots.reserve(millimetres.size());
    for (const QPointF& p : millimetres) {
        dots << page.at(p.x(), p.y());
    }
    page.painter().drawPolyline(dots);
}

// The litres between two graduations of `frame` from 0 to `top`: as many as
// their numbers have room for, whole litres.
double litreStep(const PagePainter& page, const QRectF& frame, double top) {
    const double lineHeight = page.textHeight(smallPoints);
    const int wanted = std::clamp(static_cast<int>(frame.height() / (2.5 * lineHeight)), 1, 10);
    return std::max(graduationStep(top, wanted), 1.0);
}

// The horizontal grid and the litre numbers left of `frame`, from 0 to `top`.
void drawLitreGraduations(PagePainter& page, const QRectF& frame, double top) {
    const double lineHeight = page.textHeight(smallPoints);
    const double step = litreStep(page, frame, top);
    page.setFont(smallPoints);
    for (double litres = 0; litres <= top * (1 + 1e-9); litres += step) {
        const double y = frame.bottom() - frame.height() * litres / top;
        page.setPen(gridColour, 0.15);
        drawLine(page, {frame.left(), y}, {frame.right(), y});
        page.setPen(inkColour, 0.2);
        drawText(page,
                 QRectF(frame.left() - axisRoom, y - lineHeight / 2, axisRoom - 1.5, lineHeight),
                 Qt::AlignRight | Qt::AlignVCenter, page.numbers().litres(litres, 0));
    }
}

// A title above the frame, on its left.
void drawFrameTitle(PagePainter& page, const QRectF& frame, const QString& title) {
    page.setFont(bodyPoints);
    page.setPen(inkColour, 0.2);
    // Clear of the top graduation's number, centred on the frame's top.
    const double bottom = frame.top() - page.textHeight(smallPoints) / 2 - 0.5;
    drawText(page,
             QRectF(frame.left() - axisRoom + 1, frame.top() - aboveRoom - 2, frame.width(),
                    bottom - (frame.top() - aboveRoom - 2)),
             Qt::AlignLeft | Qt::AlignBottom, title);
}

void drawFrame(PagePainter& page, const QRectF& frame) {
    page.painter().setBrush(Qt::NoBrush);
    page.setPen(inkColour, 0.3);
    page.painter().drawRect(page.box(frame.x(), frame.y(), frame.width(), frame.height()));
}

// --- The time axis ---------------------------------------------------------------------

// The first day of each month within the span, local time.
std::vector<QDateTime> monthStarts(const QDateTime& from, const QDateTime& to) {
    const QDate firstDay = from.toLocalTime().date();
    QDate day(firstDay.year(), firstDay.month(), 1);
    std::vector<QDateTime> starts;
    for (QDateTime start = day.startOfDay(); start <= to;
         day = day.addMonths(1), start = day.startOfDay()) {
        if (start >= from) {
            starts.push_back(start);
        }
    }
    return starts;
}

QString monthName(const QDate& day) {
    return frenchLocale().monthName(day.month(), QLocale::ShortFormat);
}

// Every `stride`-th month is labelled, as many as their names have room for.
int monthStride(const PagePainter& page, const Axes& axes) {
    const double monthMm =
        axes.frame.width() * 30.44 * 86400000.0 / static_cast<double>(axes.toMs - axes.fromMs);
    const double labelMm = page.textWidth(QStringLiteral("janv."), smallPoints) + 2;
    for (const int stride : {1, 2, 3, 6, 12, 24, 60, 120}) {
        if (stride * monthMm >= labelMm) {
            return stride;
        }
    }
    return 240;
}

// A month's tick and its name below it, the year under January and the first.
void drawMonthTick(PagePainter& page, const Axes& axes, const QDateTime& start, bool first,
                   int stride) {
    const QRectF& f = axes.frame;
    const double x = axes.x(start);
    page.setPen(gridColour, 0.15);
    drawLine(page, {x, f.top()}, {x, f.bottom()});
    page.setPen(inkColour, 0.2);
    drawLine(page, {x, f.bottom()}, {x, f.bottom() + 1});
    const QDate day = start.toLocalTime().date();
    const double lineHeight = page.textHeight(smallPoints);
    const QString year = QString::number(day.year());
    const QString name = stride >= 12 ? year : monthName(day);
    drawText(page, QRectF(x - 15, f.bottom() + 1.2, 30, lineHeight),
             Qt::AlignHCenter | Qt::AlignTop, name);
    if (stride < 12 && (first || day.month() == 1)) {
        drawText(page, QRectF(x - 15, f.bottom() + 1.2 + lineHeight, 30, lineHeight),
                 Qt::AlignHCenter | Qt::AlignTop, year);
    }
}

// Month ticks; a span too short for two of them is told by its two days.
void drawTimeAxis(PagePainter& page, const Axes& axes, const QDateTime& from, const QDateTime& to) {
    const std::vector<QDateTime> starts = monthStarts(from, to);
    page.setFont(smallPoints);
    const int stride = monthStride(page, axes);
    if (starts.size() < 2) {
        const QRectF& f = axes.frame;
        const QRectF below(f.left(), f.bottom() + 1.2, f.width(), page.textHeight(smallPoints));
        page.setPen(inkColour, 0.2);
        drawText(page, below, Qt::AlignLeft | Qt::AlignTop, frenchDayText(from));
        drawText(page, below, Qt::AlignRight | Qt::AlignTop, frenchDayText(to));
        return;
    }
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const QDate day = starts[k].toLocalTime().date();
        const int monthIndex = day.year() * 12 + day.month() - 1;
        if (monthIndex % stride == 0) {
            drawMonthTick(page, axes, starts[k], k == 0, stride);
        }
    }
}

// --- The readings' line, decimated to the columns of the frame -----------------

// The first, lowest, highest and last point of one column, in time order.
class ColumnPoints {
  public:
    void add(std::size_t index, QPointF point) {
        if (count_ == 0) {
            first_ = low_ = high_ = {index, point};
        }
        if (point.y() > low_.second.y()) {
            low_ = {index, point};
        }
        if (point.y() < high_.second.y()) {
            high_ = {index, point};
        }
        last_ = {index, point};
        ++count_;
    }

    void flushInto(QPolygonF& line) {
        if (count_ == 0) {
            return;
        }
        std::array<std::pair<std::size_t, QPointF>, 4> points = {first_, low_, high_, last_};
        std::sort(points.begin(), points.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::size_t previous = SIZE_MAX;
        for (const auto& [index, point] : points) {
            if (index != previous) {
                line << point;
            }
            previous = index;
        }
        count_ = 0;
    }

  private:
    std::pair<std::size_t, QPointF> first_, low_, high_, last_;
    int count_ = 0;
};

// The readings within the span, and one either side so that the line runs to
// the frame's edges; at most four points per column, whatever their number.
QPolygonF readingLine(const std::vector<LitresReading>& readings, const Axes& axes) {
    const auto byTime = [](const LitresReading& r, qint64 ms) {
        return r.time.toMSecsSinceEpoch() < ms;
    };
    std::size_t begin =
        std::lower_bound(readings.begin(), readings.end(), axes.fromMs, byTime) - readings.begin();
    std::size_t end = std::lower_bound(readings.begin(), readings.end(), axes.toMs + 1, byTime) -
                      readings.begin();
    begin = begin > 0 ? begin - 1 : 0;
    end = std::min(end + 1, readings.size());
    QPolygonF line;
    ColumnPoints column;
    double columnIndex = std::nan("");
    for (std::size_t i = begin; i < end; ++i) {
        if (!hasPoint(readings[i])) {
            continue;
        }
        const QPointF point(axes.x(readings[i].time), axes.y(readings[i].litres));
        const double index = std::floor(point.x() / columnMm);
        if (index != columnIndex) {
            column.flushInto(line);
            columnIndex = index;
        }
        column.add(i, point);
    }
    column.flushInto(line);
    return line;
}

// The line, and a dot on each reading while they are far enough apart to be
// told one from another: a single reading would otherwise not show at all.
void drawReadings(PagePainter& page, const QPolygonF& line, const QRectF& frame) {
    page.painter().setPen(
        QPen(totalColour, page.dotsX(0.5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    drawPolyline(page, line);
    if (static_cast<double>(line.size()) > frame.width() / dotSpacingMm) {
        return;
    }
    page.painter().setBrush(totalColour);
    for (const QPointF& point : line) {
        page.painter().drawEllipse(page.at(point.x(), point.y()), page.dotsX(dotRadiusMm),
                                   page.dotsY(dotRadiusMm));
    }
    page.painter().setBrush(Qt::NoBrush);
}

// --- Marks on the curve ----------------------------------------------------------

void drawDeliveries(PagePainter& page, const Axes& axes, const std::vector<QDateTime>& deliveries) {
    page.setPen(deliveryColour, 0.2);
    page.painter().setBrush(deliveryColour);
    const QRectF& f = axes.frame;
    for (const QDateTime& time : deliveries) {
        if (!time.isValid() || time.toMSecsSinceEpoch() < axes.fromMs ||
            time.toMSecsSinceEpoch() > axes.toMs) {
            continue;
        }
        const double x = axes.x(time);
        drawLine(page, {x, f.bottom()}, {x, f.top()});
        const QPolygonF triangle{page.at(x - markMm / 2, f.bottom()),
                                 page.at(x + markMm / 2, f.bottom()),
                                 page.at(x, f.bottom() - markMm)};
        page.painter().drawPolygon(triangle);
    }
    page.painter().setBrush(Qt::NoBrush);
}

// A level line across the frame, its name above or below it, at the right.
void drawLevel(PagePainter& page, const Axes& axes, double litres, const QColor& colour,
               const QString& name, bool nameAbove) {
    if (!(litres > 0) || litres > axes.maxLitres) {
        return;
    }
    const QRectF& f = axes.frame;
    const double y = axes.y(litres);
    page.setPen(colour, 0.4, Qt::DashDotLine);
    drawLine(page, {f.left(), y}, {f.right(), y});
    page.setFont(smallPoints);
    const double height = page.textHeight(smallPoints);
    const double top = nameAbove ? std::max(f.top(), y - height) : std::min(y, f.bottom() - height);
    drawText(page, QRectF(f.left(), top, f.width() - 1, height), Qt::AlignRight | Qt::AlignVCenter,
             name);
}

void drawLevels(PagePainter& page, const Axes& axes, const LogbookPlotData& data) {
    // The upper line's name above it, the lower's below: the two never meet.
    const bool reserveHigher = data.reserveLitres >= data.strainerLitres;
    drawLevel(page, axes, data.reserveLitres, reserveColour, QStringLiteral("Réserve"),
              reserveHigher);
    drawLevel(page, axes, data.strainerLitres, strainerColour, QStringLiteral("Crépine"),
              !reserveHigher);
}

// The litres on the way from the last reading to the reserve at `time`, as
// the forecast's straight line gives them.
double litresOnTheWay(const LitresReading& last, const Forecast& forecast, double reserve,
                      const QDateTime& time) {
    const auto whole = static_cast<double>(last.time.msecsTo(forecast.reserveTime));
    if (whole <= 0) {
        return last.litres;
    }
    const double share = std::clamp(static_cast<double>(last.time.msecsTo(time)) / whole, 0.0, 1.0);
    return last.litres + (reserve - last.litres) * share;
}

// The words "Commander le ..." beside the order's dot, inside the frame.
void drawOrderLabel(PagePainter& page, const Axes& axes, QPointF dot, const QString& words) {
    page.setFont(smallPoints, true);
    const double width = page.textWidth(words, smallPoints, true) + 1;
    const double height = page.textHeight(smallPoints, true);
    const QRectF& f = axes.frame;
    const bool rightRoomLeft = dot.x() + 1.5 + width <= f.right();
    const double left = rightRoomLeft ? dot.x() + 1.5 : std::max(f.left(), dot.x() - 1.5 - width);
    const double top =
        std::clamp(dot.y() - height - 1, f.top(), std::max(f.top(), f.bottom() - height));
    page.painter().fillRect(page.box(left, top, width, height), Qt::white);
    page.setPen(forecastColour, 0.2);
    drawText(page, QRectF(left, top, width, height), Qt::AlignCenter, words);
}

void drawForecast(PagePainter& page, const Axes& axes, const LogbookPlotData& data) {
    if (!data.forecast || data.readings.empty() || !hasPoint(data.readings.back())) {
        return;
    }
    const Forecast& forecast = *data.forecast;
    const LitresReading& last = data.readings.back();
    const QDateTime orderTime = std::max(forecast.orderTime, last.time);
    const QPointF start(axes.x(last.time), axes.y(last.litres));
    const QPointF order(axes.x(orderTime),
                        axes.y(litresOnTheWay(last, forecast, data.reserveLitres, orderTime)));
    page.setPen(forecastColour, 0.45, Qt::DashLine);
    if (forecast.reserveTime.isValid() && forecast.reserveTime > last.time) {
        drawPolyline(
            page,
            QPolygonF{start, order, {axes.x(forecast.reserveTime), axes.y(data.reserveLitres)}});
    }
    page.setPen(forecastColour, 0.2, Qt::DotLine);
    drawLine(page, order, {order.x(), axes.frame.bottom()});
    page.setPen(forecastColour, 0.3);
    page.painter().setBrush(forecastColour);
    page.painter().drawEllipse(page.at(order.x(), order.y()), page.dotsX(0.9), page.dotsY(0.9));
    page.painter().setBrush(Qt::NoBrush);
    if (forecast.orderTime.isValid()) {
        drawOrderLabel(page, axes, order,
                       QStringLiteral("Commander le %1").arg(frenchDayText(forecast.orderTime)));
    }
}

// --- The curve -------------------------------------------------------------------

void drawCurve(PagePainter& page, const QRectF& frame, const LogbookPlotData& data) {
    const auto [from, to] = shownSpan(data);
    Axes axes;
    axes.frame = frame;
    axes.fromMs = from.toMSecsSinceEpoch();
    axes.toMs = std::max(to.toMSecsSinceEpoch(), axes.fromMs + 1);
    axes.maxLitres = topLitres(data);
    drawLitreGraduations(page, frame, axes.maxLitres);
    drawTimeAxis(page, axes, from, to);
    drawFrameTitle(page, frame, QStringLiteral("Litres"));
    page.painter().save();
    page.painter().setClipRect(page.box(frame.x(), frame.y(), frame.width(), frame.height()));
    drawLevels(page, axes, data);
    drawDeliveries(page, axes, data.deliveries);
    drawReadings(page, readingLine(data.readings, axes), frame);
    drawForecast(page, axes, data);
    page.painter().restore();
    drawFrame(page, frame);
}

// --- The month bars ---------------------------------------------------------------

// The season (named by the year it starts) of the last reading shown.
int shownSeason(const LogbookPlotData& data) {
    const auto [from, to] = shownSpan(data);
    QDateTime reference = to;
    for (auto it = data.readings.rbegin(); it != data.readings.rend(); ++it) {
        if (hasPoint(*it) && it->time <= to) {
            reference = it->time;
            break;
        }
    }
    const QDate day = reference.toLocalTime().date();
    return day.month() >= seasonFirstMonth ? day.year() : day.year() - 1;
}

QString seasonName(int startYear) {
    return QStringLiteral("Saison %1-%2").arg(startYear).arg(startYear + 1);
}

// The litres of each month of the season starting in `startYear`, July first.
std::array<double, monthsPerSeason> seasonMonths(const std::vector<MonthUse>& months,
                                                 int startYear) {
    std::array<double, monthsPerSeason> litres{};
    for (const MonthUse& use : months) {
        const int season = use.month >= seasonFirstMonth ? use.year : use.year - 1;
        if (season == startYear && use.month >= 1 && use.month <= 12 && std::isfinite(use.litres)) {
            litres[static_cast<std::size_t>((use.month - seasonFirstMonth + 12) % 12)] +=
                use.litres;
        }
    }
    return litres;
}

// The two seasons' names and colours, above the frame on the right, in the
// order of the bars: the last season, then this one.
void drawSeasonLegend(PagePainter& page, const QRectF& frame, int season) {
    page.setFont(smallPoints);
    const double height = page.textHeight(smallPoints);
    double right = frame.right();
    const std::array<std::pair<QString, QColor>, 2> entries = {
        std::pair{seasonName(season), totalColour},
        std::pair{seasonName(season - 1), lastSeasonColour}};
    for (const auto& [name, colour] : entries) {
        const double width = page.textWidth(name, smallPoints) + 1;
        const QRectF words(right - width, frame.top() - height - 1, width, height);
        page.setPen(inkColour, 0.2);
        drawText(page, words, Qt::AlignLeft | Qt::AlignVCenter, name);
        const double swatch = height * 0.6;
        page.painter().fillRect(
            page.box(words.left() - swatch - 1, words.center().y() - swatch / 2, swatch, swatch),
            colour);
        right = words.left() - swatch - 4;
    }
}

// Each month's name under its pair of bars, its initial when the name has no room.
void drawBarMonths(PagePainter& page, const QRectF& frame, double slot) {
    page.setFont(smallPoints);
    page.setPen(inkColour, 0.2);
    const QLocale french = frenchLocale();
    for (int k = 0; k < monthsPerSeason; ++k) {
        const int month = (seasonFirstMonth - 1 + k) % 12 + 1;
        QString name = french.monthName(month, QLocale::ShortFormat);
        if (page.textWidth(name, smallPoints) > slot - 0.5) {
            name = name.left(1).toUpper();
        }
        drawText(page,
                 QRectF(frame.left() + k * slot, frame.bottom() + 1.2, slot,
                        page.textHeight(smallPoints)),
                 Qt::AlignHCenter | Qt::AlignTop, name);
    }
}

void drawMonthBars(PagePainter& page, const QRectF& frame, const LogbookPlotData& data) {
    const int season = shownSeason(data);
    const auto current = seasonMonths(data.months, season);
    const auto previous = seasonMonths(data.months, season - 1);
    double top = 0;
    for (std::size_t k = 0; k < current.size(); ++k) {
        top = std::max({top, current[k], previous[k]});
    }
    // Up to a graduation, so that the highest bar has its number beside it.
    const double step = litreStep(page, frame, top > 0 ? top : 1);
    top = std::max(std::ceil(top / step), 1.0) * step;
    drawLitreGraduations(page, frame, top);
    drawFrameTitle(page, frame, QStringLiteral("Litres par mois"));
    drawSeasonLegend(page, frame, season);
    const double slot = frame.width() / monthsPerSeason;
    const double bar = slot * 0.36;
    for (std::size_t k = 0; k < current.size(); ++k) {
        const double left = frame.left() + static_cast<double>(k) * slot + slot / 2 - bar;
        const double previousHeight = frame.height() * std::max(previous[k], 0.0) / top;
        const double currentHeight = frame.height() * std::max(current[k], 0.0) / top;
        page.painter().fillRect(
            page.box(left, frame.bottom() - previousHeight, bar, previousHeight), lastSeasonColour);
        page.painter().fillRect(
            page.box(left + bar, frame.bottom() - currentHeight, bar, currentHeight), totalColour);
    }
    drawBarMonths(page, frame, slot);
    drawFrame(page, frame);
}

// --- The whole picture -------------------------------------------------------------

bool hasReadings(const LogbookPlotData& data) {
    return std::any_of(data.readings.begin(), data.readings.end(), hasPoint);
}

void drawEmpty(PagePainter& page, const QSizeF& sizeMm) {
    page.setFont(bodyPoints);
    page.setPen(inkColour, 0.2);
    drawText(page, QRectF(QPointF(0, 0), sizeMm), Qt::AlignCenter | Qt::TextWordWrap,
             emptySentence());
}

// The curve over the bars, each with room for its graduations and title.
void drawPicture(PagePainter& page, const QSizeF& sizeMm, const LogbookPlotData& data) {
    const double lineHeight = page.textHeight(smallPoints);
    const double below = 2 * lineHeight + 2;  // month names and years
    const double width = std::max(sizeMm.width() - axisRoom - rightRoom, 1.0);
    const double curveHeight = sizeMm.height() * curveShare;
    const QRectF curve(axisRoom, aboveRoom, width, std::max(curveHeight - aboveRoom - below, 1.0));
    const double barsTop = curveHeight + aboveRoom;
    const QRectF bars(axisRoom, barsTop, width,
                      std::max(sizeMm.height() - barsTop - lineHeight - 2, 1.0));
    drawCurve(page, curve, data);
    drawMonthBars(page, bars, data);
}

QSizeF millimetresOf(const PagePainter& page, const QSizeF& size) {
    return {size.width() / page.dotsX(1), size.height() / page.dotsY(1)};
}

}  // namespace

void paintLogbookPlot(QPainter& painter, const QRectF& area, const LogbookPlotData& data,
                      const OutputConventions& numbers) {
    painter.save();
    painter.translate(area.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    PagePainter page(painter, numbers);
    const QSizeF sizeMm = millimetresOf(page, area.size());
    if (hasReadings(data)) {
        drawPicture(page, sizeMm, data);
    } else {
        drawEmpty(page, sizeMm);
    }
    painter.restore();
}

QString logbookPlotDescription(const LogbookPlotData& data, const OutputConventions& numbers) {
    std::vector<const LitresReading*> shown;
    const auto [from, to] = shownSpan(data);
    for (const LitresReading& reading : data.readings) {
        if (hasPoint(reading) && reading.time >= from && reading.time <= to) {
            shown.push_back(&reading);
        }
    }
    if (shown.empty()) {
        return hasReadings(data) ? QStringLiteral("Aucun relevé du %1 au %2.")
                                       .arg(frenchDayText(from), frenchDayText(to))
                                 : emptySentence();
    }
    const LitresReading& first = *shown.front();
    const LitresReading& last = *shown.back();
    QString text = QStringLiteral("Litres du %1 au %2 : de %3 à %4 litres.")
                       .arg(frenchDayText(first.time), frenchDayText(last.time),
                            numbers.litres(first.litres, 0), numbers.litres(last.litres, 0));
    if (data.forecast && data.forecast->orderTime.isValid()) {
        text += QStringLiteral(" Commander le %1.").arg(frenchDayText(data.forecast->orderTime));
    }
    return text;
}

LogbookPlot::LogbookPlot(QWidget* parent)
    : QWidget(parent), numbers_(conventionsForPeople(QLocale())) {
    setObjectName(QStringLiteral("logPlot"));
    setAccessibleName(QStringLiteral("Courbe du carnet"));
    setAccessibleDescription(emptySentence());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(twipsSize(7200, 4800));
}

void LogbookPlot::setData(LogbookPlotData data) {
    data_ = std::move(data);
    setAccessibleDescription(logbookPlotDescription(data_, numbers_));
    update();
}

void LogbookPlot::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    paintLogbookPlot(painter, QRectF(rect()), data_, numbers_);
}

namespace {

// The title and the summary's lines at the top of the page; returns the
// millimetres they take.
double drawPageHead(PagePainter& page, const QSizeF& sizeMm, const QStringList& summaryLines) {
    page.setPen(inkColour, 0.2);
    page.setFont(titlePoints, true);
    const double titleHeight = page.textHeight(titlePoints, true);
    drawText(page, QRectF(0, 0, sizeMm.width(), titleHeight), Qt::AlignLeft | Qt::AlignTop,
             QStringLiteral("Carnet de la cuve"));
    page.setFont(bodyPoints);
    const QFontMetricsF metrics(PagePainter::font(bodyPoints), page.painter().device());
    const QString summary = summaryLines.join(QLatin1Char('\n'));
    const double room = sizeMm.height() * 0.4 - titleHeight;  // the plot keeps the rest
    const QRectF wanted = metrics.boundingRect(
        QRectF(0, 0, page.dotsX(sizeMm.width()), page.dotsY(room)), Qt::TextWordWrap, summary);
    const double summaryHeight = std::min(wanted.height() / page.dotsY(1), room);
    const double top = titleHeight + 3;
    drawText(page, QRectF(0, top, sizeMm.width(), summaryHeight),
             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, summary);
    return top + summaryHeight + 4;
}

}  // namespace

void paintLogbookPage(QPainter& painter, const QRectF& area, const QStringList& summaryLines,
                      const LogbookPlotData& data, const OutputConventions& numbers) {
    painter.save();
    painter.translate(area.topLeft());
    PagePainter page(painter, numbers);
    const QSizeF sizeMm = millimetresOf(page, area.size());
    const double headMm = drawPageHead(page, sizeMm, summaryLines);
    // The plot takes what the head leaves of the page's upper 60 %, and no less than half the page.
    const double plotMm = std::max(sizeMm.height() * 0.6 - headMm, sizeMm.height() * 0.5);
    const QRectF plot(0, page.dotsY(headMm), area.width(),
                      page.dotsY(std::min(plotMm, sizeMm.height() - headMm)));
    paintLogbookPlot(painter, plot, data, numbers);
    painter.restore();
}

bool printLogbookPage(QPrinter& printer, const QStringList& summaryLines,
                      const LogbookPlotData& data, const OutputConventions& numbers) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    paintLogbookPage(painter, QRectF(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size()),
                     summaryLines, data, numbers);
    return painter.end() && printer.printerState() != QPrinter::Error;
}

}  // namespace varnelle
