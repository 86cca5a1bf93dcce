#include "engine.h"
#include "paths.h"
#include "walker.h"

#include <algorithm>

namespace orvane {

QList<CleanupFile> scanFolder(const FilePath& folder, bool autoSelect, ScanProgress* progress)
{
    // Hidden items are offered too; a folder that cannot be listed offers nothing.
    const std::optional<std::vector<MeasuredEntry>> listed = measureFolder(folder, false, progress);
    if (!listed || cancelled(progress))
        return {};

    QList<CleanupFile> files;
    for (const auto& [entry, size] : *listed) {
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
