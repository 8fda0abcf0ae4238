// The lines of a stream of readings, each one bounded, whatever the input:
// a sensor's program may send anything, or nothing but one endless line.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <optional>

namespace varnelle {

// The longest line read; a longer one is reported without its text.
constexpr qsizetype longestStreamLine = qsizetype{64} * 1024;

struct StreamLine {
    long long number = 0;  // from 1
    QByteArray text;       // without its end; empty when tooLong
    bool tooLong = false;
};

// Splits what `in` gives into lines as it arrives. A line ends at LF, CRLF
// or a lone CR (some serial devices end theirs so). Memory stays bounded by
// the longest line: the rest of a longer one is dropped as it is read.
class StreamLines {
  public:
    explicit StreamLines(QIODevice& in) : in_(in) {}

    // The next line, waiting for it; none once the input ends or fails.
    std::optional<StreamLine> next();

    // Whether the input failed (a folder, a read error) rather than ended.
    bool failed() const { return failed_; }
    QString errorString() const { return in_.errorString(); }

  private:
    // Reads what the input has; false at its end.
    bool readMore();
    // The line made of the first `length` pending bytes, its number given,
    // its text dropped when it is too long.
    StreamLine takenLine(qsizetype length);

    QIODevice& in_;
    QByteArray pending_;
    long long lineNumber_ = 0;
    bool skipLineFeed_ = false;  // the last line ended with a CR: an LF next belongs to it
    bool dropping_ = false;      // inside a line too long, until its end
    bool failed_ = false;
};

}  // namespace varnelle
