// Any contents of a tank file (--cuve), then every value it gives read as the
// measure it stands for. Reading must never crash, throw anything but a
// CommandLineRefusal, or accept a key that is no option; every refusal, whatever the
// file holds, must show no raw control character (the terminal would obey it)
// and stay short (a 1 MB value is not echoed whole). The file's name itself
// holds control characters and is long, so that every message that names the
// file checks that it is escaped and cut too.
#include <QByteArray>
#include <QCommandLineParser>
#include <QHash>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "bareme/command_line_options.h"
#include "bareme/option_reader.h"
#include "bareme/tank_file.h"

namespace {

using varnelle::CommandLineRefusal;

const QString fileName =
    QStringLiteral("cuve\x1b[2J\n") + QString(100, QChar('x')) + QStringLiteral(".json");

// Two echoes at most per message (the file's name and a key or a value), each
// of 80 characters escaped in 4 at most, and the message's own words.
constexpr int longestText = 2 * (80 * 4 + 1) + 200;

bool showsRaw(QChar c) {
    const char16_t code = c.unicode();
    return code < 0x20 || (code >= 0x7f && code < 0xa0);
}

void checkShown(const QString& text, const char* what) {
    if (text.size() > longestText || std::any_of(text.begin(), text.end(), showsRaw)) {
        std::fprintf(stderr, "%s not fit to show (%lld characters): %s\n", what,
                     static_cast<long long>(text.size()), text.toUtf8().constData());
        std::abort();
    }
}

void checkRefusal(const CommandLineRefusal& refused) {
    checkShown(refused.refusal.subject, "option");
    checkShown(refused.refusal.sentence, "message");
}

// A command line without options: every measure comes from the file.
const QCommandLineParser& noOptions() {
    static QCommandLineParser parser;
    static const bool parsed = [] {
        varnelle::addOptions(parser);
        return parser.parse(QStringList{QStringLiteral("varnelle-bareme")});
    }();
    if (!parsed) {
        std::abort();
    }
    return parser;
}

bool isTankOption(const QString& key) {
    return std::any_of(std::begin(varnelle::tankOptions), std::end(varnelle::tankOptions),
                       [&](const char* option) { return key == QLatin1String(option); });
}

// Each value read as its measure, as the program reads them; the end shape
// is read by name only.
void readValues(const QHash<QString, QString>& values) {
    varnelle::OptionReader options(noOptions());
    options.useFileValues(fileName, values);
    for (auto value = values.begin(); value != values.end(); ++value) {
        if (!isTankOption(value.key())) {
            std::fprintf(stderr, "key accepted: %s\n", value.key().toUtf8().constData());
            std::abort();
        }
        if (value.key() == QLatin1String("bords")) {
            continue;
        }
        const QByteArray name = value.key().toLatin1();
        try {
            options.length(name.constData());
        } catch (const CommandLineRefusal& refused) {
            checkRefusal(refused);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        readValues(varnelle::tankFileValues(fileName, contents));
    } catch (const CommandLineRefusal& refused) {
        checkRefusal(refused);
    }
    return 0;
}
