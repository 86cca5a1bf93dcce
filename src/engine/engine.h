#pragma once

// The engine's public entry points. Every call is synchronous and stateless; the UI runs them
// on worker threads. Nothing here reports errors: what cannot be read is left out or counts 0.

#include "base_dirs.h"
#include "model_types.h"
#include "scan_progress.h"

#include <QStringList>

#include <optional>

namespace orvane {

// Capacity of the volume holding the home folder (statvfs); zeros when the query fails.
DiskInfo diskInfo();

// Scans each source of the plan in order and returns the non-empty categories, heaviest first.
// With `progress`, reports how far it has got there; a scan cancelled through it returns nothing.
QList<CleanupCategory> scanPlan(const CleanupPlan& plan, ScanProgress* progress = nullptr);

// The items of every location of a folder source (each location once, each item once, none of
// `neverOffered`), largest first; equal sizes keep location order, then listing order.
QList<CleanupFile> scanFolderSource(const FolderSource& source, bool autoSelect, ScanProgress* progress = nullptr);

// Regular files of at least `minSize` under `root`, skipping hidden entries and folders named "Library".
QList<CleanupFile> findBigFiles(const FilePath& root, qint64 minSize, bool autoSelect,
                               ScanProgress* progress = nullptr);

// Groups of files with identical content under `roots`, one category per group.
QList<CleanupCategory> findDuplicates(const FilePaths& roots, qint64 minSize, const QString& icon,
                                      ScanProgress* progress = nullptr);

// The user's applications with their leftovers, largest first, on the running platform (macOS:
// the bundles of "/Applications" and ~/Applications; Linux: AppImage files in ~/Applications
// and ~/.local/bin, Flatpak apps when flatpak is installed), names in the current language.
QList<CleanupFile> scanInstalledApps(const InstalledAppsSource& source, bool autoSelect,
                                     ScanProgress* progress = nullptr);
// The same for `platform` and the folders of `dirs`; desktop-entry names in the first of `locales`.
QList<CleanupFile> scanInstalledApps(const InstalledAppsSource& source, bool autoSelect, Platform platform,
                                     const BaseDirs& dirs, const QStringList& locales,
                                     ScanProgress* progress = nullptr);

// The space explorer. The home folder's top level: on macOS its classic folders; on Linux every
// entry, hidden ones included, the user folders (user-dirs.dirs) with their symbols. Largest first.
// Cancelled through `progress`, a listing returns nothing.
QList<SpaceEntry> topLevelEntries(ScanProgress* progress = nullptr);
QList<SpaceEntry> topLevelEntries(Platform platform, const BaseDirs& dirs, ScanProgress* progress = nullptr);
// A folder's entries, largest first (hidden ones only on Linux).
QList<SpaceEntry> childEntries(const FilePath& folder, ScanProgress* progress = nullptr);
QList<SpaceEntry> childEntries(const FilePath& folder, Platform platform, ScanProgress* progress = nullptr);

} // namespace orvane
