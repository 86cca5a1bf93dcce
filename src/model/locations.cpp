#include "locations.h"
#include "mount_table.h"

#include "file_head.h"
#include "paths.h"


#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>


namespace orvane {

namespace {

using Kind = SourceLocation::Kind;

// A base directory as the file system has it: links in it resolved when it exists, so that one
// reached through a link out of the home folder is seen to lie outside it.
FilePath resolved(const FilePath& path)
{
    return realPath(path).value_or(path);
}

// A home of "/" would hold everything.
bool strictlyInsideHome(const FilePath& path, const FilePath& home)
{
    return home != "/" && isWithin(path, home, Within::strictly);
}

// user-dirs.dirs is a few lines; anything bigger is not one.
constexpr qsizetype kMaxUserDirsSize = 64 * 1024;

// A user folder (Downloads, Documents…) from $XDG_CONFIG_HOME/user-dirs.dirs, whose lines read
// XDG_DOWNLOAD_DIR="$HOME/Descargas"; the English default when the file does not name it.
FilePath userDir(const QByteArray& userDirs, const FilePath& home, const char* key, const char* fallback)
{
    const QByteArray prefix = QByteArray("XDG_") + key + "_DIR=";
    for (QByteArray line : userDirs.split('\n')) {
        line = line.trimmed();
        if (!line.startsWith(prefix))
            continue;
        QByteArray value = line.mid(prefix.size());
        if (value.size() < 2 || !value.startsWith('"') || !value.endsWith('"'))
            break;
        value = value.mid(1, value.size() - 2);
        if (value == "$HOME" || value == "$HOME/")
            return home; // the folder is switched off: home itself, which is never offered
        if (value.startsWith("$HOME/"))
            return joinPath(home, value.mid(6));
        if (value.startsWith('/'))
            return value;
        break;
    }
    return joinPath(home, QByteArray(fallback));
}

SourceLocation at(Kind kind, FilePath path)
{
    return {kind, std::move(path)};
}

SourceLocation folderAt(FilePath path)
{
    return {Kind::folder, std::move(path)};
}

Locations macOSTable(const FilePath& home)
{
    const auto inHome = [&home](const char* relative) { return joinPath(home, QByteArray(relative)); };
    const auto inLibrary = [&home](const char* relative) {
        return folderAt(joinPath(home, QByteArray("Library/") + relative));
    };
    Locations l;
    l.derivedData = {inLibrary("Developer/Xcode/DerivedData")};
    l.caches = {inLibrary("Caches")};
    l.downloads = {folderAt(inHome("Downloads"))};
    l.logs = {inLibrary("Logs")};
    l.savedAppState = {inLibrary("Saved Application State")};
    l.trash = {folderAt(inHome(".Trash"))};
    l.recentFiles = {inLibrary("Application Support/com.apple.sharedfilelist")};
    l.safariTraces = {inLibrary("Caches/com.apple.Safari")};
    l.chromeTraces = {inLibrary("Caches/Google/Chrome")};
    l.firefoxTraces = {inLibrary("Caches/Firefox")};
    l.edgeTraces = {inLibrary("Caches/Microsoft Edge")};
    l.neverOffered = {inHome("Library/Caches/Orvane")};
    l.duplicateRoots = {inHome("Downloads"), inHome("Documents"), inHome("Desktop"), inHome("Pictures")};
    l.trashFolder = inHome(".Trash");
    return l;
}

// The user folders of user-dirs.dirs that can hold the user's own files, by key and default name.
constexpr std::pair<const char*, const char*> kUserFolders[] = {
    {"DESKTOP", "Desktop"},     {"DOWNLOAD", "Downloads"}, {"TEMPLATES", "Templates"}, {"PUBLICSHARE", "Public"},
    {"DOCUMENTS", "Documents"}, {"MUSIC", "Music"},        {"PICTURES", "Pictures"},   {"VIDEOS", "Videos"},
};

QByteArray readUserDirs(const FilePath& config)
{
    return readSmallFile(AT_FDCWD, joinPath(config, QByteArray("user-dirs.dirs")).constData(), kMaxUserDirsSize)
        .value_or(QByteArray());
}

bool isSkipped(const QList<SkippedBaseDir>& skipped, const char* variable)
{
    return std::any_of(skipped.cbegin(), skipped.cend(),
                       [variable](const SkippedBaseDir& s) { return s.variable == variable; });
}

Locations linuxTable(const FilePath& home, const BaseDirs& given)
{
    const FilePath cache = resolved(given.cache);
    const FilePath data = resolved(given.data);
    const FilePath config = resolved(given.config);
    const auto in = [](const FilePath& base, const char* relative) { return joinPath(base, QByteArray(relative)); };
    const QByteArray userDirs = readUserDirs(config);
    const auto user = [&](const char* key, const char* fallback) { return userDir(userDirs, home, key, fallback); };
    const QList<SkippedBaseDir> skipped = skippedBaseDirs(Platform::linux, given);
    const bool cacheOk = !isSkipped(skipped, "XDG_CACHE_HOME");
    const bool dataOk = !isSkipped(skipped, "XDG_DATA_HOME");
    const bool configOk = !isSkipped(skipped, "XDG_CONFIG_HOME");
    // What lies below a skipped base directory is not added at all.
    const auto fromCache = [&](const char* relative) {
        return cacheOk ? SourceLocations{folderAt(in(cache, relative))} : SourceLocations{};
    };

    Locations l;
    l.skipped = skipped;
    // What the developer tools download again on demand, one item per tool. Never ~/.m2: it
    // also holds the user's own installed artifacts.
    const auto tool = [](FilePath path, const char* label) {
        return SourceLocation{Kind::item, std::move(path), QString::fromUtf8(label)};
    };
    l.derivedData = {tool(in(home, ".npm/_cacache"), "npm"),
                     tool(in(home, ".cargo/registry/cache"), "Cargo (registry/cache)"),
                     tool(in(home, ".cargo/registry/src"), "Cargo (registry/src)"),
                     tool(in(home, ".gradle/caches"), "Gradle"),
                     tool(in(given.goModCache, "cache/download"), "Go (pkg/mod/cache/download)"),
                     tool(in(home, ".yarn/berry/cache"), "Yarn")};
    if (dataOk)
        l.derivedData.append(tool(in(data, "pnpm/store"), "pnpm"));
    l.safariTraces = fromCache("BraveSoftware/Brave-Browser") + fromCache("vivaldi") + fromCache("opera")
                     + SourceLocations{folderAt(in(home, "snap/brave/common/.cache/BraveSoftware/Brave-Browser")),
                                       folderAt(in(home, "snap/opera/common/.cache/opera")),
                                       folderAt(in(home, ".var/app/com.brave.Browser/cache/BraveSoftware/Brave-Browser")),
                                       folderAt(in(home, ".var/app/com.vivaldi.Vivaldi/cache/vivaldi")),
                                       folderAt(in(home, ".var/app/com.opera.Opera/cache/opera"))};

    if (cacheOk)
        l.caches = {folderAt(cache)};
    // Flatpak gives each app its own ~/.cache in ~/.var/app/<id>/cache; never through a link
    // that leads out of the home folder.
    if (const FilePath apps = in(home, ".var/app"); strictlyInsideHome(resolved(apps), home))
        l.caches.append(at(Kind::appCaches, apps));
    l.downloads = {folderAt(user("DOWNLOAD", "Downloads"))};
    // The session logs of X11 sessions (Xsession scripts, LightDM), of rootless Xorg and of SDDM.
    // Never whole state folders: those hold histories and application state, not logs.
    l.logs = {at(Kind::item, in(home, ".xsession-errors")), at(Kind::item, in(home, ".xsession-errors.old"))};
    if (dataOk)
        l.logs += SourceLocations{at(Kind::logFiles, in(data, "xorg")), at(Kind::logFiles, in(data, "sddm"))};
    // KDE keeps each application's saved session here; GNOME saves none.
    if (configOk)
        l.savedAppState = {folderAt(in(config, "session"))};
    if (dataOk) {
        l.trash = {at(Kind::trash, in(data, "Trash"))};
        l.recentFiles = {at(Kind::item, in(data, "recently-used.xbel")), folderAt(in(data, "RecentDocuments"))};
    }
    // Browsers write their caches below $XDG_CACHE_HOME; as a Snap below their common folder, as
    // a Flatpak below ~/.var/app/<id>/cache (Flatpak's own $XDG_CACHE_HOME).
    l.chromeTraces = fromCache("google-chrome") + fromCache("chromium")
                     + SourceLocations{folderAt(in(home, "snap/chromium/common/.cache/chromium")),
                                       folderAt(in(home, ".var/app/com.google.Chrome/cache/google-chrome")),
                                       folderAt(in(home, ".var/app/org.chromium.Chromium/cache/chromium"))};
    l.firefoxTraces = fromCache("mozilla/firefox")
                      + SourceLocations{folderAt(in(home, "snap/firefox/common/.cache/mozilla/firefox")),
                                        folderAt(in(home, ".var/app/org.mozilla.firefox/cache/mozilla/firefox"))};
    l.edgeTraces = fromCache("microsoft-edge")
                   + SourceLocations{folderAt(in(home, ".var/app/com.microsoft.Edge/cache/microsoft-edge"))};
    l.neverOffered = {in(cache, "Orvane"), in(config, "Orvane")};

    l.duplicateRoots = {user("DOWNLOAD", "Downloads"), user("DOCUMENTS", "Documents"), user("DESKTOP", "Desktop"),
                        user("PICTURES", "Pictures")};
    l.trashFolder = in(data, "Trash");
    return l;
}

// The real path when `path` exists, else its parents resolved: for folders that are listed,
// never offered themselves.
FilePath resolvedFully(const FilePath& path)
{
    return path.isEmpty() ? path : resolved(resolvedParents(path));
}

// A listed folder resolved, or empty when it then lies outside the home folder.
FilePath listedInsideHome(const FilePath& path, const FilePath& home)
{
    const FilePath real = resolvedFully(path);
    return strictlyInsideHome(real, home) ? real : FilePath();
}

// Resolves the links on each location's way, then leaves out locations outside the home folder
// and repeated ones.
void keepInsideHome(SourceLocations& locations, const FilePath& home)
{
    SourceLocations kept;
    for (SourceLocation location : std::as_const(locations)) {
        location.path = resolvedParents(location.path);
        const bool repeated = std::any_of(kept.cbegin(), kept.cend(),
                                          [&](const SourceLocation& k) { return k.path == location.path; });
        if (!repeated && strictlyInsideHome(location.path, home))
            kept.append(location);
    }
    locations = std::move(kept);
}

// The Trash folders of the volumes mounted at or inside the home and of the user's own mounted
// volumes (/media/$USER/*, /run/media/$USER/*): $topdir/.Trash-$uid and $topdir/.Trash/$uid.
SourceLocations volumeTrashes(const FilePath& home)
{
    FilePaths media;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_name && *user->pw_name)
        media = {QByteArray("/media/") + user->pw_name, QByteArray("/run/media/") + user->pw_name};
    const QByteArray uid = QByteArray::number(quint64(::getuid()));
    SourceLocations found;
    for (const MountEntry& mount : mountTable()) {
        if (mayNeverAnswer(mount))
            continue;
        const FilePath& top = mount.point;
        if (top != home && !strictlyInsideHome(top, home) && !media.contains(parentPath(top)))
            continue;
        for (const FilePath& trash : {joinPath(top, ".Trash-" + uid), joinPath(top, ".Trash/" + uid)})
            if (!std::any_of(found.cbegin(), found.cend(), [&](const SourceLocation& l) { return l.path == trash; }))
                found.append(at(Kind::trash, trash));
    }
    return found;
}

} // namespace

QList<UserFolder> userFolders(const BaseDirs& dirs)
{
    static const struct {
        const char* key;
        const char* fallback;
        const char* icon;
    } rows[] = {{"DESKTOP", "Desktop", "menubar.dock.rectangle"}, {"DOWNLOAD", "Downloads", "arrow.down.circle"},
                {"TEMPLATES", "Templates", "folder"},                {"PUBLICSHARE", "Public", "folder"},
                {"DOCUMENTS", "Documents", "doc"},                   {"MUSIC", "Music", "music.note"},
                {"PICTURES", "Pictures", "photo"},                   {"VIDEOS", "Videos", "film"}};
    const QByteArray userDirs = readUserDirs(resolved(dirs.config));
    QList<UserFolder> folders;
    for (const auto& row : rows) {
        const FilePath path = userDir(userDirs, dirs.home, row.key, row.fallback);
        const bool repeated = std::any_of(folders.cbegin(), folders.cend(), [&](const UserFolder& f) { return f.path == path; });
        if (!repeated && strictlyInsideHome(path, dirs.home))
            folders.append({path, row.icon});
    }
    return folders;
}

FilePath resolvedParents(const FilePath& path)
{
    if (!path.startsWith('/'))
        return path;
    FilePath trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith('/'))
        trimmed.chop(1);
    if (trimmed == "/")
        return trimmed;
    // The deepest parent that exists is resolved; the parts below it cannot be links.
    FilePath head = parentPath(trimmed);
    QByteArray below = lastComponent(trimmed);
    for (;;) {
        if (const std::optional<FilePath> real = realPath(head))
            return joinPath(*real, below);
        if (head == "/")
            return trimmed;
        below = lastComponent(head) + '/' + below;
        head = parentPath(head);
    }
}

QList<SkippedBaseDir> skippedBaseDirs(Platform platform, const BaseDirs& dirs)
{
    using Reason = SkippedBaseDir::Reason;
    QList<SkippedBaseDir> skipped;
    if (platform == Platform::macOS)
        return skipped;
    const FilePath& home = dirs.home;
    const QList<QPair<QByteArray, FilePath>> bases{{"XDG_CACHE_HOME", resolved(dirs.cache)},
                                                  {"XDG_DATA_HOME", resolved(dirs.data)},
                                                  {"XDG_CONFIG_HOME", resolved(dirs.config)},
                                                  {"XDG_STATE_HOME", resolved(dirs.state)}};
    const QByteArray userDirs = readUserDirs(bases[2].second);
    FilePaths userFolders;
    for (const auto& [key, fallback] : kUserFolders) {
        // A folder switched off (set to the home folder) or kept elsewhere holds nothing here.
        const FilePath folder = resolvedFully(userDir(userDirs, home, key, fallback));
        if (strictlyInsideHome(folder, home))
            userFolders.append(folder);
    }
    const FilePath trash = resolvedFully(joinPath(bases[1].second, QByteArray("Trash")));

    for (qsizetype i = 0; i < bases.size(); ++i) {
        const QByteArray& variable = bases[i].first;
        const FilePath& path = bases[i].second;
        const auto skip = [&](Reason reason, const FilePath& other) { skipped.append({variable, path, reason, other}); };
        if (path == home) {
            skip(Reason::isHome, {});
            continue;
        }
        if (!strictlyInsideHome(path, home))
            continue; // left out as a whole already
        bool found = false;
        for (qsizetype j = 0; j < bases.size() && !found; ++j) {
            const FilePath& other = bases[j].second;
            if (j == i || !strictlyInsideHome(other, home))
                continue;
            found = true;
            if (other == path)
                skip(Reason::sameAs, other);
            else if (isWithin(other, path))
                skip(Reason::holdsBaseDir, other);
            else if (isWithin(path, other))
                skip(Reason::insideBaseDir, other);
            else
                found = false;
        }
        for (qsizetype u = 0; u < userFolders.size() && !found; ++u) {
            found = true;
            if (isWithin(userFolders[u], path))
                skip(Reason::holdsUserFolder, userFolders[u]);
            else if (isWithin(path, userFolders[u]))
                skip(Reason::insideUserFolder, userFolders[u]);
            else
                found = false;
        }
        // The data folder holds its own Trash by design.
        if (!found && i != 1 && strictlyInsideHome(trash, home)) {
            if (isWithin(trash, path))
                skip(Reason::holdsTrash, trash);
            else if (isWithin(path, trash))
                skip(Reason::insideTrash, trash);
        }
    }
    return skipped;
}

Locations locationsFor(Platform platform, const BaseDirs& dirs)
{
    Locations l = platform == Platform::macOS ? macOSTable(dirs.home) : linuxTable(dirs.home, dirs);
    l.platform = platform;
    l.home = dirs.home;
    l.bigFilesRoot = dirs.home;
    for (SourceLocations* source : {&l.derivedData, &l.caches, &l.downloads, &l.logs, &l.savedAppState, &l.trash,
                                    &l.recentFiles, &l.safariTraces, &l.chromeTraces, &l.firefoxTraces, &l.edgeTraces})
        keepInsideHome(*source, l.home);
    for (FilePath& root : l.duplicateRoots)
        root = resolvedParents(root);
    l.duplicateRoots.removeIf([&l](const FilePath& root) { return !strictlyInsideHome(root, l.home); });
    if (platform == Platform::linux)
        l.trash += volumeTrashes(l.home);
    return l;
}

Locations currentLocations()
{
    return locationsFor(runningPlatform(), baseDirs());
}

AppLocations appLocations(Platform platform, const BaseDirs& dirs)
{
    AppLocations at;
    if (platform == Platform::macOS) {
        at.bundleRoots = {FilePath("/Applications"), joinPath(dirs.home, QByteArray("Applications"))};
        at.library = joinPath(dirs.home, QByteArray("Library"));
        return at;
    }
    // Every folder listed here is resolved once: what is found in it then has no link on its way,
    // and nothing outside the home folder is offered (removal refuses both).
    for (const char* root : {"Applications", ".local/bin"})
        if (const FilePath inside = listedInsideHome(joinPath(dirs.home, QByteArray(root)), dirs.home); !inside.isEmpty())
            at.appImageRoots.push_back(inside);
    at.flatpakApps = joinPath(dirs.data, QByteArray("flatpak/app"));
    at.sandboxData = listedInsideHome(joinPath(dirs.home, QByteArray(".var/app")), dirs.home);
    const QList<SkippedBaseDir> skipped = skippedBaseDirs(platform, dirs);
    const QList<QPair<const char*, FilePath>> roots{
        {"XDG_CONFIG_HOME", dirs.config}, {"XDG_DATA_HOME", dirs.data}, {"XDG_CACHE_HOME", dirs.cache}, {"XDG_STATE_HOME", dirs.state}};
    for (const auto& [variable, root] : roots)
        if (const FilePath inside = listedInsideHome(root, dirs.home); !inside.isEmpty() && !isSkipped(skipped, variable))
            at.leftoverRoots.push_back(inside);
    at.desktopEntries = listedInsideHome(joinPath(resolved(dirs.data), QByteArray("applications")), dirs.home);
    return at;
}

StartupFolders startupFolders(Platform platform, const BaseDirs& dirs)
{
    if (platform == Platform::macOS)
        return {listedInsideHome(joinPath(dirs.home, QByteArray("Library/LaunchAgents")), dirs.home), {}, {}};
    const FilePath config = resolved(dirs.config);
    return {{},
            listedInsideHome(joinPath(config, QByteArray("autostart")), dirs.home),
            listedInsideHome(joinPath(config, QByteArray("systemd/user")), dirs.home)};
}

} // namespace orvane
