#include "engine.h"
#include "locations.h"
#include "paths.h"
#include "walker.h"

#include <algorithm>

namespace orvane {

namespace {

struct HomeFolder {
    const char* name;
    const char* icon;
};

// Row order decides the order of folders of equal size.
constexpr HomeFolder kHomeFolders[] = {
    {"Downloads", "arrow.down.circle"},
    {"Documents", "doc"},
    {"Desktop", "menubar.dock.rectangle"},
    {"Movies", "film"},
    {"Music", "music.note"},
    {"Pictures", "photo"},
    {"Library", "books.vertical"},
    {"Applications", "square.grid.2x2"},
};

void sortLargestFirst(QList<SpaceEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SpaceEntry& a, const SpaceEntry& b) { return a.sizeInBytes > b.sizeInBytes; });
}

// The entries of `folder` of at least one byte, each with its whole size, in listing order.
QList<SpaceEntry> measuredEntries(const FilePath& folder, bool skipHidden, ScanProgress* progress)
{
    const std::optional<std::vector<MeasuredEntry>> listed = measureFolder(folder, skipHidden, progress);
    if (!listed || cancelled(progress))
        return {};
    QList<SpaceEntry> entries;
    for (const auto& [entry, size] : *listed) {
        const bool isDirectory = S_ISDIR(entry.st.st_mode);
        if (size < 1)
            continue;
        SpaceEntry space;
        space.name = displayPath(entry.name);
        space.icon = isDirectory ? QStringLiteral("folder") : QStringLiteral("doc");
        space.url = entry.path;
        space.sizeInBytes = size;
        space.isDirectory = isDirectory;
        entries.append(std::move(space));
    }
    return entries;
}

// What a Linux home really holds: every entry, hidden ones included, largest first; the user
// folders (under their own names) with their symbols. A user folder that is a link stays a link:
// its own small entry, never what it points to.
QList<SpaceEntry> homeEntries(const BaseDirs& dirs, ScanProgress* progress)
{
    QList<SpaceEntry> entries = measuredEntries(dirs.home, false, progress);
    const QList<UserFolder> userDirs = userFolders(dirs);
    for (SpaceEntry& entry : entries) {
        if (!entry.isDirectory)
            continue;
        for (const UserFolder& user : userDirs)
            if (user.path == entry.url)
                entry.icon = QString::fromLatin1(user.icon);
    }
    sortLargestFirst(entries);
    return entries;
}

} // namespace

QList<SpaceEntry> topLevelEntries(ScanProgress* progress)
{
    return topLevelEntries(runningPlatform(), baseDirs(), progress);
}

QList<SpaceEntry> topLevelEntries(Platform platform, const BaseDirs& dirs, ScanProgress* progress)
{
    if (platform == Platform::linux)
        return homeEntries(dirs, progress);
    const FilePath& home = dirs.home;
    FilePaths paths;
    for (const HomeFolder& row : kHomeFolders)
        paths.append(joinPath(home, QByteArray(row.name)));
    // A missing folder, or one that is a link or a plain file, measures 0 and is left out.
    const std::vector<qint64> sizes = folderSizes(paths, progress);
    if (cancelled(progress))
        return {};

    QList<SpaceEntry> entries;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (sizes[size_t(i)] < 1)
            continue;
        SpaceEntry entry;
        entry.name = QString::fromLatin1(kHomeFolders[i].name);
        entry.icon = QString::fromLatin1(kHomeFolders[i].icon);
        entry.url = paths[i];
        entry.sizeInBytes = sizes[size_t(i)];
        entry.isDirectory = true;
        entries.append(std::move(entry));
    }
    sortLargestFirst(entries);
    return entries;
}

QList<SpaceEntry> childEntries(const FilePath& folder, ScanProgress* progress)
{
    return childEntries(folder, runningPlatform(), progress);
}

QList<SpaceEntry> childEntries(const FilePath& folder, Platform platform, ScanProgress* progress)
{
    // On macOS hidden items are counted in sizes but not listed; on Linux they are listed too.
    QList<SpaceEntry> entries = measuredEntries(folder, platform == Platform::macOS, progress);
    sortLargestFirst(entries);
    return entries;
}

} // namespace orvane
