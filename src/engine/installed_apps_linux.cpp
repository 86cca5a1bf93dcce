// Linux applications: AppImage files (by their magic bytes) and Flatpak apps, each with the
// folders and desktop entries it provably left.

#include "flatpak.h"
#include "installed_apps_p.h"
#include "linux_app_leftovers.h"
#include "paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <QHash>

#include <algorithm>
#include <cstring>

namespace orvane::apps {

namespace {

// An AppImage is an ELF file marked "AI" and its format type (1 or 2) at offset 8, whatever its name.
bool isAppImage(int dirFd, const char* name)
{
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    char head[11];
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::pread(fd, head, sizeof head, 0) == sizeof head
                    && std::memcmp(head, "\x7f" "ELF", 4) == 0 && head[8] == 'A' && head[9] == 'I'
                    && (head[10] == 1 || head[10] == 2);
    ::close(fd);
    return ok;
}

// An AppImage's own identities, as far as they can be proven without running or mounting it:
// the desktop entries that run this very file were copied from the entry it carries, so their
// file id and StartupWMClass are its own. Never its display name (any entry can say
// Name=google-chrome) nor its file name (the user's to choose).
QList<QByteArray> appImageIdentities(const QList<const DesktopEntryFile*>& entries)
{
    QList<QByteArray> identities;
    for (const DesktopEntryFile* file : entries) {
        for (const QByteArray& identity :
             {LinuxLeftovers::entryFileId(file->path), file->entry.value("StartupWMClass").trimmed().toUtf8()})
            if (isSafeComponent(identity)
                && std::none_of(identities.cbegin(), identities.cend(),
                                [&](const QByteArray& known) { return folded(known) == folded(identity); }))
                identities.append(identity); // once, ignoring case: folders are matched so
    }
    return identities;
}

QList<CleanupFile> scanAppImages(bool autoSelect, const AppLocations& at, const LinuxLeftovers& leftovers,
                                 const QStringList& locales, ScanProgress* progress)
{
    struct Found {
        ListedEntry file;
        QList<const DesktopEntryFile*> entries;
        QList<QByteArray> identities;
    };
    QList<Found> found;
    for (const FilePath& root : at.appImageRoots) {
        const auto listed = listFolder(root, true);
        if (!listed)
            continue;
        const int dirFd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dirFd < 0)
            continue;
        for (const ListedEntry& file : *listed) {
            // A link is never followed, wherever it points; small files are not looked into.
            if (!S_ISREG(file.st.st_mode) || file.st.st_size < kMinBundleSize || !isAppImage(dirFd, file.name.constData()))
                continue;
            if (cancelled(progress))
                break;
            const QList<const DesktopEntryFile*> entries = leftovers.entriesLaunching(file.path);
            found.append({file, entries, appImageIdentities(entries)});
        }
        ::close(dirFd);
    }

    // An identity two AppImages carry (two versions of one program) belongs to neither alone.
    QHash<QString, int> carriers;
    for (const Found& app : std::as_const(found))
        for (const QByteArray& identity : app.identities)
            ++carriers[folded(identity)];

    QList<CleanupFile> apps;
    for (const Found& app : std::as_const(found)) {
        QByteArray stem = app.file.name;
        if (folded(stem).endsWith(u".appimage"))
            stem.chop(9);
        QString name;
        if (!app.entries.isEmpty())
            name = app.entries.first()->entry.name(locales).trimmed();
        if (name.isEmpty())
            name = displayPath(stem);
        QList<QByteArray> proven;
        for (const QByteArray& identity : app.identities)
            if (carriers.value(folded(identity)) == 1 && !leftovers.claimedElsewhere(identity, app.entries))
                proven.append(identity);
        FilePaths leftoverPaths = leftovers.named(proven, true);
        for (const DesktopEntryFile* entry : app.entries)
            leftoverPaths.append(entry->path);
        apps.append(
            appEntry(name, app.file.path, app.file.st.st_size, autoSelect, existingOnce(leftoverPaths), progress));
    }
    return apps;
}

QList<CleanupFile> scanFlatpaks(bool autoSelect, const AppLocations& at, const LinuxLeftovers& leftovers,
                                const QStringList& locales, const QString& runtimesName, ScanProgress* progress)
{
    QList<CleanupFile> apps;
    // Without flatpak there is nothing that could uninstall them.
    if (!flatpakAvailable())
        return apps;
    // The user's apps, then the system-wide ones (flatpak removes those once polkit approves).
    QList<QPair<ListedEntry, bool>> found;
    QHash<QByteArray, int> installations;
    const FilePath systemApps = joinPath(flatpakSystemDir(), QByteArray("app"));
    for (const FilePath& root : {at.flatpakApps, systemApps}) {
        if (root.isEmpty())
            continue;
        const auto listed = listFolder(root, true);
        for (const ListedEntry& folder : listed.value_or(std::vector<ListedEntry>{}))
            if (S_ISDIR(folder.st.st_mode) && isFlatpakAppId(folder.name)) {
                found.append({folder, root == systemApps});
                ++installations[folder.name];
            }
    }
    for (const auto& [folder, system] : std::as_const(found)) {
        const QByteArray& id = folder.name;
        if (cancelled(progress))
            return {};
        const qint64 ownSize = folderSizes({folder.path}, progress).front();
        if (ownSize < kMinBundleSize)
            continue;
        QString name;
        const FilePath exported =
            resolveInside(folder.path, "current/active/export/share/applications/" + id + ".desktop");
        if (const auto entry = exported.isEmpty() ? std::nullopt : readDesktopEntry(exported))
            name = entry->name(locales).trimmed();
        if (name.isEmpty())
            name = QString::fromUtf8(id);
        // Only what is named by the id: a folder named after the app's display name may belong
        // to the same program installed another way, which stays. An id installed both for the
        // user and system-wide leaves data that belongs to neither alone.
        FilePaths leftoverPaths;
        if (installations.value(id) == 1) {
            if (!at.sandboxData.isEmpty()) // empty when ~/.var/app leads out of the home folder
                leftoverPaths.append(joinPath(at.sandboxData, id));
            leftoverPaths += leftovers.named({id}, false);
            leftoverPaths += leftovers.entriesOfFlatpak(id);
        }
        // A system-wide app asks for approval: never chosen for the user.
        CleanupFile app = appEntry(name, folder.path, ownSize, autoSelect && !system, existingOnce(leftoverPaths), progress);
        app.packageId = QString::fromUtf8(id);
        apps.append(std::move(app));
    }

    // The user's runtimes no app uses, removed together as flatpak removes them. Another
    // installation named by FLATPAK_USER_DIR would be the one flatpak cleans: none then.
    const FilePath installation = at.flatpakApps.isEmpty() ? FilePath() : parentPath(at.flatpakApps);
    const QByteArray userDir = qgetenv("FLATPAK_USER_DIR");
    if (!installation.isEmpty() && (userDir.isEmpty() || userDir == installation)) {
        const FilePaths unused = unusedFlatpakRuntimes(installation);
        qint64 size = 0;
        for (const qint64 runtimeSize : unused.isEmpty() ? std::vector<qint64>{} : folderSizes(unused, progress))
            size += runtimeSize;
        if (size > 0) {
            CleanupFile runtimes = appEntry(runtimesName,
                                            joinPath(installation, QByteArray("runtime")), size, autoSelect, {}, progress);
            runtimes.packageId = unusedRuntimesPackage();
            apps.append(std::move(runtimes));
        }
    }
    return apps;
}

} // namespace

QList<CleanupFile> scanLinuxApps(bool autoSelect, const AppLocations& at, const BaseDirs& dirs,
                                 const QStringList& locales, const QString& runtimesName, ScanProgress* progress)
{
    const LinuxLeftovers leftovers(at, dirs);
    QList<CleanupFile> apps = scanAppImages(autoSelect, at, leftovers, locales, progress);
    apps += scanFlatpaks(autoSelect, at, leftovers, locales, runtimesName, progress);
    if (cancelled(progress))
        return {};
    sortLargestFirst(apps);
    return apps;
}

} // namespace orvane::apps
