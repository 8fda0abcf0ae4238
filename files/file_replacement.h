// Writing a file that may take the place of one already there: the new file
// is written aside and put in place only once complete; only an ordinary file
// that may be written is ever replaced, and it keeps its mode.
#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <optional>

#include "files/refusal.h"

namespace varnelle {

// Each refusal names the file's path as its subject and says why in French,
// as a clause to follow "could not be written: ".
class FileReplacement {
  public:
    explicit FileReplacement(const QString& path) : file_(path) {}

    // Refuses a path that names something else than an ordinary file (a
    // device, a pipe, a folder), a read-only file, or a place where nothing
    // can be written.
    std::optional<Refusal> open();
    QIODevice& device() { return file_; }
    // Puts the file in place once all that was written is on the disk; the
    // refusal when it could not be, the old file left as it was.
    std::optional<Refusal> commit();
    // Drops what was written; an existing file stays as it was.
    void cancel() { file_.cancelWriting(); }

  private:
    Refusal refusal(const QString& sentence) const { return Refusal{file_.fileName(), sentence}; }

    QSaveFile file_;
    bool replaces_ = false;
    mode_t mode_ = 0;  // of the file replaced
};

// Writes `contents` to `path` whole or not at all, as a FileReplacement does;
// the refusal when it could not be written.
std::optional<Refusal> writeWholeFile(const QString& path, const QByteArray& contents);

}  // namespace varnelle
