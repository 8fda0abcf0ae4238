// The number a field holds, read by the core's rule (see core/number_text.h).
#pragma once

#include <QString>

#include "core/number_text.h"

namespace varnelle {

inline double numberIn(const QString& text) {
    return numberFromText(text.toUtf8().toStdString());
}

}  // namespace varnelle
