#pragma once

// What the application scans of each platform share: the item an application becomes, with its
// leftovers measured at scan time.

#include "base_dirs.h"
#include "locations.h"
#include "model_types.h"
#include "scan_progress.h"

#include <QStringList>

#include <optional>

namespace orvane::apps {

// Applications and their folders below this size are not offered.
inline constexpr qint64 kMinBundleSize = 1024 * 1024;

// A name that can stand as one path component below a leftover folder. An empty name, "." or
// "..", or one holding "/", would name the folder itself, its parent, or a place outside it:
// such a value names nothing.
bool isSafeComponent(const QByteArray& name);

// The first location of each path that exists (following a link, as a file manager's
// existence test does; the link itself is what gets measured and removed), each path once.
FilePaths existingOnce(const FilePaths& candidates);

// One application: `url` with its own size, then its leftovers each measured now.
CleanupFile appEntry(const QString& name, const FilePath& url, qint64 ownSize, bool autoSelect, FilePaths leftovers,
                     ScanProgress* progress);

void sortLargestFirst(QList<CleanupFile>& apps);

// macOS: the "*.app" bundles directly in `roots`, leftovers below `library`.
QList<CleanupFile> scanBundles(bool autoSelect, const FilePaths& roots, const FilePath& library, ScanProgress* progress);

// Linux: AppImage files and Flatpak apps (with the user's unused runtimes, named
// `runtimesName`), names from desktop entries in the first of `locales`.
QList<CleanupFile> scanLinuxApps(bool autoSelect, const AppLocations& at, const BaseDirs& dirs,
                                 const QStringList& locales, const QString& runtimesName, ScanProgress* progress);

} // namespace orvane::apps
