#include "command_line_options.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QHash>
#include <QTranslator>
#include <cstring>

namespace varnelle {

const OptionDefinition optionDefinitions[38] = {
    {measureKeys::diameter, "MM", "Diamètre intérieur de la cuve, en millimètres."},
    {measureKeys::perimeter, "MM",
     "Périmètre de la cuve, à la place du diamètre : il est converti en diamètre au millimètre "
     "près, comme dans la fenêtre."},
    {measureKeys::cylinderLength, "MM",
     "Longueur de la partie cylindrique de la cuve, bords exclus."},
    {"bords", "FORME",
     "Forme des bords : plats (par défaut), tronconiques, calotte ou quart-de-cercle."},
    {measureKeys::endWidth, "MM",
     "Largeur de chaque bord : longueur du tronc de cône, hauteur de la calotte ou rayon du "
     "quart de cercle."},
    {measureKeys::arcLength, "MM",
     "Pour une calotte, à la place de --largeur : longueur de la portion de sphère passant par "
     "le centre de la calotte ; convertie en largeur au millimètre près, comme dans la fenêtre."},
    {measureKeys::endCircleDiameter, "MM",
     "Pour des bords tronconiques : diamètre du cercle de l'extrémité."},
    {measureKeys::strainerHeight, "MM",
     "Hauteur de la crépine par rapport au fond de la cuve (0 par défaut)."},
    {measureKeys::precision, "MILLIERS",
     "Nombre d'intervalles d'intégration par extrémité, en milliers (10 par défaut, de 0,001 à "
     "1000)."},
    {"pas", "MM", "Pas du barème, en millimètres entiers (10 par défaut)."},
    {"cuve", "FICHIER",
     "Lit les mesures de la cuve dans ce fichier JSON (écrit par --enregistrer-cuve) au lieu "
     "des options."},
    {optionName::saveTank, "FICHIER",
     "Enregistre les mesures de la cuve données par les options dans ce fichier JSON."},
    {"format", "FORMAT",
     "Présentation : texte (par défaut), csv, json, ou esphome (un capteur ESPHome à coller sous "
     "sensor:, qui donne les litres d'après la distance en mètres d'un capteur de la cuve)."},
    {optionName::esphomeSource, "ID",
     "Avec --format esphome : l'id du capteur ESPHome qui mesure la distance jusqu'au mazout, "
     "en mètres (distance_cuve par défaut)."},
    {"pdf", "FICHIER", "Écrit le barème dans un fichier PDF imprimable (A4)."},
    {"volume", "LITRES", "Donne la hauteur de mazout à laquelle la cuve contient ce volume."},
    {"commander", "HAUTEUR",
     "Donne les litres à commander quand le mazout est à cette hauteur (mm)."},
    {"remplissage", "POURCENT",
     "Avec --commander ou --flux : remplissage maximal en pour cent de la capacité (90 par "
     "défaut)."},
    {"hauteur", "MM", "Donne les cinq volumes de la fenêtre pour cette hauteur de mazout."},
    {"distance", "MM",
     "Comme --hauteur, à partir de la distance qu'un capteur placé en haut de la cuve mesure "
     "jusqu'au mazout (hauteur = diamètre - distance)."},
    {"mesure", "GRANDEUR",
     "Avec --flux : ce que donnent les lectures, distance (par défaut) ou hauteur."},
    {"unite", "UNITE", "Avec --flux : unité des lectures, mm (par défaut), cm ou m."},
    {"champ", "NOM",
     "Avec --flux : dans une ligne JSON, le nom du champ qui porte la lecture (depth_cm pour "
     "rtl_433, par exemple)."},
    {"filtre", "CLE=VALEUR",
     "Avec --flux et des lignes JSON : ne lit que les lignes dont le champ CLE vaut VALEUR "
     "(id=13060111, par exemple) ; répétable, toutes les conditions devant être remplies. Les "
     "autres lignes, d'autres appareils, sont ignorées sans message."},
    {"zone-morte", "MM",
     "Avec une distance (--distance, --flux, --format esphome) : la plus courte distance que le "
     "capteur sait mesurer ; une distance plus courte est refusée, comme une distance nulle (pas "
     "de mesure)."},
    {"decalage", "MM",
     "Avec une distance : de combien le zéro du capteur est au-dessus du haut intérieur de la "
     "cuve (capteur dans un dôme ou une rehausse) ; hauteur = diamètre - (distance - décalage)."},
    {"capacite-nominale", "LITRES",
     "À la place de --longueur, pour une cuve dont on ne peut mesurer la longueur (enterrée) : "
     "la capacité de la cuve, dont la longueur de la partie cylindrique est déduite."},
    {"carnet", "FICHIER",
     "Le carnet de la cuve (un fichier .carnet) : ses relevés, ses livraisons, sa consommation. "
     "Créé avec les mesures de la cuve (options ou --cuve) s'il n'existe pas ; sinon ses "
     "mesures servent. Seul, il donne le bilan."},
    {"releve", "HAUTEUR",
     "Avec --carnet : enregistre la hauteur de mazout lue (mm), ou la distance d'un capteur avec "
     "--mesure distance, à la date de --date (maintenant par défaut)."},
    {"livraison", "LITRES",
     "Avec --carnet : enregistre une livraison, les litres du bon de livraison, à la date de "
     "--date (maintenant par défaut)."},
    {"prix", "EUROS", "Avec --livraison : le prix d'un litre."},
    {"avant", "MM", "Avec --livraison : la hauteur de mazout lue juste avant la livraison."},
    {"apres", "MM", "Avec --livraison : la hauteur de mazout lue juste après la livraison."},
    {"temperature", "DEGRES",
     "Avec --carnet et --date JOUR : la température extérieure moyenne de ce jour, en °C ; elle "
     "sert à prévoir la consommation par les degrés-jours."},
    {"date", "DATE",
     "Avec --releve, --livraison ou --temperature : la date, AAAA-MM-JJ ou AAAA-MM-JJTHH:MM:SS, "
     "heure locale (ou suivie de Z ou +01:00)."},
    {"supprimer-releve", "DATE",
     "Avec --carnet : supprime le relevé de cette date, écrite comme --releves la donne."},
    {"reserve", "POURCENT",
     "Avec le bilan ou --flux --carnet : la réserve, en pour cent de la capacité, à ne pas "
     "entamer avant la livraison (20 par défaut)."},
    {"delai", "JOURS",
     "Avec le bilan ou --flux --carnet : les jours qu'il faut au livreur ; la date de commande "
     "les précède (10 par défaut)."},
};

const char* const questionOptions[12] = {
    "volume", "commander", "hauteur", "distance", "flux",        optionName::saveTank,
    "releve", "livraison", "bilan",   "releves",  "temperature", "supprimer-releve"};

namespace {

const char* const programDescription =
    "Barème de jaugeage d'une cuve à mazout cylindrique horizontale : les litres pour chaque "
    "hauteur lue à la jauge, la hauteur d'un volume, la quantité à commander, ou les volumes "
    "pour une seule hauteur.\n"
    "Les longueurs sont en millimètres ; un nombre s'écrit avec une virgule ou un point "
    "(12,5 ou 12.5).";

const char* const helpEpilogue =
    "\n"
    "Sans --volume, --commander, --hauteur, --distance, --flux ni --carnet, le programme écrit le "
    "barème : "
    "une "
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
    "  rtl_433 -R 43 -F json | varnelle-bareme --cuve cuve.json --flux --champ depth_cm --unite cm "
    "--filtre id=13060111\n"
    "  varnelle-bareme --carnet cuve.carnet --cuve cuve.json --releve 620 --date "
    "2026-11-03T08:00\n"
    "  varnelle-bareme --carnet cuve.carnet --livraison 1200 --avant 310 --apres 880 --prix 1,12\n"
    "  varnelle-bareme --carnet cuve.carnet --bilan --format json\n"
    "\n"
    "Avec --flux, une ligne illisible, une mesure hors de la cuve ou une distance nulle (pas de "
    "mesure) donne une ligne JSON d'erreur sur la sortie d'erreur, avec son numéro, et la "
    "lecture continue ; les lignes d'autres appareils, écartées par --filtre, sont ignorées "
    "sans message.\n"
    "\n"
    "Code de sortie : 0 en cas de succès, 2 si un argument ou le carnet est refusé (rien n'est "
    "alors enregistré), 1 si le PDF, le fichier de la cuve, le carnet ou la réponse n'a pas pu "
    "être écrit.\n";

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

}  // namespace

QString dashed(const QString& name) {
    return QStringLiteral("--") + name;
}

void addOptions(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(programDescription));
    parser.addOption(QCommandLineOption({"h", "help", "aide"}, "Affiche cette aide."));
    parser.addOption(QCommandLineOption({"v", "version"}, "Affiche la version du programme."));
    parser.addOption(QCommandLineOption(
        "flux", QString::fromUtf8("Lit des lectures de capteur sur l'entrée standard, une par "
                                  "ligne, et écrit pour chacune une ligne JSON aussitôt.")));
    parser.addOption(QCommandLineOption(
        "bilan", QString::fromUtf8("Avec --carnet : le bilan du carnet, consommation, date de "
                                   "commande, livraisons vérifiées.")));
    parser.addOption(QCommandLineOption(
        "releves", QString::fromUtf8("Avec --carnet : le journal des relevés et des livraisons.")));
    parser.addOption(QCommandLineOption(
        "remplacer-cuve",
        QString::fromUtf8("Avec --carnet : remplace les mesures de la cuve du carnet par celles "
                          "des options.")));
    for (const OptionDefinition& option : optionDefinitions) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(option.name),
                                            QString::fromUtf8(option.description),
                                            QString::fromLatin1(option.valueName)));
    }
}

QString helpText(const QCommandLineParser& parser) {
    return parser.helpText() + QString::fromUtf8(helpEpilogue);
}

void installFrenchParserTexts() {
    static FrenchParserTexts translator;
    static bool installed = false;
    if (!installed && QCoreApplication::instance()) {
        QCoreApplication::installTranslator(&translator);
        installed = true;
    }
}

}  // namespace varnelle
