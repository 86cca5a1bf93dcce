#pragma once

#include "app_language.h"

#include <QString>
#include <QtGlobal>

namespace orvane {

// File-style byte count in decimal units ("1.5 MB", "Zero KB").
QString formatBytes(qint64 bytes, AppLanguage language);
// The same in the current language.
QString formatBytes(qint64 bytes);
// A count with the current language's digit grouping ("12,345", "12.345").
QString formatCount(qint64 count);
// "1 item", "20,002 items" in the current language.
QString formatItemCount(qint64 count);

} // namespace orvane
