#include "engine.h"

#include <algorithm>

namespace orvane {

namespace {

template<class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template<class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

QList<CleanupCategory> scanPlan(const CleanupPlan& plan, ScanProgress* progress)
{
    QList<CleanupCategory> categories;
    // A source that finds nothing gets no category: an empty group is never shown.
    const auto addCategory = [&categories](const CleanupSource& source, QList<CleanupFile> files) {
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
                           // The finder names and preselects its groups itself.
                           categories.append(findDuplicates(dup.roots, dup.minSize, source.icon, progress));
                       },
                       [&](const InstalledAppsSource&) {
                           addCategory(source, scanInstalledApps(source.autoSelect, progress));
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
