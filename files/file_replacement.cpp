#include "file_replacement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "files/file_errors.h"

namespace varnelle {
namespace {

constexpr mode_t anyoneWrites = S_IWUSR | S_IWGRP | S_IWOTH;

// Why the existing file of kind and mode `status` must not be replaced, or
// nothing when it may be.
std::optional<Refusal> refusalToReplace(const QString& path, const struct stat& status) {
    if (std::optional<Refusal> special = refusalOfSpecialFile(path, status.st_mode)) {
        return special;
    }
    if ((status.st_mode & anyoneWrites) == 0) {
        return Refusal{path, QStringLiteral("le fichier existant est en lecture seule.")};
    }
    return std::nullopt;
}

// Why what was written to `file` is not all on the disk, in French, or
// nothing once it is. QSaveFile::commit() checks neither the last write of its
// buffer nor the sync: on a full disk it would put an empty or cut file in
// place of the old one and report success.
std::optional<QString> unsavedReason(QSaveFile& file) {
    // A flush that writes a part only (the last room on the disk) fails
    // without the system's reason: the next one writes more or gives it.
    for (qint64 left = file.bytesToWrite(); !file.flush(); left = file.bytesToWrite()) {
        if (file.bytesToWrite() >= left) {
            return frenchFileError(file.errorString());
        }
    }
    // A file system that cannot sync (EINVAL) has nothing more to tell.
    if (::fsync(file.handle()) != 0 && errno != EINVAL) {
        return frenchSystemError(errno);
    }
    return std::nullopt;
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

std::optional<Refusal> FileReplacement::open() {
    struct stat status {};
    // A path that cannot be looked at is left to the opening, which says why.
    if (::stat(QFile::encodeName(file_.fileName()).constData(), &status) == 0) {
        if (std::optional<Refusal> refused = refusalToReplace(file_.fileName(), status)) {
            return refused;
        }
        replaces_ = true;
        mode_ = status.st_mode & 07777;
    }
    if (!file_.open(QIODevice::WriteOnly)) {
        return refusal(frenchFileError(file_.errorString()));
    }
    return std::nullopt;
}

std::optional<Refusal> FileReplacement::commit() {
    if (const std::optional<QString> reason = unsavedReason(file_)) {
        file_.cancelWriting();  // the old file stays as it was
        return refusal(*reason);
    }
    if (!file_.commit()) {
        return refusal(frenchFileError(file_.errorString()));
    }
    if (replaces_) {
        // The file put in place is a new one: it takes the old one's mode.
        ::chmod(QFile::encodeName(file_.fileName()).constData(), mode_);
    }
    return std::nullopt;
}

std::optional<Refusal> writeWholeFile(const QString& path, const QByteArray& contents) {
    FileReplacement file(path);
    if (std::optional<Refusal> refused = file.open()) {
        return refused;
    }
    if (!writeAll(file.device(), contents)) {
        const Refusal refused{path, frenchFileError(file.device().errorString())};
        file.cancel();
        return refused;
    }
    return file.commit();
}

}  // namespace varnelle
