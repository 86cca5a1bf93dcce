#pragma once

// Icons of found items: an application bundle's own icon, else the icon of the item's type.

#include "model_types.h"

#include <QImage>
#include <QString>

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
// Value of CFBundleIdentifier / CFBundleIconFile in a bundle's Info.plist (XML or binary).
QString bundleInfoString(const FilePath& bundle, const char* key);

// The icon of an item, or a null image when nothing better than a generic glyph exists.
// Cached for the life of the process by `name`: the first answer for a name is reused.
// Call it on the GUI thread: desktop theme icons can only be made there.
QImage itemIcon(const QString& name, const FilePath& path, int size);

} // namespace orvane
