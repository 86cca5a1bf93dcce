#pragma once

// The table of where Orvane looks on each platform: the locations of every folder source, the
// folders the duplicate search reads, the home Trash, the installed applications with the
// places they leave data in, and the user's startup items. macOS keeps the
// classic folders under ~/Library; Linux uses the freedesktop base directories (see
// base_dirs.h).
//
// The table is built from a platform and a set of base directories, so both platforms can be
// checked on any machine; only the programs pick the running platform (currentLocations()).

#include "base_dirs.h"

namespace orvane {

using SourceLocations = QList<SourceLocation>;

// A base directory that is never used as a place to clean, and why: emptying it, or anything
// below it, would take what is not cache, log or Trash along.
struct SkippedBaseDir {
    enum class Reason {
        isHome,           // it is the home folder itself
        sameAs,           // it is the same folder as another base directory (`other`)
        holdsBaseDir,     // another base directory lies inside it
        insideBaseDir,    // it lies inside another base directory
        holdsUserFolder,  // a user folder (Documents, Pictures…) lies inside it
        insideUserFolder, // it lies inside a user folder
        holdsTrash,       // the home Trash lies inside it
        insideTrash,      // it lies inside the home Trash
    };
    QByteArray variable; // "XDG_CACHE_HOME"
    FilePath path;       // with links resolved
    Reason reason = Reason::isHome;
    FilePath other;      // the folder it holds, lies in or equals; empty for isHome

    friend bool operator==(const SkippedBaseDir&, const SkippedBaseDir&) = default;
};

// The base directories of `dirs` (inside the home folder) that must not be cleaned, in the order
// cache, data, config, state. Always empty on macOS, whose folders do not come from variables.
QList<SkippedBaseDir> skippedBaseDirs(Platform platform, const BaseDirs& dirs);

struct Locations {
    Platform platform = runningPlatform();
    FilePath home;

    // Folder sources. Each path has the links on its way resolved once (its last component is
    // kept as it is: the walk refuses a link there). A location that is then not strictly inside
    // the home folder (an XDG variable pointing elsewhere, a link out of the home on the way) is
    // left out, as is everything drawn from a skipped base directory: removal refuses the first,
    // and the second would take what is not the user's to lose.
    // macOS: Xcode's DerivedData. Linux: the developer tools' download caches, one item per tool.
    SourceLocations derivedData;
    SourceLocations caches;
    SourceLocations downloads;
    SourceLocations logs;
    SourceLocations savedAppState;
    SourceLocations trash;
    SourceLocations recentFiles;
    // macOS: Safari's cache. Linux: the caches of Brave, Vivaldi and Opera.
    SourceLocations safariTraces;
    SourceLocations chromeTraces;
    SourceLocations firefoxTraces;
    SourceLocations edgeTraces;
    // Orvane's own cache and settings: never offered by any source.
    FilePaths neverOffered;
    // Base directories nothing was taken from (see skippedBaseDirs).
    QList<SkippedBaseDir> skipped;

    // The duplicate search's folders: Downloads, Documents, Desktop, Pictures (the user's own
    // names for them on Linux, from user-dirs.dirs). Folders outside the home folder are left out.
    FilePaths duplicateRoots;
    // The large-file search's root.
    FilePath bigFilesRoot;

    // The user's home Trash (~/.Trash on macOS, $XDG_DATA_HOME/Trash on Linux).
    FilePath trashFolder;
};

// The table of `platform` for the given base directories (their home is the home folder).
Locations locationsFor(Platform platform, const BaseDirs& dirs);

// The running platform's table, with the home folder and base directories read now.
Locations currentLocations();

// Where installed applications, what they leave behind and the user's startup items are.
struct AppLocations {
    // macOS: application bundles and the Library folder their leftovers are in.
    FilePaths bundleRoots; // "/Applications", ~/Applications
    FilePath library;      // ~/Library
    // Linux: AppImage files, per-user Flatpak apps and where both leave data.
    FilePaths appImageRoots;  // ~/Applications, ~/.local/bin
    FilePath flatpakApps;     // $XDG_DATA_HOME/flatpak/app
    FilePath sandboxData;     // ~/.var/app (a Flatpak app's own data)
    FilePaths leftoverRoots;  // $XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_CACHE_HOME, $XDG_STATE_HOME
    FilePath desktopEntries;  // $XDG_DATA_HOME/applications
    // Linux paths are resolved as the folder sources' are; a folder that then lies outside the
    // home folder is empty (a root list leaves it out), as is a skipped base directory among
    // the leftover roots.
};
AppLocations appLocations(Platform platform, const BaseDirs& dirs);

// Resolved like the folder sources' paths; a folder outside the home folder (/etc/xdg/autostart
// through XDG_CONFIG_HOME=/etc/xdg) is empty: its items are not the user's own.
struct StartupFolders {
    FilePath launchAgents; // macOS: ~/Library/LaunchAgents
    FilePath autostart;    // Linux: $XDG_CONFIG_HOME/autostart
    FilePath systemdUser;  // Linux: $XDG_CONFIG_HOME/systemd/user (its *.wants folders)
};
StartupFolders startupFolders(Platform platform, const BaseDirs& dirs);

// A user folder of user-dirs.dirs (the English default name where the file names none), with
// the symbol it is shown with.
struct UserFolder {
    FilePath path;
    const char* icon;
};
// Desktop, Downloads, Templates, Public, Documents, Music, Pictures, Videos, in this order; only
// those strictly inside the home folder.
QList<UserFolder> userFolders(const BaseDirs& dirs);

// `path` with the links on its way resolved, its last component kept as written: the real path
// of its deepest existing parent folder, followed by the parts below it. `path` itself when it
// is not absolute.
FilePath resolvedParents(const FilePath& path);

} // namespace orvane
