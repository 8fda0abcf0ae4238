// Reading a small file that the user names (a tank's measures, a setting):
// only an ordinary file is read, without waiting, and never more of it than
// the caller accepts, so that a pipe, a device or a huge file cannot hang the
// program or fill its memory.
#pragma once

#include <QByteArray>
#include <QString>

#include "files/refusal.h"

namespace varnelle {

// The contents of the file at `path` (or of the ordinary file a link names),
// read whole when it holds at most `largest` bytes. Of a larger file, or one
// that keeps growing, `largest` + 1 bytes only are read, whatever size it says
// it has (a file of /proc says 0): contents longer than `largest` tell the
// caller that the file is too large, which it says in its own words.
// Refuses, with `path` as its subject and the reason in French as a clause to
// follow "could not be read: ", a path that names no ordinary file (a folder,
// a pipe, a device: refused before it is opened, and checked again once open
// in case a pipe took the file's place), and a file that cannot be read.
Outcome<QByteArray> readSmallFile(const QString& path, qint64 largest);

}  // namespace varnelle
