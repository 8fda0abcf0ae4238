#include "carnet_options.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "bareme/command_line_options.h"
#include "bareme/tank_file.h"
#include "chart/tank_chart.h"
#include "logbook/carnet_time.h"
#include "logbook/delivery_checks.h"

namespace varnelle {
namespace {

constexpr char carnetOption[] = "carnet";
constexpr double lowestMeanCelsius = -60;
constexpr double highestMeanCelsius = 60;
constexpr int longestOrderDelayDays = 365;

// Each carnet option and the questions it serves.
struct CarnetOption {
    const char* name;
    std::initializer_list<Question> questions;
    const char* servesOnly;  // the refusal elsewhere
};

const CarnetOption carnetOptions[] = {
    {"date",
     {Question::AddReading, Question::AddDelivery, Question::AddTemperature},
     "Cette option ne sert qu'avec --releve, --livraison ou --temperature."},
    {"prix", {Question::AddDelivery}, "Cette option ne sert qu'avec --livraison."},
    {"avant", {Question::AddDelivery}, "Cette option ne sert qu'avec --livraison."},
    {"apres", {Question::AddDelivery}, "Cette option ne sert qu'avec --livraison."},
    {"reserve",
     {Question::CarnetSummary, Question::Stream},
     "Cette option ne sert qu'avec le bilan du carnet ou --flux --carnet."},
    {"delai",
     {Question::CarnetSummary, Question::Stream},
     "Cette option ne sert qu'avec le bilan du carnet ou --flux --carnet."},
};

bool serves(const CarnetOption& option, Question question) {
    return std::any_of(option.questions.begin(), option.questions.end(),
                       [question](Question served) { return served == question; });
}

void refuseMisplacedOptions(const OptionReader& options, const QCommandLineParser& parser,
                            Question question) {
    const bool withCarnet = options.has(carnetOption);
    for (const CarnetOption& option : carnetOptions) {
        if (options.has(option.name) && !(withCarnet && serves(option, question))) {
            refuse(dashed(option.name), QString::fromUtf8(option.servesOnly));
        }
    }
    if (isCarnetQuestion(question) && !withCarnet) {
        for (const char* name : questionOptions) {
            if (options.has(name)) {
                refuse(dashed(name), "Cette option demande un carnet : --carnet FICHIER.");
            }
        }
    }
    if (parser.isSet("remplacer-cuve") && !withCarnet) {
        refuse("--remplacer-cuve", "Cette option demande un carnet : --carnet FICHIER.");
    }
    if (withCarnet && !isCarnetQuestion(question) && question != Question::Stream) {
        refuse("--carnet",
               "Cette option ne sert qu'avec le bilan, --releve, --livraison, "
               "--temperature, --releves, --supprimer-releve ou --flux.");
    }
}

// Whether the command line says what the tank is, by options or a tank file.
bool givesTank(const OptionReader& options, const QCommandLineParser& parser) {
    return options.has("cuve") ||
           std::any_of(std::begin(tankOptions), std::end(tankOptions),
                       [&parser](const char* name) { return parser.isSet(QLatin1String(name)); });
}

QString carnetPath(const OptionReader& options) {
    QString path = options.text(carnetOption);
    if (path.trimmed().isEmpty()) {
        refuse("--carnet", "Veuillez donner le nom du fichier du carnet.");
    }
    return path;
}

TankValues optionsTank(const OptionReader& options) {
    return tankFileValues(QString(), tankFileContents(options));
}

QDateTime now() {
    const QDateTime clock = QDateTime::currentDateTimeUtc();
    return clock.addMSecs(-clock.time().msec());  // to the second, as a person writes it
}

QDateTime readDate(const OptionReader& options, const char* name) {
    if (!options.has(name)) {
        return now();
    }
    const Outcome<QDateTime> time = readTime(options.text(name), QDateTime::currentDateTimeUtc());
    if (const Refusal* why = refusalOf(time)) {
        refuse(dashed(name), asSentence(why->sentence));
    }
    return std::get<QDateTime>(time);
}

std::optional<double> optionalLitres(const OptionReader& options, const char* name) {
    if (!options.has(name)) {
        return std::nullopt;
    }
    const double value = options.number(name);
    if (value < 0) {
        refuse(dashed(name), "Cette option ne peut pas être négative !");
    }
    return value;
}

std::optional<double> optionalHeight(const OptionReader& options, const char* name,
                                     double diameter) {
    if (!options.has(name)) {
        return std::nullopt;
    }
    return readOilHeight(options, name, diameter);
}

void readReading(const OptionReader& options, BaremeRequest& request) {
    const double diameter = request.description.tank.diameter;
    const bool distance = options.has("mesure") && options.text("mesure").trimmed() == "distance";
    if (options.has("mesure") && !distance && options.text("mesure").trimmed() != "hauteur") {
        refuse("--mesure", "Avec --releve, choisissez distance ou hauteur.");
    }
    Reading& reading = request.carnet.reading;
    reading.time = readDate(options, "date");
    if (!distance) {
        reading.heightMm = readOilHeight(options, "releve", diameter);
        return;
    }
    const double millimetres = options.length("releve");
    const Outcome<double> height = heightAtDistance(
        diameter, request.sensorMount, millimetres,
        QStringLiteral("de %1 mm").arg(options.text("releve").trimmed()), ZeroDistance::Reading);
    if (const Refusal* why = refusalOf(height)) {
        refuse("--releve", asSentence(why->sentence));
    }
    reading.heightMm = std::get<double>(height);
}

void readDelivery(const OptionReader& options, BaremeRequest& request) {
    const TankParameters& tank = request.description.tank;
    Delivery& delivery = request.carnet.delivery;
    delivery.time = readDate(options, "date");
    delivery.receiptLitres = options.number("livraison");
    if (const std::optional<QString> refused = capacityRefusal(
            delivery.receiptLitres, totalVolumeAt(tank, tank.diameter), request.numbers)) {
        refuse("--livraison", *refused);
    }
    delivery.pricePerLitre = optionalLitres(options, "prix");
    delivery.heightBeforeMm = optionalHeight(options, "avant", tank.diameter);
    delivery.heightAfterMm = optionalHeight(options, "apres", tank.diameter);
    if (delivery.heightBeforeMm && delivery.heightAfterMm &&
        *delivery.heightAfterMm < *delivery.heightBeforeMm) {
        refuse("--apres", QString::fromUtf8(deliveryText::afterBelowBefore));
    }
}

void readTemperature(const OptionReader& options, BaremeRequest& request) {
    if (!options.has("date")) {
        refuse("--temperature", "Donnez le jour de cette moyenne : --date AAAA-MM-JJ.");
    }
    DailyTemperature& temperature = request.carnet.temperature;
    temperature.day = readDate(options, "date").toLocalTime().date();
    temperature.meanCelsius = options.number("temperature");
    if (!(temperature.meanCelsius >= lowestMeanCelsius &&
          temperature.meanCelsius <= highestMeanCelsius)) {
        refuse("--temperature",
               "Une température moyenne se donne de -60 à 60 °C : vérifiez le nombre.");
    }
}

ForecastOptions readForecastOptions(const OptionReader& options) {
    ForecastOptions forecast;
    forecast.fillPercent = readFillPercent(options);
    if (options.has("reserve")) {
        forecast.reservePercent = options.number("reserve");
        if (!(forecast.reservePercent >= 0 && forecast.reservePercent < forecast.fillPercent)) {
            refuse("--reserve",
                   "La réserve se donne en pour cent de la capacité, de 0 au remplissage "
                   "maximal (exclu).");
        }
    }
    if (options.has("delai")) {
        const double days = options.number("delai");
        if (!(days >= 0 && days <= longestOrderDelayDays) || days != std::floor(days)) {
            refuse("--delai", "Le délai se donne en jours entiers, de 0 à 365.");
        }
        forecast.orderDelayDays = static_cast<int>(days);
    }
    return forecast;
}

}  // namespace

bool isCarnetQuestion(Question question) {
    switch (question) {
        case Question::AddReading:
        case Question::AddDelivery:
        case Question::AddTemperature:
        case Question::DeleteReading:
        case Question::CarnetSummary:
        case Question::CarnetJournal:
            return true;
        default:
            return false;
    }
}

bool changesCarnet(Question question) {
    return isCarnetQuestion(question) && question != Question::CarnetSummary &&
           question != Question::CarnetJournal;
}

void readCarnetTank(OptionReader& options, const QCommandLineParser& parser,
                    BaremeRequest& request) {
    refuseMisplacedOptions(options, parser, request.question);
    if (!options.has(carnetOption)) {
        return;
    }
    CarnetRequest& carnet = request.carnet;
    carnet.path = carnetPath(options);
    if (!QFileInfo(carnet.path).exists()) {
        if (!givesTank(options, parser)) {
            refuse("--carnet", QStringLiteral("Le carnet « %1 » n'existe pas encore : donnez les "
                                              "mesures de la cuve (options ou --cuve) pour le "
                                              "créer.")
                                   .arg(carnet.path));
        }
        return;
    }
    const bool writes = changesCarnet(request.question) || request.question == Question::Stream ||
                        parser.isSet("remplacer-cuve");
    Outcome<CarnetStore> store = CarnetStore::open(carnet.path, writes);
    if (const Refusal* refused = refusalOf(store)) {
        refuse("--carnet", refused->sentence);
    }
    const Outcome<TankValues> tank = std::get<CarnetStore>(store).tank();
    if (const Refusal* refused = refusalOf(tank)) {
        refuse("--carnet", refused->sentence);
    }
    if (!givesTank(options, parser)) {
        options.useFileValues(carnet.path, std::get<TankValues>(tank));
    } else {
        carnet.newTank = std::get<TankValues>(tank);  // compared once the options are read
    }
}

void readCarnetValues(const OptionReader& options, const QCommandLineParser& parser,
                      BaremeRequest& request) {
    CarnetRequest& carnet = request.carnet;
    if (carnet.path.isEmpty()) {
        return;
    }
    const bool exists = QFileInfo(carnet.path).exists();
    const bool replace = parser.isSet("remplacer-cuve");
    if (replace && !givesTank(options, parser)) {
        refuse("--remplacer-cuve", "Donnez les nouvelles mesures de la cuve (options ou --cuve).");
    }
    if (givesTank(options, parser)) {
        const TankValues given = optionsTank(options);
        if (exists && given != carnet.newTank && !replace) {
            refuse("--carnet", QStringLiteral("Les mesures données diffèrent de celles du carnet "
                                              "« %1 » : ajoutez --remplacer-cuve pour les "
                                              "remplacer, ou ne les donnez pas.")
                                   .arg(carnet.path));
        }
        carnet.replaceTank = exists && given != carnet.newTank;
        carnet.newTank = !exists || carnet.replaceTank ? given : TankValues();
    }
    switch (request.question) {
        case Question::AddReading:
            readReading(options, request);
            break;
        case Question::AddDelivery:
            readDelivery(options, request);
            break;
        case Question::AddTemperature:
            readTemperature(options, request);
            break;
        case Question::DeleteReading:
            carnet.readingTime = readDate(options, "supprimer-releve");
            break;
        case Question::Stream:
            carnet.reading.source = Reading::Source::Sensor;
            carnet.forecast = readForecastOptions(options);
            break;
        case Question::CarnetSummary:
            carnet.forecast = readForecastOptions(options);
            break;
        default:
            break;
    }
}

}  // namespace varnelle
