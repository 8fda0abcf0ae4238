#include "small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <optional>

#include "files/file_errors.h"

namespace varnelle {
namespace {

// Closes the file however its reading ends.
class OpenFile {
  public:
    explicit OpenFile(const QByteArray& name)
        : descriptor_(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) {}
    ~OpenFile() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int descriptor() const { return descriptor_; }

  private:
    int descriptor_;
};

// At most `limit` bytes of the open file; errno's reason when it cannot be read.
Outcome<QByteArray> readAtMost(const QString& path, int descriptor, qint64 limit) {
    QByteArray contents(limit, Qt::Uninitialized);
    qint64 done = 0;
    while (done < limit) {
        const ssize_t got = ::read(descriptor, contents.data() + done, limit - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Refusal{path, frenchSystemError(errno)};
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    contents.truncate(done);
    return contents;
}

}  // namespace

Outcome<QByteArray> readSmallFile(const QString& path, qint64 largest) {
    if (path.contains(QChar(0))) {  // the system would read the name up to it only
        return Refusal{path, frenchSystemError(ENOENT)};
    }
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0) {
        return Refusal{path, frenchSystemError(errno)};
    }
    // Before opening: opening a device may act on it, opening a pipe may wait.
    if (std::optional<Refusal> special = refusalOfSpecialFile(path, status.st_mode)) {
        return *special;
    }
    // Without waiting, and checked again once open, in case a pipe took the
    // file's place in between.
    const OpenFile file(name);
    if (file.descriptor() < 0 || ::fstat(file.descriptor(), &status) != 0) {
        return Refusal{path, frenchSystemError(errno)};
    }
    if (std::optional<Refusal> special = refusalOfSpecialFile(path, status.st_mode)) {
        return *special;
    }
    return readAtMost(path, file.descriptor(), largest + 1);
}

}  // namespace varnelle
