#include "bareme_program.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QtGlobal>

#include "chart/answer_fields.h"
#include "bareme/bareme_request.h"
#include "bareme/carnet_commands.h"
#include "files/echoed_text.h"
#include "bareme/esphome_filter.h"
#include "bareme/reading_stream.h"
#include "chart/chart_numbers.h"
#include "chart/chart_page.h"
#include "chart/pdf_chart.h"
#include "chart/report_writer.h"
#include "chart/tank_chart.h"
#include "files/file_errors.h"
#include "files/file_replacement.h"

namespace varnelle {
namespace {

const char* const unwrittenAnswer = "la réponse n'a pas pu être écrite sur la sortie standard.";

}  // namespace

void reportUsageError(QTextStream& err, const Refusal& error) {
    err << programName << " : ";
    if (!error.subject.isEmpty()) {
        err << printable(error.subject) << " : ";
    }
    err << printable(error.sentence) << '\n' << "Pour l'aide : " << programName << " --help\n";
}

namespace {

QString formatted(const Record& record, OutputFormat format, const OutputConventions& conventions) {
    switch (format) {
        case OutputFormat::Csv:
            return recordCsv(record, conventions);
        case OutputFormat::Json:
            return recordJson(record);
        case OutputFormat::Esphome:  // refused for anything but the chart
        case OutputFormat::Text:
            break;
    }
    return recordText(record, conventions);
}

int answerChart(const BaremeRequest& request, QTextStream& out, QTextStream& err,
                const OutputConventions& conventions) {
    const TankDescription& description = request.description;
    // The whole chart is computed before anything is written anywhere.
    const Chart chart = computeChart(description.tank, request.step);
    if (!request.pdfPath.isEmpty()) {
        ChartMarks marks;
        marks.numbers = conventions.forPeople();
        if (const std::optional<Refusal> refused =
                writeChartPdf(request.pdfPath, description, request.step, chart, marks)) {
            err << programName << " : " << printable(refused->sentence) << '\n';
            return exitFailure;
        }
        const int pages = chartPageCount(chart.lines.size());
        out << QStringLiteral("Barème écrit dans « %1 » (%2 page%3).\n")
                   .arg(printable(request.pdfPath))
                   .arg(pages)
                   .arg(pages > 1 ? "s" : "");
        return exitSuccess;
    }
    switch (request.format) {
        case OutputFormat::Csv:
            out << chartCsv(chart, conventions);
            break;
        case OutputFormat::Json:
            out << chartJson(description, request.step, chart);
            break;
        case OutputFormat::Esphome:
            out << esphomeSensor(description, request.step, chart,
                                 {request.esphomeSource, request.sensorMount});
            break;
        case OutputFormat::Text:
            out << chartText(description, request.step, chart, conventions);
            break;
    }
    return exitSuccess;
}

int answerHeightForVolume(const BaremeRequest& request, QTextStream& out, QTextStream& err,
                          const OutputConventions& conventions) {
    const TankParameters& tank = request.description.tank;
    const double capacity = totalVolumeAt(tank, tank.diameter);
    // The capacity as shown, to three decimals, is accepted even when shown
    // rounded up.
    constexpr double halfOfLastDecimal = 0.0005;
    if (request.litres > capacity + halfOfLastDecimal) {
        reportUsageError(err,
                         {"--volume", "Le volume demandé dépasse la capacité de la cuve, soit : " +
                                          conventions.litresWithUnit(capacity) + " !"});
        return exitBadArguments;
    }
    const double height = heightForVolume(tank, request.litres);
    const Record record = {
        {"volume_demande_litres", "Volume demandé", Unit::Litres, request.litres},
        oilHeightField(height),
        {"volume_a_cette_hauteur_litres", "Volume à cette hauteur", Unit::Litres,
         totalVolumeAt(tank, height)},
        capacityField(capacity),
    };
    out << formatted(record, request.format, conventions);
    return exitSuccess;
}

int answerOrder(const BaremeRequest& request, QTextStream& out,
                const OutputConventions& conventions) {
    const OrderAmount order =
        orderAmount(request.description.tank, request.oilHeight, request.fillPercent);
    const Record record = {
        oilHeightField(request.oilHeight),
        {"volume_actuel_litres", "Volume actuel", Unit::Litres, order.currentLitres},
        {"remplissage_maximal_pourcent", "Remplissage maximal", Unit::Percent, request.fillPercent},
        {"volume_remplissage_maximal_litres", "Volume au remplissage maximal", Unit::Litres,
         order.fillLimitLitres},
        litresToOrderField(order.litresToOrder),
        {"hauteur_apres_livraison_mm", "Hauteur après livraison", Unit::Millimetres,
         order.heightAfterDelivery},
    };
    out << formatted(record, request.format, conventions);
    if (request.format == OutputFormat::Text && order.litresToOrder == 0) {
        out << "La cuve est déjà au remplissage maximal : rien à commander.\n";
    }
    return exitSuccess;
}

int answerAtHeight(const BaremeRequest& request, QTextStream& out,
                   const OutputConventions& conventions) {
    const VolumeResults volumes = volumesAt(request.description.tank, request.oilHeight);
    const std::optional<double> distance = request.question == Question::AtDistance
                                               ? std::optional(request.sensorDistance)
                                               : std::nullopt;
    out << formatted(windowVolumesRecord(distance, request.oilHeight, volumes), request.format,
                     conventions);
    return exitSuccess;
}

int saveTank(const BaremeRequest& request, QTextStream& out, QTextStream& err) {
    if (const std::optional<Refusal> refused =
            writeWholeFile(request.tankFilePath, request.tankFileContents)) {
        err << programName << " : "
            << printable(QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : %2")
                             .arg(request.tankFilePath, refused->sentence))
            << '\n';
        return exitFailure;
    }
    out << QStringLiteral("Mesures de la cuve enregistrées dans « %1 ».\n")
               .arg(printable(request.tankFilePath));
    return exitSuccess;
}

// A reader that goes away ends a stream normally; an output that cannot be
// written (a full disk) or an input that cannot be read is a failure, and
// said so.
int answerStream(const BaremeRequest& request, QIODevice& in, QTextStream& out, QTextStream& err) {
    switch (streamReadings(request, in, out, err)) {
        case StreamEnd::InputEnded:
            return exitSuccess;
        case StreamEnd::OutputFailed:
            err << programName << " : " << unwrittenAnswer << '\n';
            break;
        case StreamEnd::InputFailed:
            err << programName << " : "
                << printable(QStringLiteral("l'entrée standard n'a pas pu être lue : %1")
                                 .arg(frenchFileError(in.errorString())))
                << '\n';
            break;
        case StreamEnd::CarnetFailed:
            break;  // said by the stream, which stopped before answering the reading
    }
    return exitFailure;
}

int answer(const BaremeRequest& request, QIODevice& in, QTextStream& out, QTextStream& err) {
    const OutputConventions& conventions = request.numbers;
    switch (request.question) {
        case Question::SaveTank:
            return saveTank(request, out, err);
        case Question::Stream:
            return answerStream(request, in, out, err);
        case Question::Chart:
            return answerChart(request, out, err, conventions);
        case Question::HeightForVolume:
            return answerHeightForVolume(request, out, err, conventions);
        case Question::Order:
            return answerOrder(request, out, conventions);
        case Question::AtHeight:
        case Question::AtDistance:
            return answerAtHeight(request, out, conventions);
        case Question::AddReading:
        case Question::AddDelivery:
        case Question::AddTemperature:
        case Question::DeleteReading:
        case Question::CarnetSummary:
        case Question::CarnetJournal:
            return answerCarnet(request, out, err);
    }
    return exitFailure;
}

}  // namespace

bool needsGuiApplication(const ParsedCommandLine& parsed) {
    return parsed.action == ParsedCommandLine::Action::Run && !parsed.request.pdfPath.isEmpty();
}

bool streamsReadings(const ParsedCommandLine& parsed) {
    return parsed.action == ParsedCommandLine::Action::Run &&
           parsed.request.question == Question::Stream;
}

void useOffscreenPlatform() {
    // Whatever platform the environment names (xcb with no display would
    // abort), a PDF is drawn without a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a desktop session Qt warns that it has no runtime folder, which
    // a PDF does not need: that one warning is kept off the user's terminal.
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: "))) {
                return;
            }
            if (previous) {
                previous(type, context, message);
            }
        });
}

int runParsedCommandLine(const ParsedCommandLine& parsed, QIODevice& in, QTextStream& out,
                         QTextStream& err) {
    switch (parsed.action) {
        case ParsedCommandLine::Action::ShowHelp:
            out << parsed.helpText;
            return exitSuccess;
        case ParsedCommandLine::Action::ShowVersion:
            out << programName << ' ' << VARNELLE_VERSION << '\n';
            return exitSuccess;
        case ParsedCommandLine::Action::Refuse:
            reportUsageError(err, parsed.error);
            return exitBadArguments;
        case ParsedCommandLine::Action::Run:
            break;
    }
    const int status = answer(parsed.request, in, out, err);
    if (parsed.request.question == Question::Stream) {
        return status;  // the stream has said its own failures
    }
    out.flush();
    // An answer that could not be written out (a full disk, a closed output)
    // is a failure, and said so.
    if (status == exitSuccess && out.status() != QTextStream::Ok) {
        err << programName << " : " << unwrittenAnswer << '\n';
        return exitFailure;
    }
    return status;
}

int runBareme(const QStringList& arguments, QTextStream& out, QTextStream& err,
              const QLocale& locale, const QString& input) {
    QBuffer in;
    in.setData(input.toUtf8());
    in.open(QIODevice::ReadOnly);
    return runParsedCommandLine(parseCommandLine(arguments, locale), in, out, err);
}

}  // namespace varnelle
