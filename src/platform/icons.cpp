#include "icons.h"

#include "locations.h"
#include "desktop_entry.h"
#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QMutex>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <plist/plist.h>

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

FilePath infoPlistOf(const FilePath& bundle)
{
    const FilePath contents = joinPath(bundle, QByteArrayLiteral("Contents/Info.plist"));
    return exists(contents) ? contents : joinPath(bundle, QByteArrayLiteral("Info.plist"));
}

QImage scaled(const QImage& image, int size)
{
    if (image.isNull() || size <= 0)
        return image;
    return image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage themeIcon(const QString& name, int size)
{
    // QIcon and the pixmaps it makes belong to the GUI thread.
    if (name.isEmpty() || !QCoreApplication::instance() || QThread::currentThread() != QCoreApplication::instance()->thread())
        return {};
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == u"hicolor")
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    const QIcon icon = QIcon::fromTheme(name);
    if (icon.isNull())
        return {};
    return icon.pixmap(size, size).toImage();
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
            const QImage image(hicolor + QLatin1String(dir) + QStringLiteral("/apps/") + icon + QLatin1String(extension));
            if (!image.isNull())
                return scaled(image, size);
        }
    return {};
}

QImage desktopEntryIcon(const FilePath& path, const FilePath& iconFolder, int size)
{
    const auto entry = readDesktopEntry(path);
    if (!entry)
        return {};
    const QString icon = entry->icon().trimmed();
    if (icon.startsWith(u'/'))
        return scaled(QImage(icon), size);
    const QImage own = exportedIcon(iconFolder, icon, size);
    return own.isNull() ? themeIcon(icon, size) : own;
}

// The desktop entry of an installed Linux application (an AppImage file directly inside one of
// its folders, or a per-user Flatpak app's folder), with the folder of the app's own icons.
bool linuxAppEntry(const FilePath& path, const AppLocations& at, IconSource& source)
{
    const FilePath parent = parentPath(path);
    if (!at.flatpakApps.isEmpty() && parent == at.flatpakApps) {
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

QImage typeIcon(const FilePath& item, int size)
{
    static const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(QFile::decodeName(item));
    for (const QString& name : {type.iconName(), type.genericIconName()}) {
        QImage image = themeIcon(name, size);
        if (!image.isNull())
            return image;
    }
    return {};
}

FilePath bundleWithIdentifier(const QString& identifier, const FilePaths& folders)
{
    for (const FilePath& folder : folders) {
        const QDir dir(QFile::decodeName(folder));
        const QStringList bundles = dir.entryList({QStringLiteral("*.app")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& b : bundles) {
            const FilePath path = joinPath(folder, QFile::encodeName(b));
            if (bundleInfoString(path, "CFBundleIdentifier") == identifier)
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
    QFile file(QFile::decodeName(infoPlistOf(bundle)));
    if (!file.open(QIODevice::ReadOnly) || file.size() > 16 * 1024 * 1024)
        return {};
    const QByteArray data = file.readAll();
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    if (!root)
        return {};
    QString value;
    if (plist_get_node_type(root) == PLIST_DICT) {
        plist_t node = plist_dict_get_item(root, key);
        if (node && plist_get_node_type(node) == PLIST_STRING) {
            char* text = nullptr;
            plist_get_string_val(node, &text);
            if (text) {
                value = QString::fromUtf8(text);
                free(text);
            }
        }
    }
    plist_free(root);
    return value;
}

QImage bundleIcon(const FilePath& bundle, int size)
{
    QString iconFile = bundleInfoString(bundle, "CFBundleIconFile");
    if (iconFile.isEmpty())
        return {};
    if (!iconFile.contains(u'.'))
        iconFile += QStringLiteral(".icns");
    const QString resources = QFile::decodeName(joinPath(bundle, QByteArrayLiteral("Contents/Resources")));
    QImageReader reader(resources + u'/' + iconFile);
    // An .icns holds several sizes; take the largest and scale it down.
    QImage best;
    do {
        QImage image = reader.read();
        if (!image.isNull() && image.width() > best.width())
            best = image;
    } while (reader.jumpToNextImage());
    return scaled(best, size);
}

QImage itemIcon(const QString& name, const FilePath& path, int size)
{
    static QMutex mutex;
    static QHash<QString, QImage> cache;
    {
        QMutexLocker lock(&mutex);
        const auto it = cache.constFind(name);
        if (it != cache.cend())
            return it.value();
    }
    const IconSource source = chooseIconSource(name, path, applicationFolders());
    QImage image;
    if (!source.bundle.isEmpty())
        image = bundleIcon(source.bundle, size);
    else if (!source.desktopEntry.isEmpty())
        image = desktopEntryIcon(source.desktopEntry, source.iconFolder, size);
    if (image.isNull())
        image = typeIcon(source.item.isEmpty() ? path : source.item, size);
    QMutexLocker lock(&mutex);
    // Another thread may have answered first; the first answer stays.
    return *cache.insert(name, cache.value(name, image));
}

} // namespace orvane
