#include "engine.h"
#include "file_head.h"
#include "flatpak.h"
#include "paths.h"
#include "removal_rules.h"
#include "walker.h"

#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>

namespace orvane {

namespace {

using Kind = SourceLocation::Kind;

// Largest first; equal sizes keep the order they were found in.
void sortBySize(QList<CleanupFile>& files)
{
    std::stable_sort(files.begin(), files.end(),
                     [](const CleanupFile& a, const CleanupFile& b) { return a.sizeInBytes > b.sizeInBytes; });
}

CleanupFile itemOf(const QByteArray& name, const FilePath& path, qint64 size, bool autoSelect)
{
    CleanupFile file;
    file.name = displayPath(name);
    file.url = path;
    file.sizeInBytes = size;
    file.isSelected = autoSelect;
    return file;
}

// The entries directly inside `folder` that `keep` accepts, each with its whole size. Hidden
// items are offered too (but never a Trash folder); empty files and folders never are; a folder
// that cannot be listed offers nothing.
QList<CleanupFile> listItems(const FilePath& folder, bool autoSelect, ScanProgress* progress,
                             const std::function<bool(const ListedEntry&)>& keep = {})
{
    const std::optional<std::vector<MeasuredEntry>> listed = measureFolder(folder, false, progress);
    if (!listed || cancelled(progress))
        return {};
    QList<CleanupFile> files;
    // A volume's Trash folder belongs to the Trash category, and removal refuses it whole.
    for (const auto& [entry, size] : *listed)
        if (size >= 1 && !removal::isTrashFolderName(entry.name) && (!keep || keep(entry)))
            files.append(itemOf(entry.name, entry.path, size, autoSelect));
    return files;
}

// Log files by name: "x.log", and its rotations "x.log.old", "x.log.1", "x.log.1.gz".
bool isLogName(QByteArray name)
{
    if (name.endsWith(".gz"))
        name.chop(3);
    const qsizetype at = name.lastIndexOf(".log");
    if (at < 1)
        return false;
    const QByteArray rest = name.mid(at + 4);
    if (rest.isEmpty() || rest == ".old")
        return true;
    return rest.size() > 1 && rest[0] == '.'
           && std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A location that is one item: a regular file or a folder, never a link (a log replaced by a
// link to /dev/null stays as the user made it) nor anything else.
QList<CleanupFile> singleItem(const FilePath& path, bool autoSelect)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return {};
    const qint64 size = treeSize(path);
    if (size < 1)
        return {};
    return {itemOf(lastComponent(path), path, size, autoSelect)};
}

// .trashinfo files are a few lines; the original path is at most PATH_MAX bytes, each of which
// may be percent-encoded in three.
constexpr qsizetype kMaxTrashInfoRead = 16 * 1024;

// The original name recorded in a .trashinfo file (its "[Trash Info]" group's Path key,
// percent-decoded, last component), or none when the text does not say it plainly.
std::optional<QByteArray> originalName(const QByteArray& head, bool complete)
{
    const QList<QByteArray> lines = head.split('\n');
    bool inGroup = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[')) {
            if (inGroup)
                break;
            inGroup = line == "[Trash Info]";
            if (!inGroup)
                return std::nullopt;
            continue;
        }
        if (!inGroup) {
            if (line.trimmed().isEmpty() || line.startsWith('#'))
                continue;
            return std::nullopt;
        }
        if (!line.startsWith("Path="))
            continue;
        // A last line cut off by the read bound may be cut inside the value.
        if (i == lines.size() - 1 && !complete)
            return std::nullopt;
        QByteArray path = QByteArray::fromPercentEncoding(line.mid(5));
        while (path.endsWith('/'))
            path.chop(1);
        const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
        if (name.isEmpty() || name == "." || name == ".." || name.contains('\0'))
            return std::nullopt;
        return name;
    }
    return std::nullopt;
}

struct TrashInfo {
    qint64 size = 0;
    std::optional<QByteArray> originalName;
};

// The info file of one Trash entry, when it is a regular file (never a link, a folder or a
// FIFO). Its name is read from a bounded prefix; an unreadable info file still belongs to its
// entry, only without the original name.
std::optional<TrashInfo> trashInfo(int infoFd, const QByteArray& name)
{
    struct stat st;
    if (::fstatat(infoFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    TrashInfo info;
    info.size = st.st_size;
    if (const std::optional<FileHead> head = readFileHead(infoFd, name.constData(), kMaxTrashInfoRead))
        info.originalName = originalName(head->bytes, head->whole);
    return info;
}

// A freedesktop Trash: each entry of files/ is one item, shown under its original name, with its
// info/<entry>.trashinfo as an extra location so that both go together. Info files without an
// entry (left by an interrupted move) hold nothing of the user's: they go with the Trash's
// largest item, so emptying the Trash takes them too. An entry without a usable info file is
// offered under its own name. A volume's $topdir/.Trash/$uid counts only when $topdir/.Trash is
// a sticky folder, not a link.
QList<CleanupFile> trashItems(const FilePath& trash, bool autoSelect, ScanProgress* progress)
{
    struct stat st;
    if (::lstat(trash.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    const FilePath above = parentPath(trash);
    if (lastComponent(above) == ".Trash"
        && (::lstat(above.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || !(st.st_mode & S_ISVTX)))
        return {};
    QList<CleanupFile> files = listItems(joinPath(trash, QByteArray("files")), autoSelect, progress);
    const FilePath infoFolder = joinPath(trash, QByteArray("info"));
    const int infoFd = ::open(infoFolder.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (infoFd < 0)
        return files;
    for (CleanupFile& file : files) {
        const QByteArray infoName = lastComponent(file.url) + ".trashinfo";
        const std::optional<TrashInfo> info = trashInfo(infoFd, infoName);
        if (!info)
            continue;
        if (info->originalName)
            file.name = displayPath(*info->originalName);
        file.extraURLs = {joinPath(infoFolder, infoName)};
        file.extraSizes = {info->size};
        file.sizeInBytes += info->size;
    }
    ::close(infoFd);
    const auto largest = std::max_element(files.begin(), files.end(), [](const CleanupFile& a, const CleanupFile& b) {
        return a.sizeInBytes < b.sizeInBytes;
    });
    const int filesFd = ::open(joinPath(trash, QByteArray("files")).constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (largest == files.end() || filesFd < 0) {
        if (filesFd >= 0)
            ::close(filesFd);
        return files;
    }
    const QByteArray suffix = ".trashinfo";
    for (const ListedEntry& entry : listFolder(infoFolder, false).value_or(std::vector<ListedEntry>{})) {
        if (!S_ISREG(entry.st.st_mode) || !entry.name.endsWith(suffix) || entry.name.size() == suffix.size())
            continue;
        if (::fstatat(filesFd, entry.name.chopped(suffix.size()).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
            || errno != ENOENT)
            continue;
        largest->extraURLs.append(entry.path);
        largest->extraSizes.append(entry.st.st_size);
        largest->sizeInBytes += entry.st.st_size;
    }
    ::close(filesFd);
    return files;
}

// Each Flatpak app's own cache: the entries of <apps>/<id>/cache for every valid app id, named
// "<id>/<entry>". Never the app's data or config, and never through a link: an app folder or a
// cache that is a link offers nothing.
QList<CleanupFile> appCacheItems(const FilePath& apps, bool autoSelect, ScanProgress* progress)
{
    const std::optional<std::vector<ListedEntry>> listed = listFolder(apps, false);
    if (!listed)
        return {};
    QList<CleanupFile> files;
    for (const ListedEntry& app : *listed) {
        if (!S_ISDIR(app.st.st_mode) || app.otherMount || !isFlatpakAppId(app.name))
            continue;
        const FilePath cache = joinPath(app.path, QByteArray("cache"));
        struct stat st;
        if (::lstat(cache.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_dev != app.st.st_dev)
            continue;
        for (CleanupFile& file : listItems(cache, autoSelect, progress)) {
            file.name = displayPath(app.name) + u'/' + file.name;
            files.append(std::move(file));
        }
    }
    return files;
}

QList<CleanupFile> itemsAt(const SourceLocation& location, bool autoSelect, ScanProgress* progress)
{
    switch (location.kind) {
    case Kind::folder:
        return listItems(location.path, autoSelect, progress);
    case Kind::item: {
        QList<CleanupFile> files = singleItem(location.path, autoSelect);
        if (!location.label.isEmpty())
            for (CleanupFile& file : files)
                file.name = location.label;
        return files;
    }
    case Kind::logFiles:
        return listItems(location.path, autoSelect, progress,
                         [](const ListedEntry& e) { return S_ISREG(e.st.st_mode) && isLogName(e.name); });
    case Kind::trash:
        return trashItems(location.path, autoSelect, progress);
    case Kind::appCaches:
        return appCacheItems(location.path, autoSelect, progress);
    }
    return {};
}

} // namespace

QList<CleanupFile> scanFolderSource(const FolderSource& source, bool autoSelect, ScanProgress* progress)
{
    QList<CleanupFile> files;
    QSet<FilePath> seenLocations;
    QSet<FilePath> seenItems;
    for (const SourceLocation& location : source.locations) {
        if (cancelled(progress))
            return {};
        if (seenLocations.contains(location.path))
            continue;
        seenLocations.insert(location.path);
        for (CleanupFile& file : itemsAt(location, autoSelect, progress)) {
            const bool own = std::any_of(source.neverOffered.cbegin(), source.neverOffered.cend(),
                                         [&](const FilePath& kept) { return isWithin(kept, file.url); });
            if (own || seenItems.contains(file.url))
                continue;
            seenItems.insert(file.url);
            files.append(std::move(file));
        }
    }
    sortBySize(files);
    return files;
}

} // namespace orvane
