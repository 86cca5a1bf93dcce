#pragma once

// Flatpak apps (per-user and system-wide) and the user's unused runtimes: what they are, worked
// out from the files alone, and their removal through flatpak itself.

#include "model_types.h"

namespace orvane {

// A Flatpak application id as Flatpak itself accepts it: reverse-DNS, at least three elements of
// letters, digits and "_" ("-" in the last element only), none starting with a digit or "-", at
// most 255 characters. Nothing else is ever passed to flatpak.
bool isFlatpakAppId(const QByteArray& name);

// Whether a `flatpak` program is on PATH right now.
bool flatpakAvailable();

// How long an uninstall may take before it counts as hung (it also prunes the local repository).
inline constexpr int flatpakUninstallTimeoutMs = 120 * 1000;

// The system-wide installation as flatpak itself finds it: $FLATPAK_SYSTEM_DIR, else /var/lib/flatpak.
FilePath flatpakSystemDir();

// The runtimes of the installation `installation` (a ".../flatpak" folder) that none of its apps
// uses, as their folders runtime/<id>/<arch>/<branch>. Read from the files alone, never by running
// flatpak: an app's deploys name their runtime and sdk, and a runtime in use brings every runtime
// that extends it or an app ([Extension <name>] of either, at any version) or says it does
// ([ExtensionOf]), and its ".Locale" and ".Debug" companions. A pinned runtime (flatpak keeps
// those) is never among them. When anything needed cannot be read, none is.
FilePaths unusedFlatpakRuntimes(const FilePath& installation);

// The package id of the row standing for the user's unused runtimes: never an app id.
QString unusedRuntimesPackage();

// Removes what a row with a package id stands for, through flatpak, and waits for it (at most
// `timeoutMs`, then it is killed). `path` says which installation: an app folder of the
// system-wide one runs `flatpak uninstall --system -y -- <id>` (polkit asks for approval), any
// other app folder ($XDG_DATA_HOME/flatpak/app/<id>) `flatpak uninstall --user --noninteractive
// -- <id>`; an id that is not the folder's own reaches no flatpak. unusedRuntimesPackage() with the user's
// $XDG_DATA_HOME/flatpak/runtime runs `flatpak uninstall --unused --user --noninteractive`. True
// only when flatpak exited 0 and what it was to remove is gone from the disk (for runtimes: every
// one unusedFlatpakRuntimes finds just before). Nothing is ever deleted here.
bool uninstallFlatpakPackage(const QString& packageId, const FilePath& path, int timeoutMs = flatpakUninstallTimeoutMs);

} // namespace orvane
