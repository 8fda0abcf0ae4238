#include "bareme_request.h"

#include <QCommandLineParser>
#include <QHash>
#include <cmath>

#include "bareme/carnet_options.h"
#include "bareme/command_line_options.h"
#include "files/echoed_text.h"
#include "bareme/esphome_filter.h"
#include "bareme/tank_file.h"
#include "chart/tank_chart.h"
#include "core/tank_rules.h"
#include "logbook/consumption.h"

namespace varnelle {
namespace {

// The parser forgets the dashes of an unknown option; "-x" or "--name".
QString optionAsTyped(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// --- The tank -------------------------------------------------------------

EndShape readEndShape(const OptionReader& options) {
    if (!options.has("bords")) {
        return EndShape::FlatEnds;
    }
    const std::optional<EndShape> shape = endShapeForKey(options.text("bords").trimmed());
    if (!shape) {
        refuse(options.where("bords"),
               QStringLiteral("Forme inconnue : « %1 ». Choisissez plats, tronconiques, "
                              "calotte ou quart-de-cercle.")
                   .arg(echoed(options.text("bords"))));
    }
    return *shape;
}

// Options that describe ends of another shape are mistakes worth reporting:
// most likely --bords was forgotten.
void refuseOptionsOfOtherShapes(const OptionReader& options, EndShape shape) {
    if (shape == EndShape::FlatEnds && options.has("largeur")) {
        refuse(options.where("largeur"),
               "Des bords plats n'ont pas de largeur : précisez --bords.");
    }
    if (shape != EndShape::SphericalCapEnds && options.has("arc")) {
        refuse(options.where("arc"),
               "Cette option ne sert qu'avec des bords en calotte (--bords calotte).");
    }
    if (shape != EndShape::ConicalEnds && options.has(measureKeys::endCircleDiameter)) {
        refuse(options.where(measureKeys::endCircleDiameter),
               "Cette option ne sert qu'avec des bords tronconiques (--bords tronconiques).");
    }
}

// A cap is given by either of two options; the message names both.
void refuseCapWithoutMeasure(const OptionReader& options, EndShape shape) {
    if (shape == EndShape::SphericalCapEnds && !options.has("largeur") && !options.has("arc")) {
        refuse(options.where("largeur"),
               "Veuillez rentrer une valeur de la largeur de la calotte (--largeur) ou de la "
               "longueur de son arc (--arc)");
    }
}

// The tank's measures as the options give them.
class CommandLineMeasures : public MeasureSource {
  public:
    explicit CommandLineMeasures(const OptionReader& options) : options_(options) {}

    bool has(Measure measure) const override {
        return options_.has(measureKey(measure)) ||
               (measure == Measure::CylinderLength && options_.has(optionName::nominalCapacity));
    }

    double value(Measure measure) const override {
        if (measure == Measure::CylinderLength && !options_.has(measureKeys::cylinderLength)) {
            return provisionalLength;  // deduced from the capacity once the ends are read
        }
        return options_.number(measureKey(measure));
    }

    // Any length the description accepts, until the real one is deduced.
    static constexpr double provisionalLength = 1000;

    EndShape endShape() const override {
        const EndShape shape = readEndShape(options_);
        refuseOptionsOfOtherShapes(options_, shape);
        refuseCapWithoutMeasure(options_, shape);
        return shape;
    }

  private:
    const OptionReader& options_;
};

TankDescription readTank(const OptionReader& options, const OutputConventions& numbers) {
    const Outcome<TankDescription> tank =
        readTankDescription(CommandLineMeasures(options), numbers);
    if (const Refusal* refusal = refusalOf(tank)) {
        // The measure's key is its option's name.
        refuse(options.where(refusal->subject.toLatin1().constData()), refusal->sentence);
    }
    return std::get<TankDescription>(tank);
}

// --capacite-nominale in place of --longueur: the length that gives this
// capacity with the other measures.
std::optional<double> readNominalCapacity(const OptionReader& options,
                                          TankDescription& description) {
    const char* name = optionName::nominalCapacity;
    if (!options.has(name)) {
        return std::nullopt;
    }
    if (options.has(measureKeys::cylinderLength)) {
        refuse(options.where(name),
               "Cette option remplace --longueur : donnez l'une ou l'autre, pas les deux.");
    }
    const double capacity = options.number(name);
    const Outcome<double> length = deduceCylinderLength(description.tank, capacity);
    if (const Refusal* why = refusalOf(length)) {
        refuse(options.where(name), why->sentence);
    }
    description.tank.cylinderLength = std::get<double>(length);
    return capacity;
}

// --- The question and the output ------------------------------------------

Question readQuestion(const OptionReader& options) {
    const char* asked = nullptr;
    for (const char* name : questionOptions) {
        if (!options.has(name)) {
            continue;
        }
        if (asked) {
            refuse(
                dashed(name),
                QStringLiteral("Cette option ne peut pas être donnée avec %1.").arg(dashed(asked)));
        }
        asked = name;
    }
    if (!asked) {
        // A carnet alone is asked for its summary.
        return options.has("carnet") ? Question::CarnetSummary : Question::Chart;
    }
    static const QHash<QString, Question> questions = {
        {"volume", Question::HeightForVolume},
        {"commander", Question::Order},
        {"hauteur", Question::AtHeight},
        {"distance", Question::AtDistance},
        {"flux", Question::Stream},
        {optionName::saveTank, Question::SaveTank},
        {"releve", Question::AddReading},
        {"livraison", Question::AddDelivery},
        {"temperature", Question::AddTemperature},
        {"supprimer-releve", Question::DeleteReading},
        {"bilan", Question::CarnetSummary},
        {"releves", Question::CarnetJournal},
    };
    return questions.value(QString::fromLatin1(asked));
}

void refuseOptionsOfOtherQuestions(const OptionReader& options, Question question) {
    if (question != Question::Chart) {
        for (const char* name : {"pas", "pdf"}) {
            if (options.has(name)) {
                refuse(dashed(name), "Cette option ne sert qu'au barème complet.");
            }
        }
    }
    if (question != Question::Order && question != Question::Stream &&
        question != Question::CarnetSummary && options.has("remplissage")) {
        refuse("--remplissage",
               "Cette option ne sert qu'avec --commander, --flux ou le bilan du carnet.");
    }
    if (question != Question::Stream && question != Question::AddReading && options.has("mesure")) {
        refuse("--mesure", "Cette option ne sert qu'avec --flux ou --releve.");
    }
    for (const char* name : {"unite", "champ", "filtre"}) {
        if (question != Question::Stream && options.has(name)) {
            refuse(dashed(name), "Cette option ne sert qu'avec --flux.");
        }
    }
    if ((question == Question::Stream || question == Question::SaveTank) && options.has("format")) {
        refuse("--format",
               QStringLiteral("Cette option ne peut pas être donnée avec %1.")
                   .arg(dashed(question == Question::Stream ? "flux" : optionName::saveTank)));
    }
    if (options.has("pdf") && options.has("format")) {
        refuse("--format", "Cette option ne peut pas être donnée avec --pdf.");
    }
}

OutputFormat readFormat(const OptionReader& options) {
    if (!options.has("format")) {
        return OutputFormat::Text;
    }
    const QString name = options.text("format").trimmed();
    if (name == "texte") {
        return OutputFormat::Text;
    }
    if (name == "csv") {
        return OutputFormat::Csv;
    }
    if (name == "json") {
        return OutputFormat::Json;
    }
    if (name == "esphome") {
        return OutputFormat::Esphome;
    }
    refuse("--format", QStringLiteral("Présentation inconnue : « %1 ». Choisissez texte, csv, "
                                      "json ou esphome.")
                           .arg(echoed(options.text("format"))));
}

QString readEsphomeSource(const OptionReader& options, OutputFormat format) {
    if (!options.has(optionName::esphomeSource)) {
        return QString::fromLatin1(defaultEsphomeSource);
    }
    if (format != OutputFormat::Esphome) {
        refuse(dashed(optionName::esphomeSource), "Cette option ne sert qu'avec --format esphome.");
    }
    QString id = options.text(optionName::esphomeSource).trimmed();
    if (!isEsphomeId(id)) {
        refuse(dashed(optionName::esphomeSource),
               QStringLiteral("« %1 » ne peut pas être l'id d'un capteur ESPHome : des lettres "
                              "sans accent, des chiffres et « _ », sans chiffre en tête.")
                   .arg(echoed(options.text(optionName::esphomeSource))));
    }
    return id;
}

double readStep(const OptionReader& options, const BaremeRequest& request) {
    const TankDescription& description = request.description;
    const double step = options.has("pas") ? options.length("pas") : defaultChartStep;
    if (const std::optional<Refusal> badStep =
            chartStepRefusal(description.tank.diameter, step, request.numbers)) {
        refuse("--pas", badStep->sentence);
    }
    if (const std::optional<Refusal> tooMuch =
            chartWorkRefusal(description, step, request.numbers)) {
        refuse(options.has("pas") ? QStringLiteral("--pas") : options.where("precision"),
               tooMuch->sentence);
    }
    return step;
}

SensorMount readSensorMount(const OptionReader& options) {
    SensorMount mount;
    if (options.has("zone-morte")) {
        mount.blindZone = options.length("zone-morte");
        if (mount.blindZone < 0) {
            refuse(options.where("zone-morte"), "La zone morte ne peut pas être négative !");
        }
    }
    if (options.has("decalage")) {
        mount.offset = options.length("decalage");
    }
    return mount;
}

void readSensorDistance(const OptionReader& options, BaremeRequest& request) {
    const double distance = options.length("distance");
    if (distance < 0) {
        refuse("--distance", "La distance ne peut pas être négative !");
    }
    const Outcome<double> height = heightAtDistance(
        request.description.tank.diameter, request.sensorMount, distance,
        QStringLiteral("de %1 mm").arg(options.text("distance").trimmed()), ZeroDistance::Reading);
    if (const Refusal* why = refusalOf(height)) {
        refuse("--distance", asSentence(why->sentence));
    }
    request.sensorDistance = distance;
    request.oilHeight = std::get<double>(height);
}

void readPdfPath(const OptionReader& options, BaremeRequest& request) {
    if (options.has("pdf")) {
        request.pdfPath = options.text("pdf");
        if (request.pdfPath.trimmed().isEmpty()) {
            refuse("--pdf", "Veuillez donner le nom du fichier PDF.");
        }
    }
}

// Filters are conditions on the stream's lines, never a tank's measures:
// they come from the command line only.
QList<StreamFilter> readStreamFilters(const QCommandLineParser& parser) {
    QList<StreamFilter> filters;
    for (const QString& condition : parser.values(QLatin1String(repeatableOption))) {
        const qsizetype equals = condition.indexOf('=');
        if (equals <= 0) {
            refuse("--filtre",
                   QStringLiteral("« %1 » n'est pas une condition CLE=VALEUR (id=13060111, par "
                                  "exemple).")
                       .arg(echoed(condition)));
        }
        filters.append({condition.left(equals).trimmed(), condition.mid(equals + 1).trimmed()});
    }
    return filters;
}

void readStreamSettings(const OptionReader& options, BaremeRequest& request) {
    request.fillPercent = readFillPercent(options);
    const QString measure = options.has("mesure") ? options.text("mesure").trimmed() : "distance";
    if (measure != "distance" && measure != "hauteur") {
        refuse("--mesure", QStringLiteral("Grandeur inconnue : « %1 ». Choisissez distance ou "
                                          "hauteur.")
                               .arg(echoed(options.text("mesure"))));
    }
    request.streamReadsDistances = measure == "distance";
    const QString unit = options.has("unite") ? options.text("unite").trimmed() : "mm";
    const QHash<QString, double> millimetres = {
        {"mm", 1}, {"cm", millimetresPerCentimetre}, {"m", 1000}};
    if (!millimetres.contains(unit)) {
        refuse("--unite", QStringLiteral("Unité inconnue : « %1 ». Choisissez mm, cm ou m.")
                              .arg(echoed(options.text("unite"))));
    }
    request.millimetresPerUnit = millimetres.value(unit);
    request.streamUnit = unit;
    request.streamField = options.text("champ");
}

// Measures from a tank file stand in for the options, which may then not be given.
void readTankFileInto(OptionReader& options, const QCommandLineParser& parser) {
    if (!options.has("cuve")) {
        return;
    }
    for (const char* name : tankOptions) {
        if (parser.isSet(QLatin1String(name))) {
            refuse(dashed(name), "Cette option ne peut pas être donnée avec --cuve.");
        }
    }
    options.useFileValues(options.text("cuve"), readTankFile(options.text("cuve")));
}

// How the sensor is mounted matters only where a distance is read. Given in a
// tank file, it is kept for those questions and passed over by the others.
void refuseSensorMountWithoutDistances(const OptionReader& options, const BaremeRequest& request) {
    const bool readsDistances =
        request.question == Question::AtDistance || request.question == Question::SaveTank ||
        (request.question == Question::Stream &&
         (!options.has("mesure") || options.text("mesure").trimmed() == "distance")) ||
        (request.question == Question::AddReading && options.has("mesure") &&
         options.text("mesure").trimmed() == "distance") ||
        (request.question == Question::Chart && request.format == OutputFormat::Esphome);
    for (const char* name : {"zone-morte", "decalage"}) {
        if (options.has(name) && !readsDistances) {
            refuse(dashed(name),
                   "Cette option ne sert qu'avec une distance : --distance, --flux (--mesure "
                   "distance), --releve avec --mesure distance, ou --format esphome.");
        }
    }
}

void readQuestionValues(const OptionReader& options, BaremeRequest& request) {
    const double diameter = request.description.tank.diameter;
    switch (request.question) {
        case Question::Chart:
            request.step = readStep(options, request);
            readPdfPath(options, request);
            break;
        case Question::HeightForVolume:
            request.litres = options.number("volume");
            if (request.litres < 0) {
                refuse("--volume", "Le volume ne peut pas être négatif !");
            }
            break;
        case Question::Order:
            request.oilHeight = readOilHeight(options, "commander", diameter);
            request.fillPercent = readFillPercent(options);
            break;
        case Question::AtHeight:
            request.oilHeight = readOilHeight(options, "hauteur", diameter);
            break;
        case Question::AtDistance:
            readSensorDistance(options, request);
            break;
        case Question::Stream:
            readStreamSettings(options, request);
            break;
        case Question::SaveTank:
            request.tankFilePath = options.text(optionName::saveTank);
            request.tankFileContents = tankFileContents(options);
            break;
        case Question::AddReading:
        case Question::AddDelivery:
        case Question::AddTemperature:
        case Question::DeleteReading:
        case Question::CarnetSummary:
        case Question::CarnetJournal:
            break;  // read by readCarnetValues
    }
    if (request.format == OutputFormat::Esphome && request.question != Question::Chart) {
        refuse("--format", "La présentation esphome ne sert qu'au barème complet.");
    }
}

BaremeRequest readRequest(const QCommandLineParser& parser, const QLocale& locale) {
    refuseRepeatedOptions(parser);
    OptionReader options(parser);

    BaremeRequest request;
    request.numbers = conventionsFor(locale);
    request.question = readQuestion(options);
    refuseOptionsOfOtherQuestions(options, request.question);
    request.format = readFormat(options);
    request.esphomeSource = readEsphomeSource(options, request.format);
    refuseSensorMountWithoutDistances(options, request);
    readTankFileInto(options, parser);
    readCarnetTank(options, parser, request);
    request.description = readTank(options, request.numbers);
    request.carnet.nominalCapacity = readNominalCapacity(options, request.description);
    request.sensorMount = readSensorMount(options);
    readQuestionValues(options, request);
    readCarnetValues(options, parser, request);
    request.streamFilters = readStreamFilters(parser);
    if (!request.streamFilters.isEmpty() && request.streamField.isEmpty()) {
        refuse("--filtre",
               "Cette option choisit des lignes JSON : donnez aussi --champ, le champ qui porte "
               "la mesure.");
    }
    // Last, so that "--diametre --longueur 2000" reports the missing diameter
    // rather than a stray 2000.
    refuseStrayArguments(parser);
    return request;
}

}  // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments, const QLocale& locale) {
    installFrenchParserTexts();
    QCommandLineParser parser;
    addOptions(parser);

    ParsedCommandLine parsed;
    if (!parser.parse(arguments)) {
        parsed.action = ParsedCommandLine::Action::Refuse;
        const QStringList unknown = parser.unknownOptionNames();
        parsed.error = {
            QString(),
            unknown.isEmpty()
                ? parser.errorText()
                : QStringLiteral("Option inconnue : « %1 ».").arg(optionAsTyped(unknown.first()))};
        return parsed;
    }
    if (parser.isSet("help")) {
        parsed.action = ParsedCommandLine::Action::ShowHelp;
        parsed.helpText = helpText(parser);
        return parsed;
    }
    if (parser.isSet("version")) {
        parsed.action = ParsedCommandLine::Action::ShowVersion;
        return parsed;
    }
    try {
        parsed.request = readRequest(parser, locale);
    } catch (const CommandLineRefusal& refused) {
        parsed.action = ParsedCommandLine::Action::Refuse;
        parsed.error = refused.refusal;
    }
    return parsed;
}

}  // namespace varnelle
