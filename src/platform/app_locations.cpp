#include "app_locations.h"

#include "paths.h"

namespace orvane {

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
    at.leftoverRoots = {dirs.config, dirs.data, dirs.cache, dirs.state};
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
