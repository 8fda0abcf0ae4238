// Writing a file that may take the place of one already there: the new file
// is written aside and put in place only once complete; only a regular file
// that may be written is ever replaced, and it keeps its mode.
#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <optional>

namespace varnelle {

class FileReplacement {
  public:
    explicit FileReplacement(const QString& path) : file_(path) {}

    // False, with error(), when the path names something else than a regular
    // file (a device, a pipe, a folder), a read-only file, or a place where
    // nothing can be written.
    bool open();
    QIODevice& device() { return file_; }
    // Puts the file in place once all that was written is on the disk; false,
    // with error(), when it could not be, the old file left as it was.
    bool commit();
    // Drops what was written; an existing file stays as it was.
    void cancel() { file_.cancelWriting(); }
    // In French.
    QString error() const { return error_; }

  private:
    QSaveFile file_;
    QString error_;
    bool replaces_ = false;
    int mode_ = 0;  // of the file replaced
};

// Writes `contents` to `path` whole or not at all, as a FileReplacement does;
// the French reason when it could not be written.
std::optional<QString> writeWholeFile(const QString& path, const QByteArray& contents);

// A system's or Qt's reason for a failed file operation, in French where the
// user is likely to meet it ("Permission denied", "No such file or directory").
QString frenchFileError(const QString& reason);

}  // namespace varnelle
