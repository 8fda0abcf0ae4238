// The tank's measures kept in a small JSON file, so that a sensor script
// names its tank once: the keys are the options' names ("diametre",
// "longueur", "bords"...), the values numbers, or the end shape's name.
#pragma once

#include <QHash>
#include <QString>

#include "bareme/option_reader.h"

namespace varnelle {

// The options that describe the tank and how its sensor is mounted, hence
// the keys of a tank file.
extern const char* const tankOptions[11];

// The values of the file at `path`, as texts under the options' names;
// refuses (naming the key at fault) a file that cannot be read, is not a
// JSON object, holds an unknown key or a value of the wrong kind.
QHash<QString, QString> readTankFile(const QString& path);

// The file holding the tank's measures that `options` give.
QByteArray tankFileContents(const OptionReader& options);

}  // namespace varnelle
