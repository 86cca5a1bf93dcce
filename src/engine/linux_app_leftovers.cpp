#include "linux_app_leftovers.h"
#include "installed_apps_p.h"
#include "paths.h"

#include <sys/stat.h>

#include <QRegularExpression>
#include <QSet>

namespace orvane::apps {

namespace {

// Names of what lies directly in the configuration, data, cache and state folders on behalf of
// the desktop, of every program or of Orvane itself: never one application's leftover, whatever
// that application is called. Compared case-folded.
bool isSharedName(const QString& folded)
{
    static const QSet<QString> shared{
        // the desktop's own folders and files
        "applications", "autostart", "systemd", "environment.d", "user-dirs.dirs", "user-dirs.locale",
        "mimeapps.list", "menus", "desktop-directories", "icons", "mime", "fonts", "fontconfig", "themes",
        "sounds", "trash", "recently-used.xbel", "recentdocuments", "xorg", "keyrings", "dconf", "gvfs-metadata",
        "thumbnails", "gtk-2.0", "gtk-3.0", "gtk-4.0", "pulse", "pipewire", "wireplumber", "session", "sessions",
        // package formats and layout folders
        "flatpak", "appimagekit", "bin", "lib", "share", "state", "cache", "config", "data", "applications-merged",
        // Orvane's own settings and cache
        "orvane",
    };
    return shared.contains(folded);
}

} // namespace

QString folded(const QByteArray& name)
{
    return QString::fromUtf8(name).toCaseFolded();
}

LinuxLeftovers::LinuxLeftovers(const AppLocations& at, const BaseDirs& dirs)
    : m_entries(readDesktopEntries(at.desktopEntries))
{
    for (const FilePath& root : at.leftoverRoots)
        m_roots.append({root, listFolder(root, true).value_or(std::vector<ListedEntry>{})});
    // Locations the scan looks in are never a leftover, nor is a folder holding one.
    m_protected = {dirs.home, dirs.config, dirs.data, dirs.cache, dirs.state, at.flatpakApps, at.sandboxData,
                   at.desktopEntries};
    m_protected += at.appImageRoots;
    m_protected += at.leftoverRoots; // the base directories as resolved
    // Entries installed for everyone (XDG_DATA_DIRS, by default /usr/local/share and
    // /usr/share) and the ones Flatpak exports.
    QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = "/usr/local/share/:/usr/share/";
    for (const QByteArray& dir : dataDirs.split(':'))
        if (dir.startsWith('/'))
            m_otherEntryFolders.append(joinPath(dir, QByteArray("applications")));
    m_otherEntryFolders.append(joinPath(dirs.data, QByteArray("flatpak/exports/share/applications")));
}

QByteArray LinuxLeftovers::entryFileId(const FilePath& path)
{
    QByteArray id = lastComponent(path);
    if (id.endsWith(".desktop"))
        id.chop(8);
    static const QRegularExpression integrated(QStringLiteral("^appimagekit_[0-9a-f]{32}-"));
    constexpr qsizetype prefix = 45;
    if (id.size() > prefix && integrated.match(QString::fromLatin1(id.left(prefix))).hasMatch())
        id = id.mid(prefix);
    return id;
}

FilePaths LinuxLeftovers::named(const QList<QByteArray>& names, bool anyCase) const
{
    QSet<QString> wanted;
    for (const QByteArray& name : names)
        if (isSafeComponent(name) && !isSharedName(folded(name)))
            wanted.insert(anyCase ? folded(name) : QString::fromUtf8(name));
    FilePaths found;
    for (const auto& [root, listed] : m_roots)
        for (const ListedEntry& entry : listed)
            if (wanted.contains(anyCase ? folded(entry.name) : QString::fromUtf8(entry.name))
                && !isSharedName(folded(entry.name)) && !holdsProtected(entry.path))
                found.append(entry.path);
    return found;
}

bool LinuxLeftovers::claimedElsewhere(const QByteArray& identity, const QList<const DesktopEntryFile*>& own) const
{
    const QString wanted = folded(identity);
    for (const DesktopEntryFile& file : m_entries) {
        if (own.contains(&file))
            continue;
        if (folded(entryFileId(file.path)) == wanted
            || folded(file.entry.value("StartupWMClass").trimmed().toUtf8()) == wanted)
            return true;
    }
    for (const FilePath& folder : m_otherEntryFolders) {
        struct stat st;
        if (::stat(joinPath(folder, identity + ".desktop").constData(), &st) == 0)
            return true;
    }
    return false;
}

QList<const DesktopEntryFile*> LinuxLeftovers::entriesLaunching(const FilePath& program) const
{
    QList<const DesktopEntryFile*> found;
    for (const DesktopEntryFile& file : m_entries)
        if (launches(file.entry, program))
            found.append(&file);
    return found;
}

FilePaths LinuxLeftovers::entriesOfFlatpak(const QByteArray& id) const
{
    FilePaths found;
    for (const DesktopEntryFile& file : m_entries)
        if (lastComponent(file.path) == id + ".desktop" || file.entry.value("X-Flatpak") == QString::fromUtf8(id))
            found.append(file.path);
    return found;
}

bool LinuxLeftovers::holdsProtected(const FilePath& candidate) const
{
    for (const FilePath& location : m_protected)
        if (isWithin(location, candidate))
            return true;
    return false;
}

} // namespace orvane::apps
