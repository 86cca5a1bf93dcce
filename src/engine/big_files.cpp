#include "engine.h"
#include "paths.h"
#include "walker.h"

#include <algorithm>

namespace orvane {

QList<CleanupFile> findBigFiles(const FilePath& root, qint64 minSize, bool autoSelect, ScanProgress* progress)
{
    // Hidden items and everything named "Library" are neither offered nor entered.
    WalkOptions options;
    options.skipHidden = true;
    options.pruneLibrary = true;
    options.progress = progress;
    std::vector<FoundFile> found = collectFiles(root, minSize, options);
    if (cancelled(progress))
        return {};

    // Largest first; equal sizes keep the walk's order.
    std::stable_sort(found.begin(), found.end(),
                     [](const FoundFile& a, const FoundFile& b) { return a.st.st_size > b.st.st_size; });
    QList<CleanupFile> files;
    files.reserve(qsizetype(found.size()));
    for (FoundFile& entry : found) {
        CleanupFile file;
        file.name = displayPath(lastComponent(entry.path));
        file.url = std::move(entry.path);
        file.sizeInBytes = entry.st.st_size;
        file.isSelected = autoSelect;
        files.append(std::move(file));
    }
    return files;
}

} // namespace orvane
