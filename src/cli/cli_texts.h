#pragma once

// Texts of the command line that the application's string table does not have, in both languages.

#include <QString>
#include <QStringList>

namespace orvane::cli {

// The text of `key` in the current language, "%@" filled in order; the key itself when unknown.
QString text(const char* key, const QStringList& args = {});

} // namespace orvane::cli
