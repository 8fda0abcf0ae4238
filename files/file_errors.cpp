#include "file_errors.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace varnelle {
namespace {

// The system's reasons that the user is likely to meet, in French.
const std::pair<int, const char*> systemReasons[] = {
    {EACCES, "permission refusée"},
    {EPERM, "opération non permise"},
    {ENOENT, "ce dossier ou ce fichier n'existe pas"},
    {ENOTDIR, "un élément du chemin n'est pas un dossier"},
    {EISDIR, "c'est un dossier"},
    {ENOSPC, "plus de place sur le disque"},
    {EDQUOT, "quota de disque dépassé"},
    {EROFS, "système de fichiers en lecture seule"},
    {ENAMETOOLONG, "nom de fichier trop long"},
    {EIO, "erreur d'entrée-sortie"},
};

QString sentence(const char* french) {
    return QString::fromUtf8(french) + '.';
}

}  // namespace

QString frenchFileError(const QString& reason) {
    for (const auto& [code, french] : systemReasons) {
        // Qt words these failures with the system's own text.
        if (reason.contains(QString::fromLocal8Bit(std::strerror(code)), Qt::CaseInsensitive)) {
            return sentence(french);
        }
    }
    if (reason.contains(QLatin1String("not writable"))) {
        return QStringLiteral("le fichier existant est protégé en écriture.");
    }
    if (reason.contains(QLatin1String("Partial write"))) {
        return QStringLiteral("écriture incomplète (disque plein ?).");
    }
    return reason;
}

QString frenchSystemError(int code) {
    for (const auto& [known, french] : systemReasons) {
        if (known == code) {
            return sentence(french);
        }
    }
    return frenchFileError(QString::fromLocal8Bit(std::strerror(code)));
}

std::optional<Refusal> refusalOfSpecialFile(const QString& path, mode_t mode) {
    if (S_ISDIR(mode)) {
        return Refusal{path, frenchSystemError(EISDIR)};
    }
    if (!S_ISREG(mode)) {
        return Refusal{path, QStringLiteral("ce n'est pas un fichier ordinaire (périphérique, "
                                            "tube ou autre fichier spécial).")};
    }
    return std::nullopt;
}

}  // namespace varnelle
