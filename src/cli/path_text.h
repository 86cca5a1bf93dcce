#pragma once

// How a path, kept as the bytes the file system gave, is written out by the command line.

#include <QByteArray>
#include <QString>

namespace orvane::cli {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(const QByteArray& bytes);

// JSON form of an absolute path: the path itself when it is valid UTF-8; otherwise "base64:"
// followed by the standard Base64 of its bytes. Absolute paths start with "/", so the two forms
// can never be confused, and the second gives back exactly the file's name.
QString jsonPath(const QByteArray& path);
// Inverse of jsonPath(); an empty result for text that is neither form.
QByteArray pathFromJson(const QString& text);

// Terminal form: UTF-8 text with every byte that is not part of valid UTF-8, and every character
// a terminal would act on (C0 and C1 controls, DEL, line separators, bidirectional overrides),
// written as \xNN per byte (a backslash as \\), so one path always stays on one line.
QString readablePath(const QByteArray& path);
// The same for a name read from a file or another program (a Trash item's original name, an
// application's Name=, a duplicate group's file name).
QString readableName(const QString& name);

} // namespace orvane::cli
