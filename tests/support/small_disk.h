// A small disk of its own for the tests of a full disk: a tmpfs mounted in a
// temporary folder, filled to the last bytes wanted. Only root may mount one
// (and a container may refuse even root): the tests skip, saying so, when
// mounted() is false.
#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>

namespace varnelle {

// The room left on the disk for a file about to be written.
enum class Room {
    None,
    ForItsStart,           // two pages
    ForAllButItsLastPage,  // its last buffer cannot be written
    ForAll,
};

class SmallDisk {
  public:
    static constexpr const char* notMounted =
        "a full disk needs a small tmpfs, which only root may mount";

    explicit SmallDisk(const char* size = "64k") {
        mounted_ = folder_.isValid() &&
                   ::mount("tmpfs", encoded(folder_.path()).constData(), "tmpfs",
                           MS_NOSUID | MS_NODEV, QByteArray("size=").append(size).constData()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(encoded(folder_.path()).constData(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    QString filePath(const QString& name) const { return folder_.filePath(name); }

    // Fills the disk with a file of its own until at most `bytesLeft` bytes
    // (whole pages) are free; false when it could not.
    bool fillLeaving(long bytesLeft) {
        const int filler =
            ::open(encoded(filePath(fillerName)).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (filler < 0) {
            return false;
        }
        static const QByteArray page(static_cast<int>(::sysconf(_SC_PAGESIZE)), 'x');
        long written = 0;
        for (ssize_t chunk; (chunk = ::write(filler, page.constData(), page.size())) > 0;) {
            written += chunk;
        }
        const bool full = errno == ENOSPC;
        const bool leftRoom =
            ::ftruncate(filler, written > bytesLeft ? written - bytesLeft : 0) == 0;
        ::close(filler);
        return full && leftRoom && freeBytes() <= bytesLeft;
    }

    // The free bytes that leave `room` for a file of `size` bytes.
    static long bytesLeft(Room room, long size) {
        const long page = ::sysconf(_SC_PAGESIZE);
        switch (room) {
            case Room::None:
                return 0;
            case Room::ForItsStart:
                return 2 * page;
            case Room::ForAllButItsLastPage:
                return (size - 1) / page * page;
            case Room::ForAll:
                break;
        }
        return (size + page - 1) / page * page;
    }

    long freeBytes() const {
        struct statvfs disk {};
        return ::statvfs(encoded(folder_.path()).constData(), &disk) == 0
                   ? static_cast<long>(disk.f_bavail * disk.f_frsize)
                   : -1;
    }

    // What the disk holds besides the filler: a file written aside and left
    // behind would show here.
    QStringList files() const {
        QStringList names = QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QString::fromLatin1(fillerName));
        return names;
    }

  private:
    static constexpr const char* fillerName = "remplissage";

    static QByteArray encoded(const QString& name) { return QFile::encodeName(name); }

    QTemporaryDir folder_;
    bool mounted_ = false;
};

}  // namespace varnelle
