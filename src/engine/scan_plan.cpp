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

QList<CleanupCategory> scanPlan(const CleanupPlan& plan)
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

    for (const CleanupSource& source : plan.sources) {
        std::visit(Overloaded{
                       [&](const FolderSource& folder) {
                           addCategory(source, scanFolderSource(folder, source.autoSelect));
                       },
                       [&](const BigFilesSource& big) {
                           addCategory(source, findBigFiles(big.root, big.minSize, source.autoSelect));
                       },
                       [&](const DuplicatesSource& dup) {
                           // The finder names and preselects its groups itself.
                           categories.append(findDuplicates(dup.roots, dup.minSize, source.icon));
                       },
                       [&](const InstalledAppsSource&) {
                           addCategory(source, scanInstalledApps(source.autoSelect));
                       },
                   },
                   source.kind);
    }

    // Heaviest first, counting unselected files too; ties keep source order.
    std::stable_sort(categories.begin(), categories.end(), [](const CleanupCategory& a, const CleanupCategory& b) {
        return a.totalSize() > b.totalSize();
    });
    return categories;
}

} // namespace orvane
