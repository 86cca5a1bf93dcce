#pragma once

// Icons of found items: an application bundle's own icon, else the icon of the item's type.

#include "model_types.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace orvane {

inline constexpr char itemIconProviderId[] = "itemicon";

// Image-provider address of an item's icon ("image://itemicon/<name>/<path>", both encoded).
QString itemIconSource(const QString& name, const FilePath& path);
// Splits an id made by itemIconSource (the part after "image://itemicon/").
bool decodeItemIconId(const QString& id, QString* name, FilePath* path);

// Where an item's icon comes from, in this order: the item itself when it is an ".app" bundle;
// the desktop entry of a Linux application (an AppImage launched by an entry of the user's
// applications folder, a per-user Flatpak app's own entry); for a name that looks like a bundle
// identifier, the bundle of that application in the Applications folders or its desktop entry;
// "/Applications/<name>.app"; else the item's type.
struct IconSource {
    FilePath bundle;       // application bundle whose icon to use
    FilePath desktopEntry; // desktop entry whose Icon= to use
    FilePath iconFolder;   // the app's own icons, looked in before the theme (a Flatpak export)
    FilePath item;         // otherwise: the icon of this item's type
};
struct AppLocations;
IconSource chooseIconSource(const QString& name, const FilePath& path, const FilePaths& applicationFolders);
IconSource chooseIconSource(const QString& name, const FilePath& path, const FilePaths& applicationFolders,
                            const AppLocations& linuxApps);
// The two Applications folders: "/Applications" and ~/Applications.
FilePaths applicationFolders();

// The icon of a bundle (Info.plist CFBundleIconFile, an .icns in Contents/Resources); null when none.
QImage bundleIcon(const FilePath& bundle, int size);
// Value of CFBundleIdentifier / CFBundleIconFile in a bundle's Info.plist (XML or binary), read
// through the guarded plist reader; empty when none or refused.
QString bundleInfoString(const FilePath& bundle, const char* key);

// An item's icon as far as files say it: the image read from the bundle, the desktop entry or
// the app's own icons, else the names to look up in the desktop's icon theme (the entry's Icon=,
// the file type's icons). Reads files (each one guarded): call it on a worker, never on the GUI
// thread.
struct PreparedIcon {
    QImage image;
    QStringList themeNames;
};
PreparedIcon prepareItemIcon(const IconSource& source, const FilePath& path, int size);

// The first of `names` the desktop's icon theme has, on the GUI thread (where theme icons must be
// made); null elsewhere or when none has one.
QImage themeIcon(const QStringList& names, int size);

} // namespace orvane
