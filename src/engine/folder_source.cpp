#include "engine.h"
#include "paths.h"
#include "walker.h"

#include <algorithm>

namespace orvane {

QList<CleanupFile> scanFolder(const FilePath& folder, bool autoSelect)
{
    // Hidden items are offered too; a folder that cannot be listed offers nothing.
    const std::optional<std::vector<ListedEntry>> listed = listFolder(folder, false);
    if (!listed)
        return {};

    // Every sub-folder is measured in one walk that uses every core.
    FilePaths subFolders;
    for (const ListedEntry& entry : *listed)
        if (S_ISDIR(entry.st.st_mode))
            subFolders.append(entry.path);
    const std::vector<qint64> subFolderSizes = folderSizes(subFolders);

    QList<CleanupFile> files;
    size_t nextSubFolder = 0;
    for (const ListedEntry& entry : *listed) {
        // A link counts as its own length and is offered as the link, never its target.
        const qint64 size = S_ISDIR(entry.st.st_mode) ? subFolderSizes[nextSubFolder++] : qint64(entry.st.st_size);
        if (size < 1)
            continue; // empty files and folders are never offered
        CleanupFile file;
        file.name = displayPath(entry.name);
        file.url = entry.path;
        file.sizeInBytes = size;
        file.isSelected = autoSelect;
        files.append(std::move(file));
    }
    std::stable_sort(files.begin(), files.end(),
                     [](const CleanupFile& a, const CleanupFile& b) { return a.sizeInBytes > b.sizeInBytes; });
    return files;
}

} // namespace orvane
