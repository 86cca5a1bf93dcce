#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <variant>

namespace orvane {

// Locations are absolute paths kept as the bytes the file system gave, so a name that is
// not valid UTF-8 is still removed exactly; displayPath() turns one into readable text.
using FilePath = QByteArray;
using FilePaths = QList<FilePath>;

struct SidebarSection {
    QString id;
    QString title;
    QString icon;

    // Identity is the id alone: a section built before a language change equals the one after.
    friend bool operator==(const SidebarSection& a, const SidebarSection& b) { return a.id == b.id; }
};

inline size_t qHash(const SidebarSection& section, size_t seed = 0) noexcept
{
    return ::qHash(section.id, seed);
}

struct DiskInfo {
    qint64 total = 0;
    qint64 free = 0; // bytes available to the user

    qint64 used() const { return total - free; }
    // Share in use, 0…1; 0 for a volume reporting no capacity.
    double usedFraction() const { return total < 1 ? 0.0 : qBound(0.0, double(used()) / double(total), 1.0); }
};

enum class RemovalStyle { trash, permanent };

std::optional<RemovalStyle> removalStyleFromRaw(const QString& raw);
QString rawValue(RemovalStyle style);
QString label(RemovalStyle style); // current language

enum class ScanState { idle, scanning, results, cleaning, done };

// One place a folder source looks at, and how its items are found there.
struct SourceLocation {
    enum class Kind {
        folder,   // each entry directly inside is one item
        item,     // the location itself is one item (a regular file or a folder, never a link)
        logFiles, // the regular files directly inside whose names mark them as logs
        trash,    // a freedesktop Trash: the entries of files/, each with its info/ file
        appCaches, // Flatpak's per-app folders (~/.var/app): the entries of each app's own cache/
    };
    Kind kind = Kind::folder;
    FilePath path;
    // The item's name when the location is one item whose own name says little ("_cacache").
    QString label = {};

    friend bool operator==(const SourceLocation&, const SourceLocation&) = default;
};

// What one source scans.
struct FolderSource {
    // Scanned in order, each path once; the items of all of them form the source's one category.
    QList<SourceLocation> locations;
    // Never offered, nor anything holding one of them (Orvane's own cache and settings).
    FilePaths neverOffered;
};
struct BigFilesSource {
    FilePath root;
    qint64 minSize = 0;
};
struct DuplicatesSource {
    FilePaths roots;
    qint64 minSize = 0;
};
struct InstalledAppsSource {
    // The name of the item that removes the user's unused Flatpak runtimes, in the current language.
    QString unusedRuntimesName;
};

using SourceKind = std::variant<FolderSource, BigFilesSource, DuplicatesSource, InstalledAppsSource>;

struct CleanupSource {
    QString name;
    QString icon;
    SourceKind kind;
    bool autoSelect = false;
};

struct CleanupPlan {
    QString title;
    QString subtitle;
    QList<CleanupSource> sources;
    RemovalStyle defaultRemoval = RemovalStyle::trash;
    QStringList highlights;
    // One line per place the plan left out and why (a base directory that holds others…).
    QStringList notes;
    // The user's keep-list: nothing at, inside or holding one of these is offered.
    FilePaths kept = {};
};

// What a file looked like when it was scanned; removal checks it before touching a copy.
struct FileStamp {
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 device = 0;
    quint64 inode = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

struct CleanupFile {
    QUuid id = QUuid::createUuid();
    QString name;
    FilePath url;
    qint64 sizeInBytes = 0;
    bool isSelected = false;
    FilePaths extraURLs;
    // Scan-time size of each entry of extraURLs (same order), so the freed figure can count
    // exactly the locations that went. The item's own share is sizeInBytes minus their sum.
    QList<qint64> extraSizes;
    // Set for copies found by the duplicate search.
    std::optional<FileStamp> stamp;
    // Set for an application its package manager removes (a Flatpak app id): removal asks
    // that manager to uninstall it instead of deleting `url` itself.
    QString packageId;

    qint64 ownSize() const;
    // The extras that are the item's leftovers: a Trash item's info file goes with it but is
    // not something the user left behind.
    qsizetype leftoverCount() const;
};

struct CleanupCategory {
    QUuid id = QUuid::createUuid();
    QString name;
    QString icon;
    QList<CleanupFile> files;
    bool isExpanded = false;

    // A group of duplicate copies (they carry the scan's stamps) never loses its last copy: with
    // every copy selected, its first copy (in path order, the one the scan leaves unselected)
    // stays. keptCopy() is that copy's index then, else -1.
    bool isDuplicateGroup() const;
    qsizetype keptCopy() const;
    // What removal takes of the selection: the selected files, less a kept copy.
    qint64 selectedSize() const;
    qint64 totalSize() const;
};

struct SpaceEntry {
    QUuid id = QUuid::createUuid();
    QString name;
    QString icon;
    FilePath url;
    qint64 sizeInBytes = 0;
    bool isDirectory = false;
};

} // namespace orvane
