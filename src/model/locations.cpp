#include "locations.h"

#include "file_head.h"
#include "paths.h"

#include <QFile>

#include <fcntl.h>
#include <pwd.h>
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
    // No Linux desktop writes these: the macOS folders stay and simply find nothing.
    l.derivedData = {folderAt(in(home, "Library/Developer/Xcode/DerivedData"))};
    l.safariTraces = {folderAt(in(home, "Library/Caches/com.apple.Safari"))};

    l.caches = {folderAt(cache)};
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

// "\040" and the like in /proc/self/mountinfo stand for the byte of that octal value.
QByteArray unescapedMountPath(const QByteArray& field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool ok = false;
        const int value = field[i] == '\\' && i + 3 < field.size() ? field.mid(i + 1, 3).toInt(&ok, 8) : 0;
        if (ok) {
            out.append(char(value));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return out;
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
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (!mounts.open(QIODevice::ReadOnly))
        return found;
    // "36 35 98:0 /root /mount/point options … - type source options": the fifth field.
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        const FilePath top = unescapedMountPath(fields[4]);
        if (top != home && !strictlyInsideHome(top, home) && !media.contains(parentPath(top)))
            continue;
        for (const FilePath& trash : {joinPath(top, ".Trash-" + uid), joinPath(top, ".Trash/" + uid)})
            if (!std::any_of(found.cbegin(), found.cend(), [&](const SourceLocation& l) { return l.path == trash; }))
                found.append(at(Kind::trash, trash));
    }
    return found;
}

} // namespace

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
