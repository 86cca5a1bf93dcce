#pragma once

// Where Linux applications leave things (the configuration, data, cache and state folders and
// the user's desktop entries), read once per scan, and which of those things provably belong to
// one application.

#include "base_dirs.h"
#include "desktop_entry.h"
#include "locations.h"
#include "walker.h"

#include <vector>

namespace orvane::apps {

// A name compared ignoring case.
QString folded(const QByteArray& name);

class LinuxLeftovers
{
public:
    LinuxLeftovers(const AppLocations& at, const BaseDirs& dirs);

    // A desktop file's id: its name without ".desktop", and without the "appimagekit_<md5>-"
    // prefix that appimaged and AppImageLauncher give the copy of an AppImage's own entry.
    static QByteArray entryFileId(const FilePath& path);

    // Items of the leftover folders whose name is one of `names`: ignoring case when `anyCase`
    // (an AppImage's folders are named after it however its file is written), exactly otherwise.
    FilePaths named(const QList<QByteArray>& names, bool anyCase) const;

    // Whether a desktop entry other than `own` names itself `identity` (file id or StartupWMClass,
    // ignoring case), or the system or Flatpak has an entry of that id: then folders of that name
    // may belong to another program.
    bool claimedElsewhere(const QByteArray& identity, const QList<const DesktopEntryFile*>& own) const;

    // The desktop entries that start `program`, in listing order.
    QList<const DesktopEntryFile*> entriesLaunching(const FilePath& program) const;

    // The user's own entries for a Flatpak app: "<id>.desktop", and copies of what it exported
    // (flatpak marks those with X-Flatpak=<id>).
    FilePaths entriesOfFlatpak(const QByteArray& id) const;

private:
    bool holdsProtected(const FilePath& candidate) const;

    struct Root {
        FilePath path;
        std::vector<ListedEntry> listed;
    };
    QList<DesktopEntryFile> m_entries;
    QList<Root> m_roots;
    FilePaths m_protected;
    FilePaths m_otherEntryFolders;
};

} // namespace orvane::apps
