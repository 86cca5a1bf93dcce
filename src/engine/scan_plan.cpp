#include "engine.h"
#include "keep_list.h"

#include <algorithm>

namespace orvane {

namespace {

template<class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template<class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// Leaves out what the user keeps: an item at, inside or holding a kept path, and such a leftover
// of an item (its share of the size goes with it).
void leaveOutKept(QList<CleanupFile>& files, const FilePaths& kept)
{
    if (kept.isEmpty())
        return;
    files.removeIf([&kept](const CleanupFile& file) { return touchesKept(file.url, kept); });
    for (CleanupFile& file : files) {
        for (qsizetype i = file.extraURLs.size() - 1; i >= 0; --i) {
            if (!touchesKept(file.extraURLs[i], kept))
                continue;
            file.extraURLs.removeAt(i);
            if (i < file.extraSizes.size())
                file.sizeInBytes -= file.extraSizes.takeAt(i);
        }
    }
}

} // namespace

QList<CleanupCategory> scanPlan(const CleanupPlan& plan, ScanProgress* progress)
{
    QList<CleanupCategory> categories;
    // A source that finds nothing gets no category: an empty group is never shown.
    const auto addCategory = [&categories, &plan](const CleanupSource& source, QList<CleanupFile> files) {
        leaveOutKept(files, plan.kept);
        if (files.isEmpty())
            return;
        CleanupCategory category;
        category.name = source.name;
        category.icon = source.icon;
        category.files = std::move(files);
        category.isExpanded = false;
        categories.append(std::move(category));
    };

    for (qsizetype index = 0; index < plan.sources.size(); ++index) {
        if (cancelled(progress))
            return {};
        if (progress)
            progress->source.store(int(index), std::memory_order_relaxed);
        const CleanupSource& source = plan.sources[index];
        std::visit(Overloaded{
                       [&](const FolderSource& folder) {
                           addCategory(source, scanFolderSource(folder, source.autoSelect, progress));
                       },
                       [&](const BigFilesSource& big) {
                           addCategory(source, findBigFiles(big.root, big.minSize, source.autoSelect, progress));
                       },
                       [&](const DuplicatesSource& dup) {
                           // The finder names and preselects its groups itself. A group left with
                           // one copy once kept copies are left out is no longer offered.
                           for (CleanupCategory& group : findDuplicates(dup.roots, dup.minSize, source.icon, progress)) {
                               leaveOutKept(group.files, plan.kept);
                               if (group.files.size() < 2)
                                   continue;
                               if (std::all_of(group.files.cbegin(), group.files.cend(),
                                               [](const CleanupFile& f) { return f.isSelected; }))
                                   group.files.first().isSelected = false; // one copy stays
                               categories.append(std::move(group));
                           }
                       },
                       [&](const InstalledAppsSource& apps) {
                           addCategory(source, scanInstalledApps(apps, source.autoSelect, progress));
                       },
                   },
                   source.kind);
    }
    // A cancelled scan leaves no partial result behind.
    if (cancelled(progress))
        return {};

    // Heaviest first, counting unselected files too; ties keep source order.
    std::stable_sort(categories.begin(), categories.end(), [](const CleanupCategory& a, const CleanupCategory& b) {
        return a.totalSize() > b.totalSize();
    });
    return categories;
}

} // namespace orvane
