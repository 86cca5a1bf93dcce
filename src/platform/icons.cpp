#include "icons.h"

#include "locations.h"
#include "desktop_entry.h"
#include "file_head.h"
#include "folder_reader.h"
#include "paths.h"
#include "plist_reader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <sys/stat.h>

#include <algorithm>

namespace orvane {

namespace {

QString withoutExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

bool exists(const FilePath& path)
{
    return QFileInfo::exists(QFile::decodeName(path));
}

// Icon files are read like any file the user controls: a regular file only, never waited on,
// at most this large; the image is made from the bytes read.
constexpr qsizetype kMaxIconFileSize = 16 * 1024 * 1024;

// The largest image of an icon file (an .icns holds several sizes); null when refused.
QImage readIconFile(const QString& file)
{
    // System icons are often links to the real file; the link is resolved here, on the worker.
    const QString real = QFileInfo(file).canonicalFilePath();
    if (real.isEmpty())
        return {};
    const std::optional<QByteArray> bytes = readSmallFile(AT_FDCWD, QFile::encodeName(real).constData(), kMaxIconFileSize);
    if (!bytes)
        return {};
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QFileInfo(file).suffix().toLatin1());
    reader.setDecideFormatFromContent(true);
    QImage best;
    do {
        QImage image = reader.read();
        if (!image.isNull() && image.width() > best.width())
            best = image;
    } while (reader.jumpToNextImage());
    return best;
}

QImage scaled(const QImage& image, int size)
{
    if (image.isNull() || size <= 0)
        return image;
    return image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// An icon named `icon` among an app's own icons (a Flatpak export's share/icons): the scalable
// one, else the largest fixed size.
QImage exportedIcon(const FilePath& iconFolder, const QString& icon, int size)
{
    if (iconFolder.isEmpty() || icon.contains(u'/'))
        return {};
    const QString hicolor = QFile::decodeName(iconFolder) + QStringLiteral("/hicolor/");
    for (const char* dir : {"scalable", "512x512", "256x256", "128x128", "96x96", "64x64", "48x48", "32x32"})
        for (const char* extension : {".svg", ".png"}) {
            const QImage image = readIconFile(hicolor + QLatin1String(dir) + QStringLiteral("/apps/") + icon + QLatin1String(extension));
            if (!image.isNull())
                return scaled(image, size);
        }
    return {};
}

// A desktop entry's icon: an image file it names, the app's own exported one, else the theme
// name it gives.
PreparedIcon desktopEntryIcon(const FilePath& path, const FilePath& iconFolder, int size)
{
    const auto entry = readDesktopEntry(path);
    if (!entry)
        return {};
    const QString icon = entry->icon().trimmed();
    if (icon.startsWith(u'/'))
        return {scaled(readIconFile(icon), size), {}};
    const QImage own = exportedIcon(iconFolder, icon, size);
    if (!own.isNull())
        return {own, {}};
    return {{}, icon.isEmpty() ? QStringList() : QStringList{icon}};
}

// The desktop entry of an installed Linux application (an AppImage file directly inside one of
// its folders, or a Flatpak app's folder, the user's or the system's), with the folder of the
// app's own icons.
bool linuxAppEntry(const FilePath& path, const AppLocations& at, IconSource& source)
{
    const FilePath parent = parentPath(path);
    // The system installation where flatpak itself looks for it.
    const QByteArray systemDir = qgetenv("FLATPAK_SYSTEM_DIR");
    const FilePath systemApps = (systemDir.startsWith('/') ? systemDir : QByteArray("/var/lib/flatpak")) + "/app";
    if ((!at.flatpakApps.isEmpty() && parent == at.flatpakApps) || parent == systemApps) {
        const QByteArray id = lastComponent(path);
        source.desktopEntry = resolveInside(path, "current/active/export/share/applications/" + id + ".desktop");
        source.iconFolder = resolveInside(path, "current/active/export/share/icons");
        return !source.desktopEntry.isEmpty();
    }
    if (!at.appImageRoots.contains(parent))
        return false;
    for (const DesktopEntryFile& file : readDesktopEntries(at.desktopEntries))
        if (launches(file.entry, path)) {
            source.desktopEntry = file.path;
            return true;
        }
    return false;
}

QStringList typeIconNames(const FilePath& item)
{
    static const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(QFile::decodeName(item));
    return {type.iconName(), type.genericIconName()};
}

FilePath bundleWithIdentifier(const QString& identifier, const FilePaths& folders)
{
    for (const FilePath& folder : folders) {
        // Bundles by name (any case of ".app"), a link to one too, in name order.
        QByteArrayList bundles;
        for (const fs::FolderEntry& entry : fs::readFolder(folder, {.throughLink = true}).value_or(std::vector<fs::FolderEntry>{}))
            if (entry.name.toLower().endsWith(".app") && (S_ISDIR(entry.st.st_mode) || S_ISLNK(entry.st.st_mode)))
                bundles.append(entry.name);
        std::sort(bundles.begin(), bundles.end());
        for (const QByteArray& bundle : bundles) {
            const FilePath path = joinPath(folder, bundle);
            if (bundleInfoValue(path, "CFBundleIdentifier") == identifier)
                return path;
        }
    }
    return {};
}

FilePath desktopEntryFor(const QString& identifier)
{
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, identifier + QStringLiteral(".desktop"));
    return file.isEmpty() ? FilePath() : QFile::encodeName(file);
}

} // namespace

QString itemIconSource(const QString& name, const FilePath& path)
{
    return QStringLiteral("image://%1/%2/%3")
        .arg(QLatin1String(itemIconProviderId), QString::fromLatin1(QUrl::toPercentEncoding(name)),
             QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLatin1(path.toPercentEncoding()))));
}

bool decodeItemIconId(const QString& id, QString* name, FilePath* path)
{
    const qsizetype slash = id.indexOf(u'/');
    if (slash < 0)
        return false;
    *name = QUrl::fromPercentEncoding(id.left(slash).toLatin1());
    const QString encodedPath = QUrl::fromPercentEncoding(id.mid(slash + 1).toLatin1());
    *path = QByteArray::fromPercentEncoding(encodedPath.toLatin1());
    return true;
}

FilePaths applicationFolders()
{
    return {QByteArrayLiteral("/Applications"), joinPath(homeDir(), QByteArrayLiteral("Applications"))};
}

IconSource chooseIconSource(const QString& name, const FilePath& path, const FilePaths& folders)
{
    return chooseIconSource(name, path, folders, appLocations(runningPlatform(), baseDirs()));
}

IconSource chooseIconSource(const QString& name, const FilePath& path, const FilePaths& folders, const AppLocations& linuxApps)
{
    IconSource source;
    if (path.endsWith(".app")) {
        source.bundle = path;
        return source;
    }
    if (linuxAppEntry(path, linuxApps, source))
        return source;
    // A name like "com.example.Editor.plist" or "com.example.Editor" names an application.
    const QString base = withoutExtension(name);
    for (const QString& candidate : {base, name}) {
        if (!candidate.contains(u'.'))
            continue;
        const FilePath bundle = bundleWithIdentifier(candidate, folders);
        if (!bundle.isEmpty()) {
            source.bundle = bundle;
            return source;
        }
        const FilePath entry = desktopEntryFor(candidate);
        if (!entry.isEmpty()) {
            source.desktopEntry = entry;
            return source;
        }
    }
    const FilePath named = QByteArrayLiteral("/Applications/") + QFile::encodeName(base) + QByteArrayLiteral(".app");
    if (exists(named)) {
        source.bundle = named;
        return source;
    }
    source.item = path;
    return source;
}

QString bundleInfoString(const FilePath& bundle, const char* key)
{
    return bundleInfoValue(bundle, key).value_or(QString());
}

QImage bundleIcon(const FilePath& bundle, int size)
{
    QString iconFile = bundleInfoString(bundle, "CFBundleIconFile");
    if (iconFile.isEmpty() || iconFile.contains(u'/'))
        return {};
    if (!iconFile.contains(u'.'))
        iconFile += QStringLiteral(".icns");
    const QString resources = QFile::decodeName(joinPath(bundle, QByteArrayLiteral("Contents/Resources")));
    return scaled(readIconFile(resources + u'/' + iconFile), size);
}

PreparedIcon prepareItemIcon(const IconSource& source, const FilePath& path, int size)
{
    PreparedIcon prepared;
    if (!source.bundle.isEmpty())
        prepared.image = bundleIcon(source.bundle, size);
    else if (!source.desktopEntry.isEmpty())
        prepared = desktopEntryIcon(source.desktopEntry, source.iconFolder, size);
    if (prepared.image.isNull())
        prepared.themeNames += typeIconNames(source.item.isEmpty() ? path : source.item);
    return prepared;
}

QImage themeIcon(const QStringList& names, int size)
{
    // QIcon and the pixmaps it makes belong to the GUI thread.
    if (!QCoreApplication::instance() || QThread::currentThread() != QCoreApplication::instance()->thread())
        return {};
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == u"hicolor")
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    for (const QString& name : names) {
        if (name.isEmpty())
            continue;
        const QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            return icon.pixmap(size, size).toImage();
    }
    return {};
}

} // namespace orvane
