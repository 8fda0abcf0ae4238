#include "file_replacement.h"

#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace varnelle {
namespace {

namespace fs = std::filesystem;

constexpr auto anyoneWrites =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// Why the file at `path` must not be replaced, or nothing when it may be.
QString refusalToReplace(const fs::file_status& status) {
    if (fs::is_directory(status)) {
        return QStringLiteral("c'est un dossier.");
    }
    if (!fs::is_regular_file(status)) {
        return QStringLiteral(
            "ce n'est pas un fichier ordinaire (périphérique, tube ou autre fichier spécial).");
    }
    if ((status.permissions() & anyoneWrites) == fs::perms::none) {
        return QStringLiteral("le fichier existant est en lecture seule.");
    }
    return QString();
}

// Why what was written to `file` is not all on the disk, in French, or
// nothing once it is. QSaveFile::commit() checks neither the last write of its
// buffer nor the sync: on a full disk it would put an empty or cut file in
// place of the old one and report success.
QString unsavedReason(QSaveFile& file) {
    // A flush that writes a part only (the last room on the disk) fails
    // without the system's reason: the next one writes more or gives it.
    for (qint64 left = file.bytesToWrite(); !file.flush(); left = file.bytesToWrite()) {
        if (file.bytesToWrite() >= left) {
            return frenchFileError(file.errorString());
        }
    }
    // A file system that cannot sync (EINVAL) has nothing more to tell.
    if (::fsync(file.handle()) != 0 && errno != EINVAL) {
        return frenchFileError(QString::fromLocal8Bit(std::strerror(errno)));
    }
    return QString();
}

// Writes the whole of `contents`: the system may take a part only (the last
// room on a disk), and says why it takes no more at the next write.
bool writeAll(QIODevice& device, const QByteArray& contents) {
    for (qint64 done = 0; done < contents.size();) {
        const qint64 written = device.write(contents.constData() + done, contents.size() - done);
        if (written <= 0) {
            return false;
        }
        done += written;
    }
    return true;
}

}  // namespace

bool FileReplacement::open() {
    std::error_code error;
    const fs::file_status status = fs::status(file_.fileName().toStdString(), error);
    if (fs::exists(status)) {
        error_ = refusalToReplace(status);
        if (!error_.isEmpty()) {
            return false;
        }
        replaces_ = true;
        mode_ = static_cast<int>(status.permissions());
    }
    if (!file_.open(QIODevice::WriteOnly)) {
        error_ = frenchFileError(file_.errorString());
        return false;
    }
    return true;
}

bool FileReplacement::commit() {
    error_ = unsavedReason(file_);
    if (!error_.isEmpty()) {
        file_.cancelWriting();  // the old file stays as it was
        return false;
    }
    if (!file_.commit()) {
        error_ = frenchFileError(file_.errorString());
        return false;
    }
    if (replaces_) {
        // The file put in place is a new one: it takes the old one's mode.
        std::error_code ignored;
        fs::permissions(file_.fileName().toStdString(), static_cast<fs::perms>(mode_), ignored);
    }
    return true;
}

std::optional<QString> writeWholeFile(const QString& path, const QByteArray& contents) {
    FileReplacement file(path);
    if (!file.open()) {
        return file.error();
    }
    if (!writeAll(file.device(), contents)) {
        const QString reason = frenchFileError(file.device().errorString());
        file.cancel();
        return reason;
    }
    if (!file.commit()) {
        return file.error();
    }
    return std::nullopt;
}

QString frenchFileError(const QString& reason) {
    static const std::pair<int, const char*> systemReasons[] = {
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
    for (const auto& [code, french] : systemReasons) {
        // Qt words these failures with the system's own text.
        if (reason.contains(QString::fromLocal8Bit(std::strerror(code)), Qt::CaseInsensitive)) {
            return QString::fromUtf8(french) + '.';
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

}  // namespace varnelle
