#include "tank_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "bareme/echoed_text.h"
#include "chart/file_replacement.h"

namespace varnelle {

const char* const tankOptions[11] = {
    "diametre",           "perimetre", "longueur",  "bords",      "largeur", "arc",
    "diametre-extremite", "crepine",   "precision", "zone-morte", "decalage"};

namespace {

// --- Reading the file -------------------------------------------------------------

QString systemReason(int code) {
    return frenchFileError(QString::fromLocal8Bit(std::strerror(code)));
}

[[noreturn]] void refuseUnread(const QString& path, const QString& reason) {
    refuse("--cuve",
           QStringLiteral("Le fichier « %1 » n'a pas pu être lu : %2").arg(echoed(path), reason));
}

// Only an ordinary file is read: a folder cannot be, a pipe may wait for a
// writer forever, a device may never end (/dev/zero).
void refuseUnlessOrdinary(const QString& path, const struct stat& status) {
    if (S_ISDIR(status.st_mode)) {
        refuseUnread(path, systemReason(EISDIR));
    }
    if (!S_ISREG(status.st_mode)) {
        refuseUnread(path, QStringLiteral("ce n'est pas un fichier ordinaire (périphérique, tube "
                                          "ou autre fichier spécial)."));
    }
}

// Closes the file however its reading ends.
struct OpenFile {
    ~OpenFile() {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
    int descriptor = -1;
};

void openOrdinaryFile(const QString& path, OpenFile& file) {
    if (path.isEmpty()) {
        refuse("--cuve", QStringLiteral("Veuillez donner le nom du fichier de la cuve."));
    }
    if (path.contains(QChar(0))) {  // the system would read the name up to it only
        refuseUnread(path, systemReason(ENOENT));
    }
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0) {
        refuseUnread(path, systemReason(errno));
    }
    refuseUnlessOrdinary(path, status);  // before opening: opening a device may act on it
    // Without waiting, and checked again once open, in case a pipe took the
    // file's place in between.
    file.descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file.descriptor < 0 || ::fstat(file.descriptor, &status) != 0) {
        refuseUnread(path, systemReason(errno));
    }
    refuseUnlessOrdinary(path, status);
}

// At most `limit` bytes, whatever size the file says it has (a file of /proc says 0).
QByteArray readAtMost(const QString& path, int descriptor, qsizetype limit) {
    QByteArray contents(limit, Qt::Uninitialized);
    qsizetype done = 0;
    while (done < limit) {
        const ssize_t got = ::read(descriptor, contents.data() + done, limit - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            refuseUnread(path, systemReason(errno));
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    contents.truncate(done);
    return contents;
}

// --- Reading the contents ---------------------------------------------------------

bool isTankOption(const QString& key) {
    return std::any_of(std::begin(tankOptions), std::end(tankOptions),
                       [&](const char* option) { return key == QLatin1String(option); });
}

[[noreturn]] void refuseKey(const QString& fileName, const QString& key, const QString& message) {
    refuse(QStringLiteral("%1 : clé « %2 »").arg(echoed(fileName), echoed(key)), message);
}

// The number that ends at `end` in `json`, if a well-written one does: Qt
// refuses a number too large or too small for a double as it does a syntax
// error, just after it.
qsizetype numberStart(const QByteArray& json, qsizetype end) {
    static const QRegularExpression number(R"(^-?[0-9]+(\.[0-9]*)?([eE][+-]?[0-9]+)?$)");
    const auto inNumber = [](char c) {
        return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
    };
    qsizetype start = end;
    while (start > 0 && inNumber(json[start - 1])) {
        --start;
    }
    const QString token = QString::fromLatin1(json.mid(start, end - start));
    return number.match(token).hasMatch() ? start : -1;
}

// The JSON document of `json`. A number that no double holds is put between
// quotes, so that it reaches the measure's reader as written and is refused
// as the option's would be ("trop grande"), under its key. A tank file holds
// a few numbers only: past as many as it has keys, such a number is refused
// here, rather than the whole text read again for each.
QJsonDocument documentOf(const QString& fileName, QByteArray& json, QJsonParseError& error) {
    for (int quoted = 0;; ++quoted) {
        QJsonDocument document = QJsonDocument::fromJson(json, &error);
        const qsizetype start =
            error.error == QJsonParseError::IllegalNumber ? numberStart(json, error.offset) : -1;
        if (start < 0) {
            error.offset -= 2 * quoted;  // where the file has it
            return document;
        }
        if (quoted == static_cast<int>(std::size(tankOptions))) {
            refuse(echoed(fileName),
                   tooLargeMessage(QString::fromLatin1(json.mid(start, error.offset - start))));
        }
        json.insert(error.offset, '"');
        json.insert(start, '"');
    }
}

QJsonObject tankObject(const QString& fileName, const QByteArray& contents) {
    QByteArray json = contents;
    QJsonParseError parseError{};
    const QJsonDocument document = documentOf(fileName, json, parseError);
    if (!document.isObject()) {
        refuse("--cuve", QStringLiteral("Le fichier « %1 » n'est pas un objet JSON (caractère %2).")
                             .arg(echoed(fileName))
                             .arg(parseError.offset));
    }
    // The document keeps the last of two values of a key without a word.
    if (const std::optional<QString> key = repeatedKey(json)) {
        refuseKey(fileName, *key, QStringLiteral("Cette clé est donnée plus d'une fois."));
    }
    return document.object();
}

QString valueText(const QString& fileName, const QString& key, const QJsonValue& value) {
    if (key == QLatin1String("bords")) {
        if (!value.isString()) {
            refuseKey(fileName, key,
                      QStringLiteral("La forme des bords s'écrit entre guillemets."));
        }
        return value.toString();
    }
    if (value.isDouble()) {
        // Every digit of the double, so that the file gives back the measure.
        return QString::number(value.toDouble(), 'g', 17);
    }
    if (value.isString()) {
        return value.toString();  // "12,5" is read as the option would read it
    }
    refuseKey(fileName, key, QStringLiteral("Cette clé attend un nombre."));
}

}  // namespace

QHash<QString, QString> readTankFile(const QString& path) {
    OpenFile file;
    openOrdinaryFile(path, file);
    return tankFileValues(path, readAtMost(path, file.descriptor, largestTankFile + 1));
}

QHash<QString, QString> tankFileValues(const QString& fileName, const QByteArray& contents) {
    if (contents.size() > largestTankFile) {
        refuse(
            "--cuve",
            QStringLiteral("Le fichier « %1 » est trop grand pour décrire une cuve (plus de 1 Mo).")
                .arg(echoed(fileName)));
    }
    const QJsonObject object = tankObject(fileName, contents);
    QHash<QString, QString> values;
    for (auto entry = object.begin(); entry != object.end(); ++entry) {
        if (!isTankOption(entry.key())) {
            refuseKey(fileName, entry.key(), QStringLiteral("Clé inconnue."));
        }
        values.insert(entry.key(), valueText(fileName, entry.key(), entry.value()));
    }
    return values;
}

QByteArray tankFileContents(const OptionReader& options) {
    QJsonObject object;
    for (const char* option : tankOptions) {
        if (!options.has(option)) {
            continue;
        }
        const QString key = QLatin1String(option);
        object.insert(key, key == QLatin1String("bords")
                               ? QJsonValue(options.text(option).trimmed())
                               : QJsonValue(options.number(option)));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

}  // namespace varnelle
