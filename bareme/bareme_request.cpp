#include "bareme_request.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QTranslator>
#include <cmath>
#include <cstring>

#include "bareme/measure_text.h"
#include "bareme/tank_chart.h"
#include "core/cap_conversion.h"
#include "core/number_text.h"

namespace varnelle {
namespace {

// No tank is a kilometre long; the bound also keeps every product of the
// computation far from the range where doubles overflow.
constexpr double largestMeasure = 1'000'000;  // mm
constexpr double smallestPrecision = 0.001;   // one slice per end
constexpr double largestPrecision = 1000;     // a million slices per end
constexpr std::size_t mostChartLines = 100'000;

// Thrown by the checks below and turned into a UsageError by parseCommandLine.
struct Refusal {
    UsageError error;
};

[[noreturn]] void refuse(const QString& option, const QString& message) {
    throw Refusal{{option, message}};
}

QString dashed(const QString& name) {
    return QStringLiteral("--") + name;
}

// The parser forgets the dashes of an unknown option; "-x" or "--name".
QString optionAsTyped(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString frenchNumber(double value) {
    return measureText(value, ',');
}

struct OptionDefinition {
    const char* name;
    const char* valueName;
    const char* description;
};

const OptionDefinition optionDefinitions[] = {
    {"diametre", "MM", "Diamètre intérieur de la cuve, en millimètres."},
    {"perimetre", "MM",
     "Périmètre de la cuve, à la place du diamètre : il est converti en diamètre au millimètre "
     "près, comme dans la fenêtre."},
    {"longueur", "MM", "Longueur de la partie cylindrique de la cuve, bords exclus."},
    {"bords", "FORME",
     "Forme des bords : plats (par défaut), tronconiques, calotte ou quart-de-cercle."},
    {"largeur", "MM",
     "Largeur de chaque bord : longueur du tronc de cône, hauteur de la calotte ou rayon du "
     "quart de cercle."},
    {"arc", "MM",
     "Pour une calotte, à la place de --largeur : longueur de la portion de sphère passant par "
     "le centre de la calotte ; convertie en largeur au millimètre près, comme dans la fenêtre."},
    {"diametre-extremite", "MM",
     "Pour des bords tronconiques : diamètre du cercle de l'extrémité."},
    {"crepine", "MM", "Hauteur de la crépine par rapport au fond de la cuve (0 par défaut)."},
    {"precision", "MILLIERS",
     "Nombre d'intervalles d'intégration par extrémité, en milliers (10 par défaut, de 0,001 à "
     "1000)."},
    {"pas", "MM", "Pas du barème, en millimètres entiers (10 par défaut)."},
    {"format", "FORMAT", "Présentation : texte (par défaut), csv ou json."},
    {"pdf", "FICHIER", "Écrit le barème dans un fichier PDF imprimable (A4)."},
    {"volume", "LITRES", "Donne la hauteur de mazout à laquelle la cuve contient ce volume."},
    {"commander", "HAUTEUR",
     "Donne les litres à commander quand le mazout est à cette hauteur (mm)."},
    {"remplissage", "POURCENT",
     "Avec --commander : remplissage maximal en pour cent de la capacité (90 par défaut)."},
    {"hauteur", "MM", "Donne les cinq volumes de la fenêtre pour cette hauteur de mazout."},
    {"distance", "MM",
     "Comme --hauteur, à partir de la distance qu'un capteur placé en haut de la cuve mesure "
     "jusqu'au mazout (hauteur = diamètre - distance)."},
};

// ASCII digits with at most one decimal comma or period, an optional sign and
// exponent, and spaces only around it (the core's reader would skip blanks
// inside a number too, and read other digits as nothing).
bool isWrittenAsNumber(const QString& text) {
    static const QRegularExpression shape(
        R"(^ *[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)? *$)");
    return shape.match(text).hasMatch();
}

const char* const questionOptions[] = {"volume", "commander", "hauteur", "distance"};

const char* const programDescription =
    "Barème de jaugeage d'une cuve à mazout cylindrique horizontale : les litres pour chaque "
    "hauteur lue à la jauge, la hauteur d'un volume, la quantité à commander, ou les volumes "
    "pour une seule hauteur.\n"
    "Les longueurs sont en millimètres ; un nombre s'écrit avec une virgule ou un point "
    "(12,5 ou 12.5).";

// Reads option values, refusing what cannot be a measure.
class OptionReader {
  public:
    explicit OptionReader(const QCommandLineParser& parser) : parser_(parser) {}

    bool has(const char* name) const { return parser_.isSet(QLatin1String(name)); }

    QString text(const char* name) const { return parser_.value(QLatin1String(name)); }

    double number(const char* name) const {
        const QString given = text(name);
        const std::optional<double> value = decimalNumber(given);
        if (value) {
            return *value;
        }
        if (isWrittenAsNumber(given)) {
            refuse(dashed(name), QStringLiteral("La valeur « %1 » est trop grande.").arg(given));
        }
        refuse(dashed(name),
               QStringLiteral("Cette option attend un nombre, pas « %1 ».").arg(given));
    }

    // A length in millimetres, no larger than any tank.
    double length(const char* name) const {
        const double value = number(name);
        if (std::abs(value) > largestMeasure) {
            refuse(dashed(name), QStringLiteral("La valeur ne peut pas dépasser %1 mm !")
                                     .arg(frenchNumber(largestMeasure)));
        }
        return value;
    }

  private:
    const QCommandLineParser& parser_;
};

void refuseRepeatedOptions(const QCommandLineParser& parser) {
    for (const OptionDefinition& option : optionDefinitions) {
        if (parser.values(QLatin1String(option.name)).size() > 1) {
            refuse(dashed(option.name), QStringLiteral("Cette option est donnée plus d'une fois."));
        }
    }
}

void refuseStrayArguments(const QCommandLineParser& parser) {
    const QStringList stray = parser.positionalArguments();
    if (!stray.isEmpty()) {
        refuse(QString(), QStringLiteral("Argument inattendu : « %1 ».").arg(stray.first()));
    }
}

// QCommandLineParser writes its headings and errors in English; these are
// its texts in French.
class FrenchParserTexts : public QTranslator {
  public:
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        static const QHash<QString, QString> french = {
            {"Usage: %1", "Utilisation : %1"},
            {"Options:", "Options :"},
            {"Arguments:", "Arguments :"},
            {"Missing value after '%1'.", "Il manque une valeur après « %1 »."},
            {"Unexpected value after '%1'.", "Cette option ne prend pas de valeur : « %1 »."},
        };
        if (std::strcmp(context, "QCommandLineParser") != 0) {
            return QString();
        }
        return french.value(QString::fromLatin1(sourceText));
    }

    bool isEmpty() const override { return false; }
};

void installFrenchParserTexts() {
    static FrenchParserTexts translator;
    static bool installed = false;
    if (!installed && QCoreApplication::instance()) {
        QCoreApplication::installTranslator(&translator);
        installed = true;
    }
}

// --- The tank -------------------------------------------------------------

double readDiameter(const OptionReader& options, TankDescription& description) {
    if (options.has("diametre") && options.has("perimetre")) {
        refuse("--perimetre", "Donnez le diamètre ou le périmètre de la cuve, pas les deux.");
    }
    if (options.has("perimetre")) {
        const double perimeter = options.length("perimetre");
        if (perimeter == 0) {
            refuse("--perimetre", "Veuillez rentrer une valeur du périmètre de la cuve");
        }
        if (perimeter < 0) {
            refuse("--perimetre", "Le périmètre de la cuve ne peut pas être négatif !");
        }
        description.perimeter = perimeter;
        // The window writes P / Pi into the diameter field as a whole number
        // and reads it back: the same path gives the same litres.
        const double diameter = numberFromText(wholeNumberText(perimeter / Pi));
        if (diameter == 0) {
            refuse("--perimetre",
                   "Le périmètre est trop petit : le diamètre arrondi au millimètre est nul !");
        }
        return diameter;
    }
    if (!options.has("diametre")) {
        refuse("--diametre", "Veuillez rentrer une valeur du diamètre de la cuve");
    }
    const double diameter = options.length("diametre");
    if (diameter == 0) {
        refuse("--diametre", "Veuillez rentrer une valeur du diamètre de la cuve");
    }
    if (diameter < 0) {
        refuse("--diametre", "Le diamètre de la cuve ne peut pas être négatif !");
    }
    return diameter;
}

double readCylinderLength(const OptionReader& options) {
    if (!options.has("longueur")) {
        refuse("--longueur", "Veuillez rentrer une valeur de la longueur de la partie cylindrique");
    }
    const double length = options.length("longueur");
    if (!(length > 0)) {
        refuse("--longueur", "La longueur de la partie cylindrique doit être supérieure à zéro !");
    }
    return length;
}

EndShape readEndShape(const OptionReader& options) {
    if (!options.has("bords")) {
        return EndShape::FlatEnds;
    }
    const QString name = options.text("bords").trimmed();
    if (name == "plats") {
        return EndShape::FlatEnds;
    }
    if (name == "tronconiques") {
        return EndShape::ConicalEnds;
    }
    if (name == "calotte") {
        return EndShape::SphericalCapEnds;
    }
    if (name == "quart-de-cercle") {
        return EndShape::QuarterRoundEnds;
    }
    refuse("--bords", QStringLiteral("Forme inconnue : « %1 ». Choisissez plats, tronconiques, "
                                     "calotte ou quart-de-cercle.")
                          .arg(options.text("bords")));
}

// Options that describe ends of another shape are mistakes worth reporting:
// most likely --bords was forgotten.
void refuseOptionsOfOtherShapes(const OptionReader& options, EndShape shape) {
    if (shape == EndShape::FlatEnds && options.has("largeur")) {
        refuse("--largeur", "Des bords plats n'ont pas de largeur : précisez --bords.");
    }
    if (shape != EndShape::SphericalCapEnds && options.has("arc")) {
        refuse("--arc", "Cette option ne sert qu'avec des bords en calotte (--bords calotte).");
    }
    if (shape != EndShape::ConicalEnds && options.has("diametre-extremite")) {
        refuse("--diametre-extremite",
               "Cette option ne sert qu'avec des bords tronconiques (--bords tronconiques).");
    }
}

void checkCapWidth(const QString& option, double width, double diameter) {
    if (width == 0) {
        refuse(option,
               "Dans cette configuration, la largeur de la calotte sphérique ne peut pas être "
               "nulle !");
    }
    if (width < 0) {
        refuse(option, "La largeur de la calotte ne peut pas être négative !");
    }
    if (width > diameter / 2) {
        refuse(option,
               "La largeur de la calotte ne peut pas être supérieure au rayon de la cuve !");
    }
}

// The window's conversion: the width found, written as a whole number into
// the width field and read back.
double capWidthFromArc(const OptionReader& options, TankDescription& description) {
    const double diameter = description.tank.diameter;
    const double arc = options.length("arc");
    if (arc < diameter) {
        refuse("--arc",
               "Dans cette configuration, le périmètre de la calotte sphérique ne peut pas être "
               "inférieur au diamètre de la cuve soit : " +
                   frenchNumber(diameter) + " !");
    }
    if (arc > Pi * diameter / 2) {
        refuse("--arc",
               "Dans cette configuration, le périmètre de la calotte sphérique ne peut pas être "
               "supérieur au demi périmètre de la cuve cylindrique soit : " +
                   frenchNumber(Pi * diameter / 2) + " !");
    }
    const double exactWidth = capWidthForArc(diameter / 2, arc);
    if (std::isnan(exactWidth)) {
        refuse("--arc", "Aucune largeur de calotte ne correspond à cette longueur d'arc !");
    }
    description.arcLength = arc;
    const double width = numberFromText(wholeNumberText(exactWidth));
    checkCapWidth("--arc", width, diameter);
    return width;
}

double readCapWidth(const OptionReader& options, TankDescription& description) {
    if (options.has("largeur") && options.has("arc")) {
        refuse("--arc", "Donnez la largeur de la calotte ou la longueur de son arc, pas les deux.");
    }
    if (options.has("arc")) {
        return capWidthFromArc(options, description);
    }
    if (!options.has("largeur")) {
        refuse("--largeur",
               "Veuillez rentrer une valeur de la largeur de la calotte (--largeur) ou de la "
               "longueur de son arc (--arc)");
    }
    const double width = options.length("largeur");
    checkCapWidth("--largeur", width, description.tank.diameter);
    return width;
}

// Truncated-cone and quarter-round ends.
double readEndWidth(const OptionReader& options, EndShape shape, double diameter) {
    if (!options.has("largeur")) {
        refuse("--largeur", "Veuillez rentrer une valeur de la largeur des bords");
    }
    const double width = options.length("largeur");
    if (width == 0) {
        refuse("--largeur", "Dans cette configuration, la largeur ne peut pas être nulle !");
    }
    if (width < 0) {
        refuse("--largeur", "La largeur ne peut pas être négative !");
    }
    if (shape == EndShape::QuarterRoundEnds && width > diameter / 2) {
        refuse("--largeur", "La largeur ne peut pas être supérieure au rayon de la cuve !");
    }
    return width;
}

double readEndCircleDiameter(const OptionReader& options, double diameter) {
    if (!options.has("diametre-extremite")) {
        refuse("--diametre-extremite",
               "Veuillez rentrer une valeur du diamètre du cercle de l'extrémité");
    }
    const double endCircle = options.length("diametre-extremite");
    if (endCircle < 0) {
        refuse("--diametre-extremite",
               "Le diamètre du cercle de l'extrémité ne peut pas être négatif !");
    }
    // A cone that widens outwards would reach below the bottom of the
    // cylinder, from which every height is measured.
    if (endCircle > diameter) {
        refuse("--diametre-extremite",
               "Le diamètre du cercle de l'extrémité ne peut pas être supérieur au diamètre de la "
               "cuve !");
    }
    return endCircle;
}

void readEnds(const OptionReader& options, TankDescription& description) {
    TankParameters& tank = description.tank;
    tank.endShape = readEndShape(options);
    refuseOptionsOfOtherShapes(options, tank.endShape);
    switch (tank.endShape) {
        case EndShape::FlatEnds:
            break;
        case EndShape::ConicalEnds:
            tank.endWidth = readEndWidth(options, tank.endShape, tank.diameter);
            tank.endCircleDiameter = readEndCircleDiameter(options, tank.diameter);
            break;
        case EndShape::SphericalCapEnds:
            tank.endWidth = readCapWidth(options, description);
            break;
        case EndShape::QuarterRoundEnds:
            tank.endWidth = readEndWidth(options, tank.endShape, tank.diameter);
            break;
    }
}

double readStrainerHeight(const OptionReader& options, double diameter) {
    if (!options.has("crepine")) {
        return 0;
    }
    const double strainer = options.length("crepine");
    if (strainer < 0) {
        refuse("--crepine", "La hauteur de la crépine ne peut pas être négative !");
    }
    if (strainer > diameter) {
        refuse("--crepine",
               "La hauteur de la crépine doit être inférieure au diamètre de la cuve !");
    }
    return strainer;
}

double readPrecision(const OptionReader& options) {
    if (!options.has("precision")) {
        return 10;
    }
    const double thousands = options.number("precision");
    if (!(thousands >= smallestPrecision && thousands <= largestPrecision)) {
        refuse("--precision",
               QStringLiteral("La précision doit être comprise entre %1 et %2 "
                              "(milliers d'intervalles par extrémité).")
                   .arg(frenchNumber(smallestPrecision), frenchNumber(largestPrecision)));
    }
    return thousands;
}

TankDescription readTank(const OptionReader& options) {
    TankDescription description;
    TankParameters& tank = description.tank;
    tank.diameter = readDiameter(options, description);
    tank.cylinderLength = readCylinderLength(options);
    readEnds(options, description);
    tank.strainerHeight = readStrainerHeight(options, tank.diameter);
    description.precisionThousands = readPrecision(options);
    tank.intervals = description.precisionThousands * 1000;
    return description;
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
    const QString question = asked ? QString::fromLatin1(asked) : QString();
    if (question == "volume") {
        return Question::HeightForVolume;
    }
    if (question == "commander") {
        return Question::Order;
    }
    if (question == "hauteur") {
        return Question::AtHeight;
    }
    if (question == "distance") {
        return Question::AtDistance;
    }
    return Question::Chart;
}

void refuseOptionsOfOtherQuestions(const OptionReader& options, Question question) {
    if (question != Question::Chart) {
        for (const char* name : {"pas", "pdf"}) {
            if (options.has(name)) {
                refuse(dashed(name), "Cette option ne sert qu'au barème complet.");
            }
        }
    }
    if (question != Question::Order && options.has("remplissage")) {
        refuse("--remplissage", "Cette option ne sert qu'avec --commander.");
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
    refuse("--format", QStringLiteral("Présentation inconnue : « %1 ». Choisissez texte, csv ou "
                                      "json.")
                           .arg(options.text("format")));
}

double readStep(const OptionReader& options, double diameter) {
    if (!options.has("pas")) {
        return 10;
    }
    const double step = options.length("pas");
    if (!(step >= 1) || step != std::floor(step)) {
        refuse("--pas", "Le pas doit être un nombre entier de millimètres, au moins 1.");
    }
    if (chartLineCount(diameter, step) > mostChartLines) {
        refuse("--pas", QStringLiteral("Le barème aurait plus de %1 lignes : choisissez un pas "
                                       "plus grand.")
                            .arg(mostChartLines));
    }
    return step;
}

double readOilHeight(const OptionReader& options, const char* name, double diameter) {
    const double height = options.length(name);
    if (height < 0) {
        refuse(dashed(name), "La hauteur de mazout ne peut pas être négative !");
    }
    if (height > diameter) {
        refuse(dashed(name), "La hauteur de mazout doit être inférieure au diamètre de la cuve !");
    }
    return height;
}

void readSensorDistance(const OptionReader& options, BaremeRequest& request) {
    const double diameter = request.description.tank.diameter;
    const double distance = options.length("distance");
    if (distance < 0) {
        refuse("--distance", "La distance ne peut pas être négative !");
    }
    if (distance > diameter) {
        refuse("--distance", "La distance doit être inférieure au diamètre de la cuve !");
    }
    request.sensorDistance = distance;
    request.oilHeight = diameter - distance;
}

double readFillPercent(const OptionReader& options) {
    if (!options.has("remplissage")) {
        return 90;
    }
    const double percent = options.number("remplissage");
    if (!(percent > 0 && percent <= 100)) {
        refuse("--remplissage",
               "Le remplissage doit être compris entre 0 et 100 % de la capacité "
               "(0 exclu).");
    }
    return percent;
}

void readQuestionValues(const OptionReader& options, BaremeRequest& request) {
    const double diameter = request.description.tank.diameter;
    switch (request.question) {
        case Question::Chart:
            request.step = readStep(options, diameter);
            if (options.has("pdf")) {
                request.pdfPath = options.text("pdf");
                if (request.pdfPath.trimmed().isEmpty()) {
                    refuse("--pdf", "Veuillez donner le nom du fichier PDF.");
                }
            }
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
    }
}

void addOptions(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(programDescription));
    parser.addOption(QCommandLineOption({"h", "help", "aide"}, "Affiche cette aide."));
    parser.addOption(QCommandLineOption({"v", "version"}, "Affiche la version du programme."));
    for (const OptionDefinition& option : optionDefinitions) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(option.name),
                                            QString::fromUtf8(option.description),
                                            QString::fromLatin1(option.valueName)));
    }
}

const char* const helpEpilogue =
    "\n"
    "Sans --volume, --commander, --hauteur ni --distance, le programme écrit le barème : une "
    "ligne par pas, de 0 au diamètre, avec le volume total et le volume disponible au-dessus de "
    "la crépine, puis la capacité. En csv, le séparateur et la virgule décimale suivent la langue "
    "du système (point-virgule et virgule en français).\n"
    "\n"
    "Exemples :\n"
    "  varnelle-bareme --diametre 1000 --longueur 2000 --bords calotte --largeur 100 --crepine "
    "100\n"
    "  varnelle-bareme --perimetre 3142 --longueur 2000 --format csv > bareme.csv\n"
    "  varnelle-bareme --diametre 1200 --longueur 2500 --bords tronconiques --largeur 150 "
    "--diametre-extremite 900 --pdf bareme.pdf\n"
    "  varnelle-bareme --diametre 1000 --longueur 2000 --volume 1200\n"
    "  varnelle-bareme --diametre 1000 --longueur 2000 --commander 350 --remplissage 85\n"
    "  varnelle-bareme --diametre 1000 --longueur 2000 --crepine 100 --distance 640 --format "
    "json\n"
    "\n"
    "Code de sortie : 0 en cas de succès, 2 si un argument est refusé, 1 si le PDF n'a pas pu "
    "être écrit.\n";

BaremeRequest readRequest(const QCommandLineParser& parser) {
    refuseRepeatedOptions(parser);
    const OptionReader options(parser);

    BaremeRequest request;
    request.question = readQuestion(options);
    refuseOptionsOfOtherQuestions(options, request.question);
    request.format = readFormat(options);
    request.description = readTank(options);
    readQuestionValues(options, request);
    // Last, so that "--diametre --longueur 2000" reports the missing diameter
    // rather than a stray 2000.
    refuseStrayArguments(parser);
    return request;
}

}  // namespace

std::optional<double> decimalNumber(const QString& text) {
    if (!isWrittenAsNumber(text)) {
        return std::nullopt;
    }
    QString periodText = text.trimmed();
    periodText.replace(',', '.');
    const double value = numberFromText(periodText.toStdString());
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
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
        parsed.helpText = parser.helpText() + QString::fromUtf8(helpEpilogue);
        return parsed;
    }
    if (parser.isSet("version")) {
        parsed.action = ParsedCommandLine::Action::ShowVersion;
        return parsed;
    }
    try {
        parsed.request = readRequest(parser);
    } catch (const Refusal& refusal) {
        parsed.action = ParsedCommandLine::Action::Refuse;
        parsed.error = refusal.error;
    }
    return parsed;
}

}  // namespace varnelle
