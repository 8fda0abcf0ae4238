#include "carnet_commands.h"

#include <QFileInfo>

#include "bareme/bareme_program.h"
#include "bareme/carnet_options.h"
#include "chart/answer_fields.h"
#include "chart/json_object.h"
#include "chart/tank_chart.h"
#include "files/echoed_text.h"
#include "logbook/carnet_report.h"
#include "logbook/carnet_time.h"
#include "logbook/delivery_checks.h"

namespace varnelle {
namespace {

// Said on the error output: what could not be done to the carnet.
int failed(QTextStream& err, const Refusal& refusal) {
    err << programName << " : " << printable(refusal.sentence) << '\n';
    return exitFailure;
}

// A request the carnet's contents refuse, nothing stored.
int refused(QTextStream& err, const char* option, const QString& sentence) {
    reportUsageError(err, {QStringLiteral("--") + option, sentence});
    return exitBadArguments;
}

struct CarnetTank {
    explicit CarnetTank(const TankParameters& parameters,
                        const std::vector<std::pair<double, double>>& stored = {})
        : tank(parameters),
          litresAt(chartLitresAt(parameters, stored)),
          capacity(totalVolumeAt(parameters, parameters.diameter)) {}

    TankParameters tank;
    LitresAt litresAt;
    double capacity;
};

int addReading(CarnetStore& store, const BaremeRequest& request, const CarnetTank& carnet,
               QTextStream& out, QTextStream& err) {
    const Reading& reading = request.carnet.reading;
    const double litres = carnet.litresAt(reading.heightMm);
    if (const std::optional<Refusal> refusal = store.addReading(reading, litres)) {
        return failed(err, *refusal);
    }
    const OutputConventions& numbers = request.numbers;
    switch (request.format) {
        case OutputFormat::Json:
            out << JsonObject()
                       .string("date", localTimeText(reading.time))
                       .millimetres(oilHeightField(0).key, reading.heightMm)
                       .litres(jsonKey::totalLitres, litres)
                       .text()
                << '\n';
            break;
        case OutputFormat::Csv:
            out << csvLine({"Date", "Hauteur du mazout (mm)", "Volume total (litres)"},
                           numbers.csvSeparator)
                << csvLine({localTimeText(reading.time), numbers.number(reading.heightMm),
                            numbers.litres(litres)},
                           numbers.csvSeparator);
            break;
        default:
            out << QStringLiteral("Relevé du %1 enregistré : %2, soit %3.\n")
                       .arg(frenchTimeText(reading.time),
                            numbers.forPeople().millimetres(reading.heightMm),
                            numbers.forPeople().litresWithUnit(litres));
            break;
    }
    return exitSuccess;
}

int addDelivery(CarnetStore& store, const BaremeRequest& request, const CarnetTank& carnet,
                QTextStream& out, QTextStream& err) {
    const Delivery& delivery = request.carnet.delivery;
    const Outcome<std::vector<StoredReading>> readings = store.readings();
    if (const Refusal* refusal = refusalOf(readings)) {
        return failed(err, *refusal);
    }
    const auto& stored = std::get<std::vector<StoredReading>>(readings);
    const std::optional<double> before =
        delivery.heightBeforeMm ? delivery.heightBeforeMm : heightReadBefore(stored, delivery.time);
    if (const std::optional<QString> tooMuch = overfillRefusal(
            delivery, before, carnet.capacity, carnet.litresAt, request.numbers.forPeople())) {
        return refused(err, "livraison", *tooMuch);
    }
    if (const std::optional<Refusal> refusal = store.addDelivery(delivery)) {
        return failed(err, *refusal);
    }
    out << QStringLiteral("Livraison du %1 enregistrée : %2.\n")
               .arg(frenchTimeText(delivery.time),
                    request.numbers.forPeople().number(delivery.receiptLitres) +
                        QStringLiteral(" litres"));
    const Outcome<ReceiptCheck> check =
        checkReceipt(delivery, readingsNearDelivery(stored, delivery.time), carnet.litresAt);
    if (const ReceiptCheck* done = std::get_if<ReceiptCheck>(&check)) {
        out << done->sentence << '\n';
    }
    return exitSuccess;
}

int addTemperature(CarnetStore& store, const BaremeRequest& request, QTextStream& out,
                   QTextStream& err) {
    const DailyTemperature& temperature = request.carnet.temperature;
    if (const std::optional<Refusal> refusal = store.addTemperature(temperature)) {
        return failed(err, *refusal);
    }
    out << QStringLiteral("Température moyenne du %1 enregistrée : %2 °C.\n")
               .arg(temperature.day.toString(QStringLiteral("dd/MM/yyyy")),
                    request.numbers.number(temperature.meanCelsius, 0, 1));
    return exitSuccess;
}

int deleteReading(CarnetStore& store, const BaremeRequest& request, QTextStream& out,
                  QTextStream& err) {
    const QDateTime& time = request.carnet.readingTime;
    const Outcome<int> removed = store.deleteReadingsAt(time);
    if (const Refusal* refusal = refusalOf(removed)) {
        return failed(err, *refusal);
    }
    const int count = std::get<int>(removed);
    if (count == 0) {
        return refused(err, "supprimer-releve",
                       QStringLiteral("Le carnet n'a pas de relevé du %1 : les dates des relevés "
                                      "sont celles que --releves donne.")
                           .arg(frenchTimeText(time)));
    }
    out << QStringLiteral("Relevé du %1 supprimé.\n").arg(frenchTimeText(time));
    if (count > 1) {
        out << QStringLiteral("(%1 relevés portaient cette date.)\n").arg(count);
    }
    return exitSuccess;
}

int report(const CarnetStore& store, const BaremeRequest& request, QTextStream& out,
           QTextStream& err) {
    const Outcome<std::vector<StoredReading>> readings = store.readings();
    const Outcome<std::vector<Delivery>> deliveries = store.deliveries();
    const Outcome<std::vector<DailyTemperature>> temperatures = store.temperatures();
    for (const Refusal* refusal :
         {refusalOf(readings), refusalOf(deliveries), refusalOf(temperatures)}) {
        if (refusal) {
            return failed(err, *refusal);
        }
    }
    const auto& stored = std::get<std::vector<StoredReading>>(readings);
    const auto& delivered = std::get<std::vector<Delivery>>(deliveries);
    const OutputConventions& numbers = request.numbers;
    const CarnetTank carnet(request.description.tank, storedLitres(stored));
    if (request.question == Question::CarnetJournal) {
        switch (request.format) {
            case OutputFormat::Json:
                out << journalJson(stored, delivered, carnet.litresAt);
                break;
            case OutputFormat::Csv:
                out << journalCsv(stored, delivered, carnet.litresAt, numbers);
                break;
            default:
                out << journalText(stored, delivered, carnet.litresAt, numbers.forPeople());
                break;
        }
        return exitSuccess;
    }
    CarnetFacts facts;
    facts.capacity = carnet.capacity;
    facts.strainerLitres = carnet.litresAt(carnet.tank.strainerHeight);
    facts.options = request.carnet.forecast;
    facts.deliveries = delivered;
    facts.cylinderLength = carnet.tank.cylinderLength;
    facts.nominalCapacity = request.carnet.nominalCapacity;
    facts.summary = summarize(plainReadings(stored), delivered,
                              std::get<std::vector<DailyTemperature>>(temperatures),
                              carnet.litresAt, facts.capacity, facts.strainerLitres, facts.options);
    switch (request.format) {
        case OutputFormat::Json:
            out << summaryJson(facts);
            break;
        case OutputFormat::Csv:
            out << summaryCsv(facts, numbers);
            break;
        default:
            out << summaryText(facts, numbers.forPeople());
            break;
    }
    return exitSuccess;
}

}  // namespace

Outcome<CarnetStore> carnetForWriting(const CarnetRequest& carnet, const TankParameters& tank) {
    if (!QFileInfo(carnet.path).exists()) {
        return CarnetStore::create(carnet.path, carnet.newTank);
    }
    Outcome<CarnetStore> store = CarnetStore::open(carnet.path, true);
    if (auto* open = std::get_if<CarnetStore>(&store); open && carnet.replaceTank) {
        if (const std::optional<Refusal> refusal =
                open->replaceTank(carnet.newTank, chartLitresAt(tank))) {
            return *refusal;
        }
    }
    return store;
}

int answerCarnet(const BaremeRequest& request, QTextStream& out, QTextStream& err) {
    const CarnetRequest& carnet = request.carnet;
    const bool writes = changesCarnet(request.question) || !carnet.newTank.isEmpty();
    Outcome<CarnetStore> opened = writes ? carnetForWriting(carnet, request.description.tank)
                                         : CarnetStore::open(carnet.path, false);
    if (const Refusal* refusal = refusalOf(opened)) {
        return failed(err, *refusal);
    }
    auto& store = std::get<CarnetStore>(opened);
    // The reports seed their chart with the litres stored: the changes alone
    // build theirs here.
    switch (request.question) {
        case Question::AddReading:
            return addReading(store, request, CarnetTank(request.description.tank), out, err);
        case Question::AddDelivery:
            return addDelivery(store, request, CarnetTank(request.description.tank), out, err);
        case Question::AddTemperature:
            return addTemperature(store, request, out, err);
        case Question::DeleteReading:
            return deleteReading(store, request, out, err);
        default:
            return report(store, request, out, err);
    }
}

}  // namespace varnelle
