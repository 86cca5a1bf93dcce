#include "engine.h"
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

} // namespace

qint64 folderSize(const FilePath& folder)
{
    // Not a folder (or a link to one): nothing below it to count.
    return folderSizes({folder}).front();
}

qint64 itemSize(const FilePath& item)
{
    return treeSize(item);
}

QList<SpaceEntry> topLevelEntries()
{
    const FilePath home = homeDir();
    FilePaths paths;
    for (const HomeFolder& row : kHomeFolders)
        paths.append(joinPath(home, QByteArray(row.name)));
    // A missing folder, or one that is a link or a plain file, measures 0 and is left out.
    const std::vector<qint64> sizes = folderSizes(paths);

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

QList<SpaceEntry> childEntries(const FilePath& folder)
{
    // Hidden items are counted in sizes but not listed.
    const std::optional<std::vector<MeasuredEntry>> listed = measureFolder(folder, true);
    if (!listed)
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
    sortLargestFirst(entries);
    return entries;
}

} // namespace orvane
