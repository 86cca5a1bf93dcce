#pragma once

// Where installed applications, what they leave behind and the user's startup items are, for
// each platform. Takes the platform as a parameter so both layouts can be checked anywhere.

#include "base_dirs.h"

namespace orvane {

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

} // namespace orvane
