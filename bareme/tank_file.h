// The tank's measures kept in a small JSON file, so that a sensor script
// names its tank once: the keys are the options' names ("diametre",
// "longueur", "bords"...), the values numbers, or the end shape's name.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include "bareme/option_reader.h"

namespace varnelle {

// The options that describe the tank and how its sensor is mounted, hence
// the keys of a tank file.
extern const char* const tankOptions[12];

// A tank file holds a dozen numbers: anything larger is the wrong file (a
// log, a disk image, /dev/zero) and is refused before it fills the memory.
inline constexpr qsizetype largestTankFile = qsizetype{1024} * 1024;

// The values of the file at `path`, as texts under the options' names;
// refuses a path that is not an ordinary file (a folder, a device, a pipe:
// refused before anything is read, so that a pipe without writer does not
// wait forever), a file that cannot be read or is larger than
// largestTankFile, and what tankFileValues refuses.
QHash<QString, QString> readTankFile(const QString& path);

// The values that `contents`, the file named `fileName` in the messages,
// gives; refuses (naming the key at fault) contents larger than
// largestTankFile, that are not a JSON object, give a key twice, or hold an
// unknown key or a value of the wrong kind. A number too large for a double
// is kept as written, so that it is refused as the option's would be.
QHash<QString, QString> tankFileValues(const QString& fileName, const QByteArray& contents);

// The file holding the tank's measures that `options` give.
QByteArray tankFileContents(const OptionReader& options);

}  // namespace varnelle
