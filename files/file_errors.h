// The system's reasons for a failed file operation, in French, and the one
// refusal of what is no ordinary file, whether it was to be read or replaced.
#pragma once

#include <sys/types.h>

#include <QString>
#include <optional>

#include "files/refusal.h"

namespace varnelle {

// A system's or Qt's reason for a failed file operation, in French where the
// user is likely to meet it ("Permission denied", "No such file or directory").
QString frenchFileError(const QString& reason);

// The system's reason for the error `code` (an errno value), in French.
QString frenchSystemError(int code);

// The refusal of `path` when `mode` (its st_mode) says it is no ordinary file:
// a folder, a device, a pipe, a socket. Such a file is neither read (a pipe may
// wait for a writer forever, a device may never end) nor replaced (the device
// or pipe would become a file). Nothing when it is an ordinary file.
std::optional<Refusal> refusalOfSpecialFile(const QString& path, mode_t mode);

}  // namespace varnelle
