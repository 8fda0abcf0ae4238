// Readings brought into the carnet from a CSV file: a table kept by hand
// ("date;hauteur" or "date,hauteur") or the history that Home Assistant
// exports for a sensor ("entity_id,state,last_changed"). The reading is
// pure: text in, readings and refused lines out, so that the window shows
// the same answer as the tests check.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <atomic>
#include <optional>
#include <vector>

#include "files/refusal.h"
#include "logbook/consumption.h"

namespace varnelle {

// A file larger than this is refused before it is read: ten years of hourly
// readings take about 5 MB.
inline constexpr qint64 largestImportBytes = qint64{20} * 1024 * 1024;
// A line longer than this is refused whole, without being looked into.
inline constexpr int longestImportLine = 64 * 1024;
// How many of the file's first lines the preview shows.
inline constexpr int importPreviewLines = 10;

// What the file's numbers are: heights of oil above the bottom, or distances
// from a sensor at the top of the tank down to the oil.
enum class ImportedValue { Height, Distance };
enum class ImportedUnit { Millimetres, Centimetres };

struct ImportOptions {
    double diameterMm = 0;  // heights outside 0…diameter are refused
    ImportedValue value = ImportedValue::Height;
    ImportedUnit unit = ImportedUnit::Millimetres;
    QDateTime now;  // times after it (beyond readTime's tolerance) are refused
};

enum class ImportFormat { DateAndValue, HomeAssistant };

// One line as the preview shows it: the date and the value as written, then
// the height they give or why the line was refused.
struct ImportPreviewLine {
    int number = 0;  // the line's number in the file, from 1
    QString date, value;
    std::optional<double> heightMm;
    QString reason;  // empty when the line gave a reading
};

struct RefusedImportLine {
    int number = 0;
    QString reason;  // short, in French, no capital and no final period
};

struct ImportResult {
    ImportFormat format = ImportFormat::DateAndValue;
    std::vector<Reading> readings;  // in the order of the file
    std::vector<RefusedImportLine> refused;
    std::vector<ImportPreviewLine> preview;  // the first importPreviewLines lines
};

// The readings that `contents` (UTF-8, with or without a byte order mark,
// lines ended by LF or CRLF) gives under `options`. Blank lines and the
// header are passed over; every other line gives a reading or is refused.
// Once `abandoned` is set, stops soon with what it has read, which the caller
// is to drop.
ImportResult importReadings(const QByteArray& contents, const ImportOptions& options,
                            const std::atomic<bool>* abandoned = nullptr);

// The contents of the CSV file at `path`, refused (with the path as its
// subject) when it is no ordinary readable file or holds more than
// largestImportBytes.
Outcome<QByteArray> readImportFile(const QString& path);

}  // namespace varnelle
