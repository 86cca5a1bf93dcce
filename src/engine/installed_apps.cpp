#include "desktop_entry.h"
#include "engine.h"
#include "installed_apps_p.h"
#include "paths.h"
#include "walker.h"

#include <sys/stat.h>

#include <QLocale>
#include <QSet>

#include <algorithm>
#include <vector>

namespace orvane {

namespace apps {

bool isSafeComponent(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

FilePaths existingOnce(const FilePaths& candidates)
{
    FilePaths result;
    QSet<QByteArray> seen;
    for (const FilePath& candidate : candidates) {
        struct stat st;
        if (::stat(candidate.constData(), &st) != 0 || seen.contains(candidate))
            continue;
        seen.insert(candidate);
        result.append(candidate);
    }
    return result;
}

namespace {

// Scan-time size of each location, by the one size rule; 0 for one that cannot be read.
QList<qint64> sizesOf(const FilePaths& locations, ScanProgress* progress)
{
    QList<qint64> sizes(locations.size(), 0);
    FilePaths folders;
    QList<qsizetype> folderIndex;
    for (qsizetype i = 0; i < locations.size(); ++i) {
        struct stat st;
        if (::lstat(locations[i].constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            folders.append(locations[i]);
            folderIndex.append(i);
        } else {
            sizes[i] = st.st_size;
        }
    }
    const std::vector<qint64> folderTotals = folderSizes(folders, progress);
    for (qsizetype j = 0; j < folderIndex.size(); ++j)
        sizes[folderIndex[j]] = folderTotals[size_t(j)];
    return sizes;
}

} // namespace

CleanupFile appEntry(const QString& name, const FilePath& url, qint64 ownSize, bool autoSelect, FilePaths leftovers,
                     ScanProgress* progress)
{
    CleanupFile app;
    app.name = name;
    app.url = url;
    app.isSelected = autoSelect;
    app.extraURLs = std::move(leftovers);
    app.extraSizes = sizesOf(app.extraURLs, progress);
    app.sizeInBytes = ownSize;
    for (qint64 size : app.extraSizes)
        app.sizeInBytes += size;
    return app;
}

void sortLargestFirst(QList<CleanupFile>& apps)
{
    std::stable_sort(apps.begin(), apps.end(),
                     [](const CleanupFile& a, const CleanupFile& b) { return a.sizeInBytes > b.sizeInBytes; });
}

} // namespace apps

QList<CleanupFile> scanInstalledApps(const InstalledAppsSource& source, bool autoSelect, ScanProgress* progress)
{
    const QStringList locales = desktopLocales(QLocale().name().section(u'_', 0, 0));
    return scanInstalledApps(source, autoSelect, runningPlatform(), baseDirs(), locales, progress);
}

QList<CleanupFile> scanInstalledApps(const InstalledAppsSource& source, bool autoSelect, Platform platform,
                                     const BaseDirs& dirs, const QStringList& locales, ScanProgress* progress)
{
    const AppLocations at = appLocations(platform, dirs);
    if (platform == Platform::macOS)
        return apps::scanBundles(autoSelect, at.bundleRoots, at.library, progress);
    return apps::scanLinuxApps(autoSelect, at, dirs, locales, source.unusedRuntimesName, progress);
}

} // namespace orvane
