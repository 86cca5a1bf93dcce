// macOS applications: the "*.app" bundles of the Applications folders, each with what it left
// below ~/Library under its bundle identifier and its name.

#include "installed_apps_p.h"
#include "paths.h"
#include "plist_reader.h"
#include "walker.h"

namespace orvane::apps {

namespace {

FilePaths bundleLeftovers(const FilePath& library, const std::optional<QByteArray>& bundleID, const QByteArray& appName)
{
    FilePaths candidates;
    if (bundleID && isSafeComponent(*bundleID)) {
        const QByteArray& id = *bundleID;
        for (const QByteArray& relative : {
                 QByteArray("Application Support/") + id,
                 QByteArray("Caches/") + id,
                 QByteArray("Preferences/") + id + ".plist",
                 QByteArray("Containers/") + id,
                 QByteArray("Saved Application State/") + id + ".savedState",
                 QByteArray("HTTPStorages/") + id,
                 QByteArray("WebKit/") + id,
                 QByteArray("Application Scripts/") + id,
                 QByteArray("Logs/") + id,
             })
            candidates.append(joinPath(library, relative));
        if (const auto groups = listFolder(joinPath(library, QByteArray("Group Containers")), false)) {
            for (const ListedEntry& entry : *groups)
                if (entry.name.contains(id))
                    candidates.append(entry.path);
        }
    }
    if (isSafeComponent(appName)) {
        for (const char* folder : {"Application Support/", "Caches/", "Logs/"})
            candidates.append(joinPath(library, QByteArray(folder) + appName));
    }
    return existingOnce(candidates);
}

} // namespace

QList<CleanupFile> scanBundles(bool autoSelect, const FilePaths& roots, const FilePath& library, ScanProgress* progress)
{
    QList<CleanupFile> apps;
    for (const FilePath& root : roots) {
        const auto listed = listFolder(root, true);
        if (!listed)
            continue; // a missing Applications folder contributes nothing
        for (const ListedEntry& entry : *listed) {
            // Only "*.app" directly inside the root, extension case-sensitive; a link named so
            // is not a bundle this scan may walk into.
            if (!entry.name.endsWith(".app") || entry.name.size() <= 4 || !S_ISDIR(entry.st.st_mode))
                continue;
            if (cancelled(progress))
                return {};
            const qint64 bundleSize = folderSizes({entry.path}, progress).front();
            if (bundleSize < kMinBundleSize)
                continue;
            const QByteArray name = entry.name.chopped(4);
            std::optional<QByteArray> id;
            if (const auto identifier = bundleInfoValue(entry.path, "CFBundleIdentifier"))
                id = identifier->toUtf8();
            apps.append(appEntry(displayPath(name), entry.path, bundleSize, autoSelect,
                                 bundleLeftovers(library, id, name), progress));
        }
    }
    sortLargestFirst(apps);
    return apps;
}

} // namespace orvane::apps
