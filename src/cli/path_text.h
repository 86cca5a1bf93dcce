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

// Terminal form: UTF-8 text with every byte that is not part of valid UTF-8, and every control
// character, written as \xNN (a backslash as \\), so one path always stays on one line.
QString readablePath(const QByteArray& path);

} // namespace orvane::cli
