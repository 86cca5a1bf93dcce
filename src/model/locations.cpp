#include "locations.h"

#include "file_head.h"
#include "paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace orvane {

namespace {

using Kind = SourceLocation::Kind;

// A base directory as the file system has it: links in it resolved when it exists, so that one
// reached through a link out of the home folder is seen to lie outside it.
FilePath resolved(const FilePath& path)
{
    if (char* real = ::realpath(path.constData(), nullptr)) {
        FilePath result(real);
        std::free(real);
        return result;
    }
    return path;
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

Locations linuxTable(const FilePath& home, const BaseDirs& given)
{
    const FilePath cache = resolved(given.cache);
    const FilePath data = resolved(given.data);
    const FilePath config = resolved(given.config);
    const auto in = [](const FilePath& base, const char* relative) { return joinPath(base, QByteArray(relative)); };
    const QByteArray userDirs = readSmallFile(AT_FDCWD, in(config, "user-dirs.dirs").constData(), kMaxUserDirsSize).value_or(QByteArray());
    const auto user = [&](const char* key, const char* fallback) { return userDir(userDirs, home, key, fallback); };

    Locations l;
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
                     tool(in(home, ".yarn/berry/cache"), "Yarn"),
                     tool(in(data, "pnpm/store"), "pnpm")};
    l.safariTraces = {folderAt(in(cache, "BraveSoftware/Brave-Browser")), folderAt(in(cache, "vivaldi")),
                      folderAt(in(cache, "opera")),
                      folderAt(in(home, "snap/brave/common/.cache/BraveSoftware/Brave-Browser")),
                      folderAt(in(home, "snap/opera/common/.cache/opera")),
                      folderAt(in(home, ".var/app/com.brave.Browser/cache/BraveSoftware/Brave-Browser")),
                      folderAt(in(home, ".var/app/com.vivaldi.Vivaldi/cache/vivaldi")),
                      folderAt(in(home, ".var/app/com.opera.Opera/cache/opera"))};

    // Flatpak gives each app its own ~/.cache in ~/.var/app/<id>/cache; never through a link
    // that leads out of the home folder.
    l.caches = {folderAt(cache)};
    if (const FilePath apps = in(home, ".var/app"); strictlyInsideHome(resolved(apps), home))
        l.caches.append(at(Kind::appCaches, apps));
    l.downloads = {folderAt(user("DOWNLOAD", "Downloads"))};
    // The session logs of X11 sessions (Xsession scripts, LightDM), of rootless Xorg and of SDDM.
    // Never whole state folders: those hold histories and application state, not logs.
    l.logs = {at(Kind::item, in(home, ".xsession-errors")), at(Kind::item, in(home, ".xsession-errors.old")),
              at(Kind::logFiles, in(data, "xorg")), at(Kind::logFiles, in(data, "sddm"))};
    // KDE keeps each application's saved session here; GNOME saves none.
    l.savedAppState = {folderAt(in(config, "session"))};
    l.trash = {at(Kind::trash, in(data, "Trash"))};
    l.recentFiles = {at(Kind::item, in(data, "recently-used.xbel")), folderAt(in(data, "RecentDocuments"))};
    // Browsers write their caches below $XDG_CACHE_HOME; as a Snap below their common folder, as
    // a Flatpak below ~/.var/app/<id>/cache (Flatpak's own $XDG_CACHE_HOME).
    l.chromeTraces = {folderAt(in(cache, "google-chrome")), folderAt(in(cache, "chromium")),
                      folderAt(in(home, "snap/chromium/common/.cache/chromium")),
                      folderAt(in(home, ".var/app/com.google.Chrome/cache/google-chrome")),
                      folderAt(in(home, ".var/app/org.chromium.Chromium/cache/chromium"))};
    l.firefoxTraces = {folderAt(in(cache, "mozilla/firefox")),
                       folderAt(in(home, "snap/firefox/common/.cache/mozilla/firefox")),
                       folderAt(in(home, ".var/app/org.mozilla.firefox/cache/mozilla/firefox"))};
    l.edgeTraces = {folderAt(in(cache, "microsoft-edge")),
                    folderAt(in(home, ".var/app/com.microsoft.Edge/cache/microsoft-edge"))};
    l.neverOffered = {in(cache, "Orvane"), in(config, "Orvane")};

    l.duplicateRoots = {user("DOWNLOAD", "Downloads"), user("DOCUMENTS", "Documents"), user("DESKTOP", "Desktop"),
                        user("PICTURES", "Pictures")};
    l.trashFolder = in(data, "Trash");
    return l;
}

// Leaves out locations outside the home folder and repeated ones.
void keepInsideHome(SourceLocations& locations, const FilePath& home)
{
    SourceLocations kept;
    for (const SourceLocation& location : std::as_const(locations)) {
        const bool repeated = std::any_of(kept.cbegin(), kept.cend(),
                                          [&](const SourceLocation& k) { return k.path == location.path; });
        if (!repeated && strictlyInsideHome(location.path, home))
            kept.append(location);
    }
    locations = std::move(kept);
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
    const QByteArray userDirs =
        readSmallFile(AT_FDCWD, joinPath(resolved(dirs.config), QByteArray("user-dirs.dirs")).constData(), kMaxUserDirsSize)
            .value_or(QByteArray());
    QList<UserFolder> folders;
    for (const auto& row : rows) {
        const FilePath path = userDir(userDirs, dirs.home, row.key, row.fallback);
        const bool repeated = std::any_of(folders.cbegin(), folders.cend(), [&](const UserFolder& f) { return f.path == path; });
        if (!repeated && strictlyInsideHome(path, dirs.home))
            folders.append({path, row.icon});
    }
    return folders;
}

bool strictlyInsideHome(const FilePath& path, const FilePath& home)
{
    if (!path.startsWith('/') || !home.startsWith('/') || home == "/")
        return false;
    for (const QByteArray& part : path.split('/'))
        if (part == "." || part == "..")
            return false;
    QByteArray base = home;
    while (base.endsWith('/'))
        base.chop(1);
    QByteArray inner = path;
    while (inner.endsWith('/'))
        inner.chop(1);
    return inner.size() > base.size() + 1 && inner.startsWith(base + '/');
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
    l.duplicateRoots.removeIf([&l](const FilePath& root) { return !strictlyInsideHome(root, l.home); });
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
    at.appImageRoots = {joinPath(dirs.home, QByteArray("Applications")), joinPath(dirs.home, QByteArray(".local/bin"))};
    at.flatpakApps = joinPath(dirs.data, QByteArray("flatpak/app"));
    at.sandboxData = joinPath(dirs.home, QByteArray(".var/app"));
    // Like the folder sources, nothing outside the home folder is offered: removal refuses it.
    for (const FilePath& root : {dirs.config, dirs.data, dirs.cache, dirs.state})
        if (strictlyInsideHome(resolved(root), dirs.home))
            at.leftoverRoots.push_back(root);
    at.desktopEntries = joinPath(dirs.data, QByteArray("applications"));
    return at;
}

StartupFolders startupFolders(Platform platform, const BaseDirs& dirs)
{
    if (platform == Platform::macOS)
        return {joinPath(dirs.home, QByteArray("Library/LaunchAgents")), {}, {}};
    return {{}, joinPath(dirs.config, QByteArray("autostart")), joinPath(dirs.config, QByteArray("systemd/user"))};
}

} // namespace orvane
