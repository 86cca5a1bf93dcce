#pragma once

// How a path, kept as the bytes the file system gave, is written out by the command line.

#include <QByteArray>
#include <QString>

namespace orvane::cli {

// JSON form of an absolute path: the path itself when it is valid UTF-8; otherwise "base64:"
// followed by the standard Base64 of its bytes. Absolute paths start with "/", so the two forms
// can never be confused, and the second gives back exactly the file's name.
QString jsonPath(const QByteArray& path);

// Terminal form: UTF-8 text with every byte that is not part of valid UTF-8, and every character
// a terminal would act on (C0 and C1 controls, DEL, line separators, bidirectional overrides),
// written as \xNN per byte (a backslash as \\), so one path always stays on one line.
QString readablePath(const QByteArray& path);
// The same for a name read from a file or another program (a Trash item's original name, an
// application's Name=, a duplicate group's file name).
QString readableName(const QString& name);

} // namespace orvane::cli
