#include "stream_lines.h"

#include <QFileDevice>

namespace varnelle {
namespace {

constexpr qsizetype chunkSize = qsizetype{16} * 1024;

qsizetype lineEnd(const QByteArray& text) {
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] == '\n' || text[at] == '\r') {
            return at;
        }
    }
    return -1;
}

}  // namespace

bool StreamLines::readMore() {
    if (failed_) {
        return false;
    }
    // read() waits for some input and gives what has come, so that each
    // reading is answered as soon as its line ends.
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    const qint64 count = in_.read(chunk.data(), chunkSize);
    if (count < 0) {
        // A folder as standard input reads as an error, not as an end.
        const auto* file = qobject_cast<const QFileDevice*>(&in_);
        failed_ = file != nullptr && file->error() != QFileDevice::NoError;
        return false;
    }
    if (count == 0) {
        return false;
    }
    chunk.truncate(count);
    if (skipLineFeed_ && chunk.startsWith('\n')) {
        chunk.remove(0, 1);
    }
    skipLineFeed_ = false;
    pending_ += chunk;
    return true;
}

StreamLine StreamLines::takenLine(qsizetype length) {
    const bool tooLong = dropping_ || length > longestStreamLine;
    dropping_ = false;
    return {++lineNumber_, tooLong ? QByteArray() : pending_.left(length), tooLong};
}

std::optional<StreamLine> StreamLines::next() {
    for (;;) {
        const qsizetype end = lineEnd(pending_);
        if (end >= 0) {
            const StreamLine line = takenLine(end);
            const bool crlf =
                pending_[end] == '\r' && end + 1 < pending_.size() && pending_[end + 1] == '\n';
            skipLineFeed_ = pending_[end] == '\r' && end + 1 == pending_.size();
            pending_.remove(0, end + (crlf ? 2 : 1));
            return line;
        }
        if (pending_.size() > longestStreamLine) {
            dropping_ = true;
            pending_.clear();
        }
        if (!readMore()) {
            if (pending_.isEmpty() && !dropping_) {
                return std::nullopt;
            }
            // The last line, without its end.
            const StreamLine line = takenLine(pending_.size());
            pending_.clear();
            return line;
        }
    }
}

}  // namespace varnelle
