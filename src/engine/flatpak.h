#pragma once

// Per-user Flatpak apps: their ids, and their removal through flatpak itself.

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

// Runs `flatpak uninstall --user --noninteractive -- <id>` and waits for it (at most `timeoutMs`,
// then it is killed). True only when flatpak exited 0 and the app's folder `appFolder`
// ($XDG_DATA_HOME/flatpak/app/<id>) is gone; otherwise nothing else is touched.
bool uninstallFlatpak(const QString& id, const FilePath& appFolder, int timeoutMs = flatpakUninstallTimeoutMs);

} // namespace orvane
