// Removal of the chosen locations. Every location is checked before anything is touched:
// it must be an absolute, plain path strictly inside the home folder or an Applications
// folder, not a Trash folder, reachable without passing through a symbolic link, and, for a
// duplicate copy, still the file the scan saw while its kept copies still exist unchanged.
//
// Deleting a folder for good walks its tree once, fd-relative, without following a link and
// without leaving the chosen item's mounted file system: each folder is listed once (twice when
// something appeared in it meanwhile), whatever stays inside stays once and blocks only its own
// ancestors, and the walk holds a bounded number of descriptors: a folder closed to stay within
// the bound is reopened through its child's "..", checked to be the same folder.
// Moving to the Trash first walks the tree the same way, without touching it, to make sure no
// other file system lies inside (emptying the Trash would delete it), then renames the item from
// the descriptor of the folder that was checked (platform/trash): no path is looked up again.
// A Trash's info file goes only while its entry is absent (an entry that stays keeps it).

#include "removal.h"
#include "removal_p.h"

#include "byte_format.h"
#include "file_id.h"
#include "flatpak.h"
#include "localization_manager.h"
#include "mount_table.h"
#include "paths.h"
#include "trash.h"

#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

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

} // namespace

struct RemovalRules {
    Components home;
    Components applications{QByteArray("Applications")};
    Components homeApplications;
    QList<Components> trashFolders; // the home Trash and its own folders
    QList<Components> userMedia;    // /media/$USER and /run/media/$USER: the user's own volumes
    QByteArray uid;
};

namespace {

using Rules = RemovalRules;

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
    rules.uid = QByteArray::number(quint64(::getuid()));
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_name && *user->pw_name) {
        rules.userMedia.push_back(Components{"media", user->pw_name});
        rules.userMedia.push_back(Components{"run", "media", user->pw_name});
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

// Something already in a Trash: moving it there again would free nothing.
bool insideTrash(const Components& parts, const Rules& rules)
{
    for (qsizetype n = parts.size() - 1; n > 0; --n)
        if (isTrashFolder(parts.first(n), rules))
            return true;
    return false;
}

// An entry of files/ or info/ of the Trash of one of the user's own volumes:
// /media/$USER/VOLUME/.Trash-$uid/files/ENTRY or /media/$USER/VOLUME/.Trash/$uid/info/ENTRY.
bool volumeTrashEntry(const Components& parts, const Rules& rules)
{
    for (const Components& media : rules.userMedia) {
        if (!strictlyInside(parts, media))
            continue;
        const Components rest = parts.mid(media.size()); // VOLUME, Trash…, files|info, ENTRY
        if (rest.size() == 4 && rest[1] == ".Trash-" + rules.uid)
            return rest[2] == "files" || rest[2] == "info";
        if (rest.size() == 5 && rest[1] == ".Trash" && rest[2] == rules.uid)
            return rest[3] == "files" || rest[3] == "info";
    }
    return false;
}

bool allowed(const Components& parts, const Rules& rules)
{
    if (isTrashFolder(parts, rules))
        return false;
    if (volumeTrashEntry(parts, rules))
        return true;
    if (strictlyInside(parts, rules.applications))
        return true;
    // A home of "/" would make everything "inside" it.
    if (rules.home.isEmpty() || parts == rules.homeApplications)
        return false;
    return strictlyInside(parts, rules.home);
}

RemovalReason reasonOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return RemovalReason::noPermission;
    case EBUSY:
    case ETXTBSY: return RemovalReason::inUse;
    case EROFS: return RemovalReason::readOnlyDisk;
    case ENOENT: return RemovalReason::gone;
    case ELOOP:
    case ENOTDIR: return RemovalReason::changed;
    case EXDEV: return RemovalReason::otherDisk;
    default: return RemovalReason::failed;
    }
}

// Refused with EPERM while the entry or its folder carries the immutable or append-only flag
// (chattr +i, +a): no permission would change that.
bool lockedAt(int parentFd, const char* name)
{
    constexpr quint64 locked = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    struct statx st{};
    if (::statx(parentFd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, 0, &st) == 0 && (st.stx_attributes & locked))
        return true;
    return ::statx(parentFd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, 0, &st) == 0 && (st.stx_attributes & locked);
}

// Why unlinking or moving `name` of `parentFd` failed with `error`.
RemovalReason refusalAt(int error, int parentFd, const char* name)
{
    return error == EPERM && lockedAt(parentFd, name) ? RemovalReason::immutable : reasonOf(error);
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The folder holding the item, opened component by component from "/" without following any
// link, so the path means exactly what it says. -1 (errno set) when that is not possible.
int openParent(const Components& parts)
{
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype i = 0; fd >= 0 && i + 1 < parts.size(); ++i) {
        const int next = ::openat(fd, parts[i].constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(fd);
        fd = next;
        errno = error;
    }
    return fd;
}

struct EntryInfo {
    mode_t mode = 0;
    quint64 device = 0;
    quint64 inode = 0;
    quint64 mountId = 0;
    bool hasMountId = false;
    qint64 size = 0;
    qint64 allocated = 0; // the disk space it takes
    quint64 links = 1;
};

std::optional<EntryInfo> statxInfo(int dirFd, const char* name, int flags)
{
    struct statx stx;
    const unsigned mask = STATX_TYPE | STATX_INO | STATX_SIZE | STATX_BLOCKS | STATX_NLINK | STATX_MNT_ID;
    if (::statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &stx) != 0)
        return std::nullopt;
    EntryInfo info;
    info.mode = stx.stx_mode;
    info.device = (quint64(stx.stx_dev_major) << 32) | stx.stx_dev_minor;
    info.inode = stx.stx_ino;
    info.hasMountId = (stx.stx_mask & STATX_MNT_ID) != 0;
    info.mountId = stx.stx_mnt_id;
    info.size = qint64(stx.stx_size);
    info.allocated = qint64(stx.stx_blocks) * 512;
    info.links = stx.stx_nlink;
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

bool sameItem(const EntryInfo& a, const EntryInfo& b)
{
    return a.device == b.device && a.inode == b.inode;
}

// Same mounted file system: same device, and the same mount where the kernel tells it (a bind
// mount of a folder of the same device is another mount).
bool sameMount(const EntryInfo& a, const EntryInfo& b)
{
    if (a.device != b.device)
        return false;
    return !(a.hasMountId && b.hasMountId) || a.mountId == b.mountId;
}

// A file with several links met on its way to the Trash; it counts once all its links went.
struct LinkedFile {
    FileId id;
    quint64 links;
    qint64 size;
};

// What one removal call shares between its targets.
struct Run {
    Rules rules;
    const removal::Options& options;
    std::unordered_map<FileId, quint64, FileIdHash> linksTrashed;
    std::optional<QList<QByteArray>> mountPoints; // read when first needed

    void noteOpen(int open)
    {
        if (options.stats && open > options.stats->mostOpenFolders)
            options.stats->mostOpenFolders = open;
    }
};

const QList<QByteArray>& mountPoints(Run& run)
{
    if (!run.mountPoints) {
        run.mountPoints.emplace();
        for (const MountEntry& mount : mountTable())
            run.mountPoints->push_back(mount.point);
    }
    return *run.mountPoints;
}

// A file system mounted somewhere below `path`, as the kernel lists them; it also sees mounts
// behind folders that cannot be read.
bool mountBelow(const FilePath& path, Run& run)
{
    const QByteArray prefix = path + '/';
    for (const QByteArray& mountPoint : mountPoints(run))
        if (mountPoint.startsWith(prefix))
            return true;
    return false;
}

// One walk of a folder's tree, deleting it (for good) or only looking at it (before the Trash).
// Iterative, depth-first; every folder is listed whole when entered: its other entries are
// handled at once, its sub-folders remembered by name and entered one after the other.
class TreeWalk
{
public:
    enum class Mode { remove, inspect };

    TreeWalk(Mode mode, Run& run)
        : m_removing(mode == Mode::remove)
        , m_run(run)
        , m_buffer(64 * 1024)
    {
    }

    // Walks the folder `name` of `parentFd`, which must be `top` (looked up just before).
    void walk(int parentFd, const QByteArray& name, const EntryInfo& top)
    {
        m_top = top;
        m_topParent = parentFd;
        const int fd = ::openat(parentFd, name.constData(), kFolderFlags);
        if (fd < 0) {
            fail(reasonOf(errno));
            return;
        }
        const std::optional<EntryInfo> self = selfInfo(fd);
        if (!self || !S_ISDIR(self->mode) || !sameItem(*self, top)) {
            ::close(fd);
            fail(RemovalReason::changed);
            return;
        }
        push(fd, name, *self);
        while (!m_levels.empty() && !m_stopped) {
            Level& level = m_levels.back();
            if (level.next < level.subFolders.size()) {
                const size_t index = m_levels.size() - 1;
                const uint32_t offset = level.subFolders[level.next++];
                enter(index, QByteArray(level.names.data() + offset));
            } else {
                finish();
            }
        }
        for (Level& level : m_levels)
            closeLevel(level);
        m_levels.clear();
    }

    bool topGone = false;
    bool otherDiskInside = false;
    qint64 freed = 0;          // removing: disk space of what went (files with their last link)
    qint64 stayed = 0;         // removing: bytes of the files that stayed
    qint64 entriesRemoved = 0; // removing: entries below the top that went
    qint64 bytes = 0;          // inspecting: bytes of the files with one link
    std::vector<LinkedFile> linked; // inspecting: files with several links
    RemovalReason reason = RemovalReason::none; // the first thing that stayed, and why

private:
    struct Level {
        QByteArray name; // in its parent (for the top: the target's own name)
        int fd = -1;     // -1 while closed to stay within the descriptor budget
        EntryInfo self;
        std::string names; // NUL-separated names of its sub-folders
        std::vector<uint32_t> subFolders;
        size_t next = 0;
        int reads = 0;
        bool blocked = false; // something below stays, so this folder stays
    };

    void fail(RemovalReason why)
    {
        if (reason == RemovalReason::none)
            reason = why;
    }

    void block(size_t index, RemovalReason why)
    {
        m_levels[index].blocked = true;
        fail(why);
    }

    // A change under the walk that leaves no sure way on: the rest of this tree stays.
    void stop(RemovalReason why)
    {
        fail(why);
        for (Level& level : m_levels)
            level.blocked = true;
        m_stopped = true;
    }

    void closeLevel(Level& level)
    {
        if (level.fd >= 0) {
            ::close(level.fd);
            level.fd = -1;
            --m_open;
        }
    }

    void push(int fd, const QByteArray& name, const EntryInfo& self)
    {
        // A folder of the chosen item that its owner made read-only (Go's module cache) is made
        // writable so its entries can go: only folders of the item itself, never its parent.
        if (m_removing && (self.mode & S_IRWXU) != S_IRWXU)
            (void)::fchmod(fd, (self.mode & 07777) | S_IRWXU);
        // Within budget: the shallowest open folder is closed, to be reopened when needed.
        if (m_open + 1 > std::max(2, m_run.options.maxOpenFolders)) {
            for (size_t i = m_firstMaybeOpen; i < m_levels.size(); ++i) {
                if (m_levels[i].fd >= 0) {
                    closeLevel(m_levels[i]);
                    m_firstMaybeOpen = i + 1;
                    break;
                }
            }
        }
        Level level;
        level.name = name;
        level.fd = fd;
        level.self = self;
        m_levels.push_back(std::move(level));
        ++m_open;
        m_run.noteOpen(m_open);
        if (m_run.options.stats)
            ++m_run.options.stats->foldersEntered;
        read(m_levels.size() - 1);
    }

    // Lists the folder at `index` whole: its sub-folders are remembered, everything else is
    // handled at once.
    void read(size_t index)
    {
        Level& level = m_levels[index];
        ++level.reads;
        if (m_run.options.stats)
            ++m_run.options.stats->folderReads;
        level.names.clear();
        level.subFolders.clear();
        level.next = 0;
        if (::lseek(level.fd, 0, SEEK_SET) < 0) {
            block(index, reasonOf(errno));
            return;
        }
        // All names first: entries are then removed without disturbing the listing.
        m_entryNames.clear();
        m_entryTypes.clear();
        std::vector<uint32_t> offsets;
        for (;;) {
            const ssize_t n = ::getdents64(level.fd, m_buffer.data(), m_buffer.size());
            if (n < 0) {
                block(index, reasonOf(errno));
                break;
            }
            if (n == 0)
                break;
            for (ssize_t pos = 0; pos < n;) {
                const auto* entry = reinterpret_cast<const dirent64*>(m_buffer.data() + pos);
                pos += entry->d_reclen;
                const char* entryName = entry->d_name;
                if (entryName[0] == '.' && (entryName[1] == '\0' || (entryName[1] == '.' && entryName[2] == '\0')))
                    continue;
                offsets.push_back(uint32_t(m_entryNames.size()));
                m_entryTypes.push_back(entry->d_type);
                m_entryNames.append(entryName, std::strlen(entryName) + 1);
            }
        }
        for (size_t i = 0; i < offsets.size(); ++i) {
            const char* entryName = m_entryNames.data() + offsets[i];
            if (m_entryTypes[i] == DT_DIR)
                remember(index, entryName);
            else
                other(index, entryName);
        }
    }

    void remember(size_t index, const char* name)
    {
        Level& level = m_levels[index];
        level.subFolders.push_back(uint32_t(level.names.size()));
        level.names.append(name, std::strlen(name) + 1);
    }

    // An entry that was not listed as a folder: a file, a link, a device node… (or a folder on
    // a file system that does not say).
    void other(size_t index, const char* name)
    {
        Level& level = m_levels[index];
        const std::optional<EntryInfo> info = entryInfo(level.fd, name);
        if (!info)
            return; // vanished meanwhile
        if (S_ISDIR(info->mode)) {
            remember(index, name);
            return;
        }
        if (!sameMount(*info, m_top)) { // a file mounted over a file
            otherDiskInside = true;
            block(index, RemovalReason::otherDisk);
            if (!m_removing)
                m_stopped = true;
            return;
        }
        if (!m_removing) {
            if (info->links > 1)
                linked.push_back({{info->device, info->inode}, info->links, info->size});
            else
                bytes += info->size;
            return;
        }
        if (::unlinkat(level.fd, name, 0) == 0) {
            ++entriesRemoved;
            // Another link elsewhere keeps the data: only the last link frees it.
            if (info->links <= 1)
                freed += info->allocated;
        } else if (errno != ENOENT) {
            block(index, refusalAt(errno, level.fd, name));
            stayed += info->size;
        }
    }

    void enter(size_t index, const QByteArray& name)
    {
        const int fd = ::openat(m_levels[index].fd, name.constData(), kFolderFlags);
        if (fd < 0) {
            const int error = errno;
            if (error == ENOENT)
                return; // vanished meanwhile
            if (error == ENOTDIR || error == ELOOP) {
                other(index, name.constData()); // no longer a folder: a file or a link now
                return;
            }
            block(index, reasonOf(error));
            return;
        }
        const std::optional<EntryInfo> self = selfInfo(fd);
        if (!self || !sameMount(*self, m_top)) {
            ::close(fd);
            if (self) {
                otherDiskInside = true;
                block(index, RemovalReason::otherDisk);
                if (!m_removing)
                    m_stopped = true; // one is enough to refuse
            } else {
                block(index, RemovalReason::failed);
            }
            return;
        }
        push(fd, name, *self);
    }

    // Makes sure the folder at `index` is open, reopening it through the ".." of the folder
    // below it, which must lead back to the very same folder.
    bool reopen(size_t index)
    {
        Level& level = m_levels[index];
        if (level.fd >= 0)
            return true;
        const int fd = ::openat(m_levels[index + 1].fd, "..", kFolderFlags);
        if (fd < 0)
            return false;
        const std::optional<EntryInfo> self = selfInfo(fd);
        if (!self || !sameItem(*self, level.self)) {
            ::close(fd);
            return false;
        }
        level.fd = fd;
        ++m_open;
        m_run.noteOpen(m_open);
        m_firstMaybeOpen = std::min(m_firstMaybeOpen, index);
        return true;
    }

    // Every entry of the deepest folder has been handled: delete it, or leave it when something
    // in it stays, and go back up.
    void finish()
    {
        const size_t index = m_levels.size() - 1;
        if (index > 0 && !reopen(index - 1)) {
            stop(RemovalReason::changed); // its parent moved away under the walk
            return;
        }
        Level& level = m_levels[index];
        if (m_removing && !level.blocked) {
            const int parentFd = index == 0 ? m_topParent : m_levels[index - 1].fd;
            if (::unlinkat(parentFd, level.name.constData(), AT_REMOVEDIR) == 0) {
                freed += level.self.allocated;
                if (index == 0)
                    topGone = true;
                else
                    ++entriesRemoved;
            } else if ((errno == ENOTEMPTY || errno == EEXIST) && level.reads < 2) {
                read(index); // something appeared meanwhile: one more look, then no more
                return;
            } else {
                const int error = errno;
                block(index, error == ENOTEMPTY || error == EEXIST ? RemovalReason::inUse
                                                                   : refusalAt(error, parentFd, level.name.constData()));
            }
        }
        const bool blocked = level.blocked;
        closeLevel(level);
        m_levels.pop_back();
        m_firstMaybeOpen = std::min(m_firstMaybeOpen, m_levels.size());
        if (blocked && !m_levels.empty())
            m_levels.back().blocked = true;
    }

    const bool m_removing;
    Run& m_run;
    EntryInfo m_top;
    int m_topParent = -1;
    std::vector<Level> m_levels;
    int m_open = 0;
    size_t m_firstMaybeOpen = 0; // every level below this one is closed
    bool m_stopped = false;
    std::vector<char> m_buffer;
    std::string m_entryNames;
    std::vector<unsigned char> m_entryTypes;
};

RemovalResult notRemoved(RemovalReason reason)
{
    RemovalResult result;
    result.reason = reason;
    return result;
}

RemovalResult removedForGood(qint64 bytes)
{
    RemovalResult result;
    result.outcome = RemovalOutcome::removed;
    result.freedBytes = bytes;
    result.forGood = true;
    return result;
}

RemovalResult notRemovedErrno(int error)
{
    return notRemoved(reasonOf(error));
}

// The entry whose record a Trash info file ".../info/ENTRY.trashinfo" is; none for anything else.
std::optional<QByteArray> trashEntryOf(const Components& parts, const Rules& rules)
{
    const qsizetype n = parts.size();
    const QByteArray suffix = ".trashinfo";
    if (n < 3 || parts[n - 2] != "info" || !isTrashFolder(parts.first(n - 1), rules) || !parts[n - 1].endsWith(suffix)
        || parts[n - 1].size() == suffix.size())
        return std::nullopt;
    return parts[n - 1].chopped(suffix.size());
}

// Whether the Trash whose info folder is `infoFd` holds `entry` in files/ (when in doubt, it does).
bool trashEntryPresent(int infoFd, const QByteArray& entry)
{
    const int trashFd = ::openat(infoFd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (trashFd < 0)
        return true;
    const int filesFd = ::openat(trashFd, "files", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int filesError = errno;
    ::close(trashFd);
    if (filesFd < 0)
        return filesError != ENOENT;
    struct stat st;
    const bool present = ::fstatat(filesFd, entry.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
    ::close(filesFd);
    return present;
}

bool keptCopyIntact(const FilePath& path, const FileStamp& expected, const FileStamp& target)
{
    // A kept "copy" that is the target's own inode would go with it.
    if (expected.device == target.device && expected.inode == target.inode)
        return false;
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && stampOf(st) == expected;
}

// The bytes a trashed item takes with it: its files with one link, and those of its files with
// several links whose every link has now gone to the Trash in this run.
qint64 bytesTrashed(qint64 single, const std::vector<LinkedFile>& linked, Run& run)
{
    qint64 sum = single;
    for (const LinkedFile& file : linked)
        if (++run.linksTrashed[file.id] == file.links)
            sum += file.size;
    return sum;
}

RemovalResult deleteForGood(int parentFd, const QByteArray& name, const EntryInfo& info, Run& run)
{
    RemovalResult result;
    result.forGood = true;
    if (!S_ISDIR(info.mode)) {
        if (::unlinkat(parentFd, name.constData(), 0) != 0)
            return notRemoved(refusalAt(errno, parentFd, name.constData()));
        result.outcome = RemovalOutcome::removed;
        result.freedBytes = info.links <= 1 ? info.allocated : 0;
        return result;
    }
    TreeWalk walk(TreeWalk::Mode::remove, run);
    walk.walk(parentFd, name, info);
    result.freedBytes = walk.freed;
    result.reason = walk.reason;
    if (walk.topGone) {
        result.outcome = RemovalOutcome::removed;
        result.reason = RemovalReason::none;
    } else if (walk.entriesRemoved > 0) {
        result.outcome = RemovalOutcome::partlyRemoved;
        result.stayedBytes = walk.stayed;
    }
    if (result.reason == RemovalReason::none && !walk.topGone)
        result.reason = RemovalReason::failed;
    return result;
}

RemovalResult moveItemToTrash(int parentFd, const QByteArray& name, const Components& parts, const EntryInfo& info,
                              Run& run)
{
    const FilePath path = joined(parts);
    qint64 single = 0;
    std::vector<LinkedFile> linked;
    if (S_ISDIR(info.mode)) {
        // Emptying the Trash would delete whatever another file system holds inside.
        if (mountBelow(path, run))
            return notRemoved(RemovalReason::otherDisk);
        TreeWalk walk(TreeWalk::Mode::inspect, run);
        walk.walk(parentFd, name, info);
        if (walk.otherDiskInside)
            return notRemoved(RemovalReason::otherDisk);
        if (walk.reason == RemovalReason::changed)
            return notRemoved(RemovalReason::changed);
        single = walk.bytes;
        linked = std::move(walk.linked);
    } else if (info.links > 1) {
        linked.push_back({{info.device, info.inode}, info.links, info.size});
    } else {
        single = info.size;
    }

    // From the folder checked above: a swap anywhere on the path since then changes nothing.
    std::function<void()> hook;
    if (run.options.beforeTrash)
        hook = [&] { run.options.beforeTrash(path); };
    switch (moveToTrashAt(parentFd, name, path, TrashIdentity{info.device, info.inode}, hook)) {
    case TrashFailure::none: break;
    case TrashFailure::gone: return notRemoved(RemovalReason::gone);
    case TrashFailure::noPermission: return notRemoved(refusalAt(EPERM, parentFd, name.constData()));
    case TrashFailure::readOnlyDisk: return notRemoved(RemovalReason::readOnlyDisk);
    case TrashFailure::noTrash: return notRemoved(RemovalReason::noTrash);
    case TrashFailure::noSpace: return notRemoved(RemovalReason::diskFull);
    case TrashFailure::changed: return notRemoved(RemovalReason::changed);
    case TrashFailure::other: return notRemoved(RemovalReason::failed);
    }
    RemovalResult result;
    result.outcome = RemovalOutcome::removed;
    result.freedBytes = bytesTrashed(single, linked, run);
    return result;
}

// One location of the file system. (Other kinds of location would get their own branch in
// removeItems.)
RemovalResult removeLocation(const RemovalTarget& target, const Components& parts, RemovalStyle style, Run& run)
{
    // An empty path is "/": refused here too, so a slip in the rules can never reach parts.last().
    if (parts.isEmpty() || !allowed(parts, run.rules))
        return notRemoved(RemovalReason::protectedLocation);
    const int parentFd = openParent(parts);
    if (parentFd < 0)
        return notRemovedErrno(errno);
    const QByteArray name = parts.last();
    const std::optional<EntryInfo> info = entryInfo(parentFd, name.constData());
    const int infoError = errno;
    const std::optional<EntryInfo> parentInfo = selfInfo(parentFd);
    RemovalResult result = [&] {
        if (!info)
            return notRemovedErrno(infoError);
        if (!parentInfo)
            return notRemoved(RemovalReason::failed);
        // A mount point is another file system: left alone.
        if (!sameMount(*info, *parentInfo))
            return notRemoved(RemovalReason::otherDisk);
        if (target.expected) {
            // Last line of defence: a copy that no other copy stays for would be its group's last.
            if (target.keptCopies.isEmpty())
                return notRemoved(RemovalReason::lastCopy);
            struct stat st;
            if (::fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
                || stampOf(st) != *target.expected)
                return notRemoved(RemovalReason::changed);
            for (const auto& [path, stamp] : target.keptCopies)
                if (!keptCopyIntact(path, stamp, *target.expected))
                    return notRemoved(RemovalReason::keptCopyChanged);
        }
        // A Trash entry's record goes only once the entry is wholly gone (an orphan goes at once).
        if (const std::optional<QByteArray> entry = trashEntryOf(parts, run.rules);
            entry && trashEntryPresent(parentFd, *entry))
            return notRemoved(RemovalReason::entryStays);
        if (style == RemovalStyle::permanent || insideTrash(parts, run.rules))
            return deleteForGood(parentFd, name, *info, run);
        return moveItemToTrash(parentFd, name, parts, *info, run);
    }();
    ::close(parentFd);
    return result;
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
        // Copies that stay: the unselected copies of a duplicate group right now, or its first
        // copy when every copy is selected.
        const qsizetype keptAnyway = category.keptCopy();
        QList<QPair<FilePath, FileStamp>> kept;
        for (qsizetype i = 0; i < category.files.size(); ++i) {
            const CleanupFile& file = category.files.at(i);
            if ((!file.isSelected || i == keptAnyway) && file.stamp)
                kept.push_back({file.url, *file.stamp});
        }
        for (qsizetype i = 0; i < category.files.size(); ++i) {
            const CleanupFile& file = category.files.at(i);
            if (!file.isSelected || i == keptAnyway)
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

FilePaths keptLastCopies(const QList<CleanupCategory>& categories)
{
    FilePaths kept;
    for (const CleanupCategory& category : categories)
        if (const qsizetype i = category.keptCopy(); i >= 0)
            kept.append(category.files.at(i).url);
    return kept;
}

namespace removal {

QList<RemovalResult> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style, const Options& options)
{
    QList<RemovalResult> results;
    results.reserve(targets.size());
    if (targets.isEmpty())
        return results;
    Run run{currentRules(), options, {}, {}};
    // Locations tried so far, with the index of their result.
    QHash<FilePath, qsizetype> tried;
    bool packageStays = false; // the last package uninstall failed: its data stays with it
    for (const RemovalTarget& target : targets) {
        const std::optional<Components> parts = components(target.path);
        if (!parts) {
            results.push_back(notRemoved(RemovalReason::protectedLocation));
            continue;
        }
        const FilePath key = joined(*parts);
        if (const auto earlier = tried.constFind(key); earlier != tried.cend()) {
            // Listed again: the first attempt was the one, and its bytes are counted there.
            RemovalResult same = results[*earlier];
            same.freedBytes = same.stayedBytes = 0;
            results.push_back(same);
            continue;
        }
        // Inside a location that went earlier in this run: it went with it.
        std::optional<qsizetype> container;
        for (qsizetype n = parts->size() - 1; n > 0 && !container; --n)
            if (const auto it = tried.constFind(joined(parts->first(n))); it != tried.cend()
                && results[*it].outcome != RemovalOutcome::notRemoved)
                container = *it;
        tried.insert(key, results.size());
        if (container && results[*container].gone()) {
            RemovalResult with;
            with.outcome = RemovalOutcome::removed;
            with.forGood = results[*container].forGood;
            results.push_back(with);
            continue;
        }
        if (!target.packageId.isEmpty()) {
            // Uninstalled by flatpak itself, for good; its data stays if the app does.
            packageStays = !uninstallFlatpakPackage(target.packageId, key);
            results.push_back(packageStays ? notRemoved(RemovalReason::failed) : removedForGood(target.scanSize));
            continue;
        }
        if (target.packageLeftover && packageStays) {
            results.push_back(notRemoved(RemovalReason::appStillInstalled));
            continue;
        }
        RemovalResult result = removeLocation(target, *parts, style, run);
        // Gone with the part of a folder that went.
        if (container && result.reason == RemovalReason::gone) {
            result = RemovalResult{};
            result.outcome = RemovalOutcome::removed;
            result.forGood = results[*container].forGood;
        }
        results.push_back(result);
    }
    return results;
}

} // namespace removal

QList<RemovalResult> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style)
{
    return removal::removeItems(targets, style, removal::Options{});
}

QList<RemovalResult> removeItems(const FilePaths& paths, RemovalStyle style)
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

qint64 freedBytes(const QList<RemovalResult>& results)
{
    qint64 sum = 0;
    for (const RemovalResult& result : results)
        sum += result.freedBytes;
    return sum;
}

qint64 diskFreedBytes(const QList<RemovalResult>& results)
{
    qint64 sum = 0;
    for (const RemovalResult& result : results)
        if (result.forGood)
            sum += result.freedBytes;
    return sum;
}

qint64 trashedBytes(const QList<RemovalResult>& results)
{
    return freedBytes(results) - diskFreedBytes(results);
}

InsideTrash::InsideTrash()
    : m_rules(std::make_shared<const RemovalRules>(currentRules()))
{
}

bool InsideTrash::operator()(const FilePath& path) const
{
    const std::optional<Components> parts = components(path);
    return parts && allowed(*parts, *m_rules) && insideTrash(*parts, *m_rules);
}

qint64 forGoodBytes(const RemovalTarget& target, RemovalStyle style, const InsideTrash& inTrash)
{
    const bool forGood = style == RemovalStyle::permanent || !target.packageId.isEmpty() || inTrash(target.path);
    return forGood ? target.scanSize : 0;
}

qint64 forGoodBytes(const QList<RemovalTarget>& targets, RemovalStyle style)
{
    const InsideTrash inTrash;
    qint64 sum = 0;
    for (const RemovalTarget& target : targets)
        sum += forGoodBytes(target, style, inTrash);
    return sum;
}

QString removalReasonName(RemovalReason reason)
{
    switch (reason) {
    case RemovalReason::none: return {};
    case RemovalReason::gone: return QStringLiteral("gone");
    case RemovalReason::changed: return QStringLiteral("changed");
    case RemovalReason::keptCopyChanged: return QStringLiteral("keptCopyChanged");
    case RemovalReason::lastCopy: return QStringLiteral("lastCopy");
    case RemovalReason::otherDisk: return QStringLiteral("otherDisk");
    case RemovalReason::noPermission: return QStringLiteral("noPermission");
    case RemovalReason::immutable: return QStringLiteral("immutable");
    case RemovalReason::inUse: return QStringLiteral("inUse");
    case RemovalReason::readOnlyDisk: return QStringLiteral("readOnlyDisk");
    case RemovalReason::protectedLocation: return QStringLiteral("protected");
    case RemovalReason::noTrash: return QStringLiteral("noTrash");
    case RemovalReason::failed: return QStringLiteral("failed");
    case RemovalReason::appStillInstalled: return QStringLiteral("appStillInstalled");
    case RemovalReason::diskFull: return QStringLiteral("diskFull");
    case RemovalReason::entryStays: return QStringLiteral("entryStays");
    }
    return {};
}

QString removalReasonText(RemovalReason reason)
{
    const QString name = removalReasonName(reason);
    return name.isEmpty() ? QString() : t(QStringLiteral("reason.") + name);
}

QString removalDoneText(RemovalStyle style, const QList<RemovalResult>& results)
{
    qint64 trashed = 0;
    qint64 deleted = 0;
    for (const RemovalResult& result : results)
        (result.forGood ? deleted : trashed) += result.freedBytes;
    if (style == RemovalStyle::permanent || (trashed == 0 && deleted > 0))
        return t(QStringLiteral("done.freed"), {formatBytes(trashed + deleted)});
    if (deleted == 0)
        return t(QStringLiteral("done.movedToTrash"), {formatBytes(trashed)});
    return t(QStringLiteral("done.movedAndFreed"), {formatBytes(trashed), formatBytes(deleted)});
}

QString removalStayedLine(const QString& name, const RemovalResult& result)
{
    switch (result.outcome) {
    case RemovalOutcome::removed: return {};
    case RemovalOutcome::partlyRemoved:
        // Nothing counted stayed when what stays lies on another disk.
        if (result.stayedBytes <= 0)
            return t(QStringLiteral("done.partlyRemovedOnly"), {name, removalReasonText(result.reason)});
        return t(QStringLiteral("done.partlyRemoved"),
                 {name, formatBytes(result.stayedBytes), removalReasonText(result.reason)});
    case RemovalOutcome::notRemoved:
        return t(QStringLiteral("done.notRemoved"), {name, removalReasonText(result.reason)});
    }
    return {};
}

} // namespace orvane
