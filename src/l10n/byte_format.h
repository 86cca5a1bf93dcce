#pragma once

#include "app_language.h"

#include <QString>
#include <QtGlobal>

namespace orvane {

// File-style byte count in decimal units ("1.5 MB", "Zero KB").
QString formatBytes(qint64 bytes, AppLanguage language);
// The same in the current language.
QString formatBytes(qint64 bytes);

} // namespace orvane
