#include "desktop_entry.h"
#include "engine.h"
#include "file_head.h"
#include "flatpak.h"
#include "locations.h"
#include "localization_manager.h"
#include "paths.h"
#include "plist_reader.h"
#include "walker.h"

#include <fcntl.h>
#include <unistd.h>

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace orvane {

namespace {

constexpr qint64 kMinBundleSize = 1024 * 1024;

// CFBundleIdentifier of Contents/Info.plist, else of Info.plist at the bundle's root.
std::optional<QString> bundleIdentifier(const FilePath& bundle)
{
    return bundleInfoValue(bundle, "CFBundleIdentifier");
}

// A name that can stand as one path component below a leftover folder. An empty name, "." or
// "..", or one holding "/", would name the folder itself, its parent, or a place outside it:
// such a value names nothing.
bool isSafeComponent(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

// The first location of each path that exists (following a link, as a file manager's
// existence test does; the link itself is what gets measured and removed), each path once.
FilePaths existingOnce(const FilePaths& candidates)
{
    FilePaths result;
    QSet<QByteArray> seen;
    for (const FilePath& candidate : candidates) {
        struct stat st;
        if (::stat(candidate.constData(), &st) != 0 || seen.contains(candidate))
            continue;
        seen.insert(candidate);
        result.append(candidate);
    }
    return result;
}

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

// Scan-time size of each location, by the one size rule; 0 for one that cannot be read.
QList<qint64> sizesOf(const FilePaths& locations, ScanProgress* progress)
{
    QList<qint64> sizes(locations.size(), 0);
    FilePaths folders;
    QList<qsizetype> folderIndex;
    for (qsizetype i = 0; i < locations.size(); ++i) {
        struct stat st;
        if (::lstat(locations[i].constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            folders.append(locations[i]);
            folderIndex.append(i);
        } else {
            sizes[i] = st.st_size;
        }
    }
    const std::vector<qint64> folderTotals = folderSizes(folders, progress);
    for (qsizetype j = 0; j < folderIndex.size(); ++j)
        sizes[folderIndex[j]] = folderTotals[size_t(j)];
    return sizes;
}

CleanupFile appEntry(const QString& name, const FilePath& url, qint64 ownSize, bool autoSelect, FilePaths leftovers,
                     ScanProgress* progress)
{
    CleanupFile app;
    app.name = name;
    app.url = url;
    app.isSelected = autoSelect;
    app.extraURLs = std::move(leftovers);
    app.extraSizes = sizesOf(app.extraURLs, progress);
    app.sizeInBytes = ownSize;
    for (qint64 size : app.extraSizes)
        app.sizeInBytes += size;
    return app;
}

void sortLargestFirst(QList<CleanupFile>& apps)
{
    std::stable_sort(apps.begin(), apps.end(),
                     [](const CleanupFile& a, const CleanupFile& b) { return a.sizeInBytes > b.sizeInBytes; });
}

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
            if (const auto identifier = bundleIdentifier(entry.path))
                id = identifier->toUtf8();
            apps.append(appEntry(displayPath(name), entry.path, bundleSize, autoSelect,
                                 bundleLeftovers(library, id, name), progress));
        }
    }
    sortLargestFirst(apps);
    return apps;
}

// ---- Linux: AppImage files and per-user Flatpak apps ----

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

// Names of what lies directly in the configuration, data, cache and state folders on behalf of
// the desktop, of every program or of Orvane itself: never one application's leftover, whatever
// that application is called. Compared case-folded.
bool isSharedName(const QString& folded)
{
    static const QSet<QString> shared{
        // the desktop's own folders and files
        "applications", "autostart", "systemd", "environment.d", "user-dirs.dirs", "user-dirs.locale",
        "mimeapps.list", "menus", "desktop-directories", "icons", "mime", "fonts", "fontconfig", "themes",
        "sounds", "trash", "recently-used.xbel", "recentdocuments", "xorg", "keyrings", "dconf", "gvfs-metadata",
        "thumbnails", "gtk-2.0", "gtk-3.0", "gtk-4.0", "pulse", "pipewire", "wireplumber", "session", "sessions",
        // package formats and layout folders
        "flatpak", "appimagekit", "bin", "lib", "share", "state", "cache", "config", "data", "applications-merged",
        // Orvane's own settings and cache
        "orvane",
    };
    return shared.contains(folded);
}

QString folded(const QByteArray& name)
{
    return QString::fromUtf8(name).toCaseFolded();
}

// What the scan knows of the places Linux applications leave things in, read once per scan.
class LinuxLeftovers
{
public:
    LinuxLeftovers(const AppLocations& at, const BaseDirs& dirs)
        : m_entries(readDesktopEntries(at.desktopEntries))
    {
        for (const FilePath& root : at.leftoverRoots)
            m_roots.append({root, listFolder(root, true).value_or(std::vector<ListedEntry>{})});
        // Locations the scan looks in are never a leftover, nor is a folder holding one.
        m_protected = {dirs.home, dirs.config, dirs.data, dirs.cache, dirs.state, at.flatpakApps, at.sandboxData,
                       at.desktopEntries};
        m_protected += at.appImageRoots;
        m_protected += at.leftoverRoots; // the base directories as resolved
        // Entries installed for everyone (XDG_DATA_DIRS, by default /usr/local/share and
        // /usr/share) and the ones Flatpak exports.
        QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
        if (dataDirs.isEmpty())
            dataDirs = "/usr/local/share/:/usr/share/";
        for (const QByteArray& dir : dataDirs.split(':'))
            if (dir.startsWith('/'))
                m_otherEntryFolders.append(joinPath(dir, QByteArray("applications")));
        m_otherEntryFolders.append(joinPath(dirs.data, QByteArray("flatpak/exports/share/applications")));
    }

    // A desktop file's id: its name without ".desktop", and without the "appimagekit_<md5>-"
    // prefix that appimaged and AppImageLauncher give the copy of an AppImage's own entry.
    static QByteArray entryFileId(const FilePath& path)
    {
        QByteArray id = lastComponent(path);
        if (id.endsWith(".desktop"))
            id.chop(8);
        static const QRegularExpression integrated(QStringLiteral("^appimagekit_[0-9a-f]{32}-"));
        constexpr qsizetype prefix = 45;
        if (id.size() > prefix && integrated.match(QString::fromLatin1(id.left(prefix))).hasMatch())
            id = id.mid(prefix);
        return id;
    }

    // Items of the leftover folders whose name is one of `names`: ignoring case when `anyCase`
    // (an AppImage's folders are named after it however its file is written), exactly otherwise.
    FilePaths named(const QList<QByteArray>& names, bool anyCase) const
    {
        QSet<QString> wanted;
        for (const QByteArray& name : names)
            if (isSafeComponent(name) && !isSharedName(folded(name)))
                wanted.insert(anyCase ? folded(name) : QString::fromUtf8(name));
        FilePaths found;
        for (const auto& [root, listed] : m_roots)
            for (const ListedEntry& entry : listed)
                if (wanted.contains(anyCase ? folded(entry.name) : QString::fromUtf8(entry.name))
                    && !isSharedName(folded(entry.name)) && !holdsProtected(entry.path))
                    found.append(entry.path);
        return found;
    }

    // Whether a desktop entry other than `own` names itself `identity` (file id or StartupWMClass,
    // ignoring case), or the system or Flatpak has an entry of that id: then folders of that name
    // may belong to another program.
    bool claimedElsewhere(const QByteArray& identity, const QList<const DesktopEntryFile*>& own) const
    {
        const QString wanted = folded(identity);
        for (const DesktopEntryFile& file : m_entries) {
            if (own.contains(&file))
                continue;
            if (folded(entryFileId(file.path)) == wanted
                || folded(file.entry.value("StartupWMClass").trimmed().toUtf8()) == wanted)
                return true;
        }
        for (const FilePath& folder : m_otherEntryFolders) {
            struct stat st;
            if (::stat(joinPath(folder, identity + ".desktop").constData(), &st) == 0)
                return true;
        }
        return false;
    }

    // The desktop entries that start `program`, in listing order.
    QList<const DesktopEntryFile*> entriesLaunching(const FilePath& program) const
    {
        QList<const DesktopEntryFile*> found;
        for (const DesktopEntryFile& file : m_entries)
            if (launches(file.entry, program))
                found.append(&file);
        return found;
    }

    // The user's own entries for a Flatpak app: "<id>.desktop", and copies of what it exported
    // (flatpak marks those with X-Flatpak=<id>).
    FilePaths entriesOfFlatpak(const QByteArray& id) const
    {
        FilePaths found;
        for (const DesktopEntryFile& file : m_entries)
            if (lastComponent(file.path) == id + ".desktop" || file.entry.value("X-Flatpak") == QString::fromUtf8(id))
                found.append(file.path);
        return found;
    }

private:
    bool holdsProtected(const FilePath& candidate) const
    {
        for (const FilePath& location : m_protected)
            if (isWithin(location, candidate))
                return true;
        return false;
    }

    struct Root {
        FilePath path;
        std::vector<ListedEntry> listed;
    };
    QList<DesktopEntryFile> m_entries;
    QList<Root> m_roots;
    FilePaths m_protected;
    FilePaths m_otherEntryFolders;
};

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
                                const QStringList& locales, ScanProgress* progress)
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
            CleanupFile runtimes = appEntry(t(QStringLiteral("apps.unusedRuntimes")),
                                            joinPath(installation, QByteArray("runtime")), size, autoSelect, {}, progress);
            runtimes.packageId = unusedRuntimesPackage();
            apps.append(std::move(runtimes));
        }
    }
    return apps;
}

QStringList currentLocales()
{
    return desktopLocales(QLocale().name().section(u'_', 0, 0));
}

} // namespace

FilePaths findLeftovers(const std::optional<QString>& bundleID, const QString& appName)
{
    std::optional<QByteArray> id;
    if (bundleID)
        id = bundleID->toUtf8();
    return bundleLeftovers(joinPath(homeDir(), QByteArray("Library")), id, appName.toUtf8());
}

QList<CleanupFile> scanInstalledApps(bool autoSelect, ScanProgress* progress)
{
    return scanInstalledApps(autoSelect, runningPlatform(), baseDirs(), currentLocales(), progress);
}

QList<CleanupFile> scanInstalledApps(bool autoSelect, const FilePaths& roots, ScanProgress* progress)
{
    return scanBundles(autoSelect, roots, joinPath(homeDir(), QByteArray("Library")), progress);
}

QList<CleanupFile> scanInstalledApps(bool autoSelect, Platform platform, const BaseDirs& dirs, const QStringList& locales,
                                     ScanProgress* progress)
{
    const AppLocations at = appLocations(platform, dirs);
    if (platform == Platform::macOS)
        return scanBundles(autoSelect, at.bundleRoots, at.library, progress);
    const LinuxLeftovers leftovers(at, dirs);
    QList<CleanupFile> apps = scanAppImages(autoSelect, at, leftovers, locales, progress);
    apps += scanFlatpaks(autoSelect, at, leftovers, locales, progress);
    if (cancelled(progress))
        return {};
    sortLargestFirst(apps);
    return apps;
}

} // namespace orvane
