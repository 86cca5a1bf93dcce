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

struct Locations {
    Platform platform = runningPlatform();
    FilePath home;

    // Folder sources. A location that is not strictly inside the home folder (an XDG variable
    // pointing elsewhere, or at the home folder itself) is left out: removal refuses anything
    // there, so nothing there is ever offered.
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
};
AppLocations appLocations(Platform platform, const BaseDirs& dirs);

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

// Whether `path` lies strictly below `home` (both absolute, no "." or ".." parts).
bool strictlyInsideHome(const FilePath& path, const FilePath& home);

} // namespace orvane
