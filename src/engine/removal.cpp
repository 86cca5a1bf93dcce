// Removal of the chosen locations. Every location is checked before anything is touched:
// it must be an absolute, plain path strictly inside the home folder or an Applications
// folder, not a Trash folder, reachable without passing through a symbolic link, and, for a
// duplicate copy, still the file the scan saw while its kept copies still exist unchanged.
// Deleting for good walks the tree fd-relative, never follows a link and never leaves the
// mounted file system of the chosen item.

#include "removal.h"

#include "flatpak.h"
#include "paths.h"
#include "trash.h"

#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane {

namespace {

using Components = QList<QByteArray>;

// The components of an absolute path; none for a relative path, one with "." or "..", or one
// holding a NUL byte (no file has such a name; the system would read a shorter path).
// Repeated and trailing slashes carry no meaning and are dropped.
std::optional<Components> components(const FilePath& path)
{
    if (!path.startsWith('/') || path.contains('\0'))
        return std::nullopt;
    Components parts;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty())
            continue;
        if (part == "." || part == "..")
            return std::nullopt;
        parts.push_back(part);
    }
    return parts;
}

FilePath joined(const Components& parts)
{
    FilePath path;
    for (const QByteArray& part : parts)
        path += '/' + part;
    return path.isEmpty() ? FilePath("/") : path;
}

bool startsWith(const Components& path, const Components& base)
{
    if (path.size() < base.size())
        return false;
    for (qsizetype i = 0; i < base.size(); ++i)
        if (path[i] != base[i])
            return false;
    return true;
}

bool strictlyInside(const Components& path, const Components& base)
{
    return path.size() > base.size() && startsWith(path, base);
}

bool isDigits(const QByteArray& s)
{
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// ".Trash" (home or volume) and ".Trash-$uid" (volume) folders.
bool isTrashName(const QByteArray& name)
{
    return name == ".Trash" || (name.startsWith(".Trash-") && isDigits(name.mid(7)));
}

bool isTrashPart(const QByteArray& name)
{
    return name == "files" || name == "info" || name == "expunged";
}

struct Rules {
    Components home;
    Components applications{QByteArray("Applications")};
    Components homeApplications;
    QList<Components> trashFolders; // the home Trash and its own folders
};

Components resolvedComponents(const QByteArray& path)
{
    QByteArray real = path;
    if (char* r = ::realpath(path.constData(), nullptr)) {
        real = r;
        ::free(r);
    }
    return components(real).value_or(Components{});
}

Rules currentRules()
{
    Rules rules;
    rules.home = components(homeDir()).value_or(Components{});
    rules.homeApplications = rules.home;
    rules.homeApplications.push_back("Applications");

    // The home Trash wherever the data folder is said to be, and where it is by default.
    QList<Components> dataHomes;
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    if (xdg.startsWith('/'))
        dataHomes.push_back(resolvedComponents(xdg));
    dataHomes.push_back(rules.home + Components{".local", "share"});
    for (const Components& dataHome : dataHomes) {
        if (dataHome.isEmpty())
            continue;
        const Components trash = dataHome + Components{"Trash"};
        rules.trashFolders.push_back(trash);
        for (const char* part : {"files", "info", "expunged"})
            rules.trashFolders.push_back(trash + Components{part});
    }
    return rules;
}

bool isTrashFolder(const Components& parts, const Rules& rules)
{
    if (rules.trashFolders.contains(parts))
        return true;
    const qsizetype n = parts.size();
    if (n >= 1 && isTrashName(parts[n - 1]))
        return true;
    // $topdir/.Trash-$uid/{files,info}, $topdir/.Trash/$uid and $topdir/.Trash/$uid/{files,info}
    const QByteArray uid = QByteArray::number(quint64(::getuid()));
    if (n >= 2 && isTrashName(parts[n - 2]) && (isTrashPart(parts[n - 1]) || parts[n - 1] == uid))
        return true;
    if (n >= 3 && parts[n - 3] == ".Trash" && parts[n - 2] == uid && isTrashPart(parts[n - 1]))
        return true;
    return false;
}

bool allowed(const Components& parts, const Rules& rules)
{
    if (isTrashFolder(parts, rules))
        return false;
    if (strictlyInside(parts, rules.applications))
        return true;
    // A home of "/" would make everything "inside" it.
    if (rules.home.isEmpty() || parts == rules.homeApplications)
        return false;
    return strictlyInside(parts, rules.home);
}

FileStamp stampOf(const struct stat& st)
{
    return FileStamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
                     quint64(st.st_dev), quint64(st.st_ino)};
}

// The folder holding the item, opened component by component from "/" without following any
// link, so the path means exactly what it says. -1 when that is not possible.
int openParent(const Components& parts)
{
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype i = 0; fd >= 0 && i + 1 < parts.size(); ++i) {
        const int next = ::openat(fd, parts[i].constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

struct EntryInfo {
    mode_t mode = 0;
    quint64 device = 0;
    quint64 mountId = 0;
    bool hasMountId = false;
};

std::optional<EntryInfo> statxInfo(int dirFd, const char* name, int flags)
{
    struct statx stx;
    if (::statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_MNT_ID, &stx) != 0)
        return std::nullopt;
    EntryInfo info;
    info.mode = stx.stx_mode;
    info.device = (quint64(stx.stx_dev_major) << 32) | stx.stx_dev_minor;
    info.hasMountId = (stx.stx_mask & STATX_MNT_ID) != 0;
    info.mountId = stx.stx_mnt_id;
    return info;
}

std::optional<EntryInfo> entryInfo(int dirFd, const char* name)
{
    return statxInfo(dirFd, name, 0);
}

// What an open descriptor refers to.
std::optional<EntryInfo> selfInfo(int fd)
{
    return statxInfo(fd, "", AT_EMPTY_PATH);
}

// Same mounted file system: same device, and the same mount where the kernel tells it (a bind
// mount of a folder of the same device is another mount).
bool sameMount(const EntryInfo& a, const EntryInfo& b)
{
    if (a.device != b.device)
        return false;
    return !(a.hasMountId && b.hasMountId) || a.mountId == b.mountId;
}

// Deletes the folder `name` in `parentFd` with everything below it. Links are removed as links;
// a folder of another mount is left, which leaves its parents in place too.
bool removeTree(int parentFd, const char* name, const EntryInfo& top)
{
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::optional<EntryInfo> self = selfInfo(fd);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    bool removed = false;
    if (self && S_ISDIR(self->mode) && sameMount(*self, top)) {
        // A second pass catches entries a file system skipped while the folder was changing.
        for (int pass = 0; pass < 2 && !removed; ++pass) {
            ::rewinddir(dir);
            while (const dirent* entry = ::readdir(dir)) {
                const char* child = entry->d_name;
                if (std::strcmp(child, ".") == 0 || std::strcmp(child, "..") == 0)
                    continue;
                const std::optional<EntryInfo> info = entryInfo(fd, child);
                if (!info)
                    continue;
                if (S_ISDIR(info->mode)) {
                    if (sameMount(*info, top))
                        removeTree(fd, child, top);
                } else {
                    ::unlinkat(fd, child, 0);
                }
            }
            removed = ::unlinkat(parentFd, name, AT_REMOVEDIR) == 0;
            if (!removed && errno != ENOTEMPTY && errno != EEXIST)
                break;
        }
    }
    ::closedir(dir);
    return removed;
}

bool stampMatches(int dirFd, const char* name, const FileStamp& expected)
{
    struct stat st;
    return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && stampOf(st) == expected;
}

bool keptCopyIntact(const FilePath& path, const FileStamp& expected, const FileStamp& target)
{
    // A kept "copy" that is the target's own inode would go with it.
    if (expected.device == target.device && expected.inode == target.inode)
        return false;
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && stampOf(st) == expected;
}

bool removeOne(const RemovalTarget& target, const Components& parts, RemovalStyle style, const Rules& rules)
{
    if (!allowed(parts, rules))
        return false;
    const int parentFd = openParent(parts);
    if (parentFd < 0)
        return false;
    const QByteArray name = parts.last();
    bool ok = false;
    const std::optional<EntryInfo> info = entryInfo(parentFd, name.constData());
    const std::optional<EntryInfo> parentInfo = selfInfo(parentFd);
    [&] {
        if (!info)
            return; // already gone: not removed by this call
        // A mount point is another file system: left alone.
        if (S_ISDIR(info->mode) && (!parentInfo || !sameMount(*info, *parentInfo)))
            return;
        if (target.expected) {
            if (!stampMatches(parentFd, name.constData(), *target.expected))
                return;
            for (const auto& [path, stamp] : target.keptCopies)
                if (!keptCopyIntact(path, stamp, *target.expected))
                    return;
        }
        if (style == RemovalStyle::trash) {
            ok = moveToTrash(joined(parts));
        } else if (S_ISDIR(info->mode)) {
            ok = removeTree(parentFd, name.constData(), *info);
        } else {
            ok = ::unlinkat(parentFd, name.constData(), 0) == 0;
        }
    }();
    ::close(parentFd);
    return ok;
}

} // namespace

QList<RemovalTarget> removalTargets(const QList<CleanupCategory>& categories)
{
    QList<RemovalTarget> targets;
    QSet<FilePath> seen;
    auto add = [&](RemovalTarget target) {
        if (seen.contains(target.path))
            return;
        seen.insert(target.path);
        targets.push_back(std::move(target));
    };
    for (const CleanupCategory& category : categories) {
        // Copies that stay: the unselected copies of a duplicate group right now.
        QList<QPair<FilePath, FileStamp>> kept;
        for (const CleanupFile& file : category.files)
            if (!file.isSelected && file.stamp)
                kept.push_back({file.url, *file.stamp});
        for (const CleanupFile& file : category.files) {
            if (!file.isSelected)
                continue;
            RemovalTarget main;
            main.path = file.url;
            main.scanSize = file.ownSize();
            main.expected = file.stamp;
            main.packageId = file.packageId;
            if (file.stamp)
                main.keptCopies = kept;
            add(std::move(main));
            for (qsizetype i = 0; i < file.extraURLs.size(); ++i) {
                RemovalTarget extra;
                extra.path = file.extraURLs[i];
                extra.scanSize = file.extraSizes.value(i, 0);
                extra.packageLeftover = !file.packageId.isEmpty();
                add(std::move(extra));
            }
        }
    }
    return targets;
}

QList<bool> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style)
{
    QList<bool> result(targets.size(), false);
    if (targets.isEmpty())
        return result;
    const Rules rules = currentRules();
    QSet<FilePath> tried;
    bool packageStays = false; // the last package uninstall failed: its data stays with it
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const std::optional<Components> parts = components(targets[i].path);
        if (!parts)
            continue;
        const FilePath key = joined(*parts);
        if (tried.contains(key))
            continue; // listed again: the first attempt was the one
        tried.insert(key);
        if (!targets[i].packageId.isEmpty()) {
            result[i] = uninstallFlatpak(targets[i].packageId, key);
            packageStays = !result[i];
            continue;
        }
        if (targets[i].packageLeftover && packageStays)
            continue;
        result[i] = removeOne(targets[i], *parts, style, rules);
    }
    return result;
}

QList<bool> removeItems(const FilePaths& paths, RemovalStyle style)
{
    QList<RemovalTarget> targets;
    targets.reserve(paths.size());
    for (const FilePath& path : paths) {
        RemovalTarget target;
        target.path = path;
        targets.push_back(target);
    }
    return removeItems(targets, style);
}

qint64 freedBytes(const QList<RemovalTarget>& targets, const QList<bool>& removed)
{
    // A location inside another removed location was counted in that one's scan size.
    QSet<FilePath> gone;
    for (qsizetype i = 0; i < targets.size() && i < removed.size(); ++i)
        if (removed[i])
            if (const auto parts = components(targets[i].path))
                gone.insert(joined(*parts));
    qint64 sum = 0;
    for (qsizetype i = 0; i < targets.size() && i < removed.size(); ++i) {
        if (!removed[i])
            continue;
        const std::optional<Components> parts = components(targets[i].path);
        if (!parts)
            continue;
        bool inside = false;
        for (qsizetype n = parts->size() - 1; n > 0 && !inside; --n)
            inside = gone.contains(joined(parts->first(n)));
        if (!inside)
            sum += targets[i].scanSize;
    }
    return sum;
}

} // namespace orvane
