// The freedesktop.org Trash, done by hand so the move can start from a folder descriptor that was
// checked before: no path is looked up again between the check and the rename.

#include "trash.h"

#include "base_dirs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <utility>

namespace orvane {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f)
        : fd(f)
    {
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& o) noexcept
        : fd(std::exchange(o.fd, -1))
    {
    }
    Fd& operator=(Fd&& o) noexcept
    {
        if (this != &o) {
            reset();
            fd = std::exchange(o.fd, -1);
        }
        return *this;
    }
    ~Fd() { reset(); }
    void reset()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    bool ok() const { return fd >= 0; }
};

struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
    quint64 mount = 0;
    bool hasMount = false;
    mode_t mode = 0;
    uid_t owner = 0;
};

std::optional<Identity> identity(int dirFd, const char* name, int flags = 0)
{
    struct statx stx;
    if (::statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_TYPE | STATX_MODE | STATX_INO | STATX_UID | STATX_MNT_ID, &stx)
        != 0)
        return std::nullopt;
    Identity id;
    id.device = (quint64(stx.stx_dev_major) << 32) | stx.stx_dev_minor;
    id.inode = stx.stx_ino;
    id.hasMount = (stx.stx_mask & STATX_MNT_ID) != 0;
    id.mount = stx.stx_mnt_id;
    id.mode = stx.stx_mode;
    id.owner = stx.stx_uid;
    return id;
}

std::optional<Identity> selfIdentity(int fd)
{
    return identity(fd, "", AT_EMPTY_PATH);
}

bool sameItem(const Identity& a, const Identity& b)
{
    return a.device == b.device && a.inode == b.inode;
}

// A rename works only within one mount (a bind mount of the same disk is another one).
bool sameMount(const Identity& a, const Identity& b)
{
    return a.device == b.device && (!(a.hasMount && b.hasMount) || a.mount == b.mount);
}

TrashFailure failureOf(int error)
{
    switch (error) {
    case ENOENT: return TrashFailure::gone;
    case EACCES:
    case EPERM: return TrashFailure::noPermission;
    case EROFS: return TrashFailure::readOnlyDisk;
    case ENOSPC:
    case EDQUOT: return TrashFailure::noSpace;
    case ELOOP:
    case ENOTDIR: return TrashFailure::changed;
    case EXDEV:
    case ENAMETOOLONG:
    case ENOTSUP: return TrashFailure::noTrash;
    default: return TrashFailure::other;
    }
}

// A Trash folder that cannot be had: the disk's state where it says something, else no Trash.
TrashFailure setupFailure(int error)
{
    switch (error) {
    case EROFS: return TrashFailure::readOnlyDisk;
    case ENOSPC:
    case EDQUOT: return TrashFailure::noSpace;
    default: return TrashFailure::noTrash;
    }
}

// The folder `name` of `dirFd`, made (mode 0700) when missing, never through a link. With
// `ownOnly` it must be the user's and writable by no one else, as a volume's Trash must be.
Fd folder(int dirFd, const char* name, bool ownOnly)
{
    if (::mkdirat(dirFd, name, 0700) != 0 && errno != EEXIST)
        return Fd();
    Fd fd(::openat(dirFd, name, kFolderFlags));
    if (!fd.ok() || !ownOnly)
        return fd;
    const std::optional<Identity> self = selfIdentity(fd.fd);
    if (!self || self->owner != ::getuid() || (self->mode & (S_IWGRP | S_IWOTH))) {
        errno = EACCES;
        return Fd();
    }
    return fd;
}

// The data home, made when missing (as the home Trash is). Its own path may hold links: it is the
// user's setting.
Fd dataHome()
{
    const FilePath data = baseDirs().data;
    if (!data.startsWith('/'))
        return Fd();
    Fd fd(::open(data.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.ok() || errno != ENOENT)
        return fd;
    for (qsizetype at = data.indexOf('/', 1); at != -1; at = data.indexOf('/', at + 1))
        ::mkdir(data.left(at).constData(), 0700);
    ::mkdir(data.constData(), 0700);
    return Fd(::open(data.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// The root folder of the mount holding `folderFd`, reached through ".." (no path involved), and
// how many levels up it is.
std::optional<std::pair<Fd, int>> topOf(int folderFd)
{
    Fd current(::openat(folderFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::optional<Identity> self = current.ok() ? selfIdentity(current.fd) : std::nullopt;
    if (!self)
        return std::nullopt;
    for (int levels = 0; levels < 4096; ++levels) {
        Fd up(::openat(current.fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        const std::optional<Identity> above = up.ok() ? selfIdentity(up.fd) : std::nullopt;
        if (!above)
            return std::nullopt;
        if (sameItem(*above, *self) || !sameMount(*above, *self))
            return std::pair<Fd, int>{std::move(current), levels};
        current = std::move(up);
        self = above;
    }
    return std::nullopt;
}

struct Place {
    Fd trash;
    int levelsToTop = -1; // a volume's Trash: how far above the item's folder its top is
};

// The Trash for an item on the mount of `item`, which lies in `parentFd`.
std::optional<Place> trashFor(int parentFd, const Identity& item, TrashFailure& failure)
{
    Fd data = dataHome();
    if (data.ok()) {
        // The home Trash, when it (or the data home, before it exists) is on the item's mount.
        std::optional<Identity> ref = identity(data.fd, "Trash");
        if (!ref)
            ref = selfIdentity(data.fd);
        if (ref && sameMount(*ref, item)) {
            Place place;
            place.trash = folder(data.fd, "Trash", false);
            if (!place.trash.ok()) {
                failure = setupFailure(errno);
                return std::nullopt;
            }
            return place;
        }
    }
    std::optional<std::pair<Fd, int>> top = topOf(parentFd);
    if (!top) {
        failure = TrashFailure::noTrash;
        return std::nullopt;
    }
    const QByteArray uid = QByteArray::number(quint64(::getuid()));
    Place place;
    place.levelsToTop = top->second;
    // $topdir/.Trash/$uid when .Trash is a sticky folder (not a link); never made by us.
    Fd shared(::openat(top->first.fd, ".Trash", kFolderFlags));
    const std::optional<Identity> sharedId = shared.ok() ? selfIdentity(shared.fd) : std::nullopt;
    if (sharedId && S_ISDIR(sharedId->mode) && (sharedId->mode & S_ISVTX))
        place.trash = folder(shared.fd, uid.constData(), true);
    if (!place.trash.ok())
        place.trash = folder(top->first.fd, (".Trash-" + uid).constData(), true);
    if (!place.trash.ok()) {
        failure = setupFailure(errno);
        return std::nullopt;
    }
    return place;
}

// "name.2.ext", "name.3.ext"… for the n-th try (the first is the name itself).
QByteArray candidate(const QByteArray& name, int n)
{
    if (n == 0)
        return name;
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray number = '.' + QByteArray::number(n + 1);
    return dot > 0 ? name.left(dot) + number + name.mid(dot) : name + number;
}

QByteArray infoText(const FilePath& recorded)
{
    char date[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + recorded.toPercentEncoding("/") + "\nDeletionDate=" + date + '\n';
}

// Writes the whole text, synced and closed; errno tells why not.
bool writeWhole(int fd, const QByteArray& text)
{
    for (qsizetype done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.constData() + done, size_t(text.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        done += n;
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    return ::close(fd) == 0;
}

int renameNoReplace(int fromFd, const char* from, int toFd, const char* to)
{
    if (::renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return -1;
    // A file system without the flag: no entry of that name may be there.
    struct stat st;
    if (::fstatat(toFd, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(fromFd, from, toFd, to);
}

// What the info file records: the absolute path, or for a volume's Trash the path below its top.
FilePath recordedPath(const FilePath& original, int levelsToTop)
{
    if (levelsToTop < 0)
        return original;
    const QList<QByteArray> parts = original.split('/');
    // "/a/b/name" splits into "", "a", "b", "name": the item's folder is `levelsToTop` above the top.
    const qsizetype keep = levelsToTop + 1;
    if (parts.size() - 1 < keep)
        return original;
    return parts.mid(parts.size() - keep).join('/');
}

} // namespace

TrashFailure moveToTrashAt(int parentFd, const QByteArray& name, const FilePath& originalPath,
                           std::optional<TrashIdentity> expected, const std::function<void()>& beforeRename)
{
    const std::optional<Identity> item = identity(parentFd, name.constData());
    if (!item)
        return failureOf(errno);
    if (expected && (expected->device != item->device || expected->inode != item->inode))
        return TrashFailure::changed;
    TrashFailure failure = TrashFailure::noTrash;
    const std::optional<Place> place = trashFor(parentFd, *item, failure);
    if (!place)
        return failure;
    const Fd files = folder(place->trash.fd, "files", false);
    const Fd info = files.ok() ? folder(place->trash.fd, "info", false) : Fd();
    if (!files.ok() || !info.ok())
        return setupFailure(errno);
    const QByteArray text = infoText(recordedPath(originalPath, place->levelsToTop));

    bool hookRan = false;
    for (int n = 0; n < 10000; ++n) {
        const QByteArray entry = candidate(name, n);
        const QByteArray infoName = entry + ".trashinfo";
        if (infoName.size() > NAME_MAX)
            return TrashFailure::noTrash;
        // The info file first, so an interrupted move leaves at worst an info file without entry.
        const int fd = ::openat(info.fd, infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return setupFailure(errno);
        }
        if (!writeWhole(fd, text)) {
            const int error = errno;
            ::unlinkat(info.fd, infoName.constData(), 0);
            return failureOf(error);
        }
        if (beforeRename && !hookRan) {
            hookRan = true;
            beforeRename();
        }
        if (renameNoReplace(parentFd, name.constData(), files.fd, entry.constData()) != 0) {
            const int error = errno;
            ::unlinkat(info.fd, infoName.constData(), 0);
            if (error == EEXIST || error == ENOTEMPTY)
                continue; // an entry of that name without its info file
            return failureOf(error);
        }
        // Only the checked item may stay there; anything swapped in goes back where it was.
        const std::optional<Identity> moved = identity(files.fd, entry.constData());
        if (moved && !sameItem(*moved, *item)) {
            if (renameNoReplace(files.fd, entry.constData(), parentFd, name.constData()) == 0)
                ::unlinkat(info.fd, infoName.constData(), 0);
            return TrashFailure::changed;
        }
        return TrashFailure::none;
    }
    return TrashFailure::other;
}

bool moveToTrash(const FilePath& path, QString* error, TrashFailure* failure)
{
    TrashFailure result = TrashFailure::gone;
    const QList<QByteArray> parts = path.split('/');
    bool plain = path.startsWith('/') && parts.size() >= 2 && !parts.last().isEmpty();
    for (const QByteArray& part : parts.mid(1))
        plain = plain && !part.isEmpty() && part != "." && part != "..";
    if (!plain) {
        result = TrashFailure::other;
    } else {
        Fd folderFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        for (qsizetype i = 1; folderFd.ok() && i + 1 < parts.size(); ++i)
            folderFd = Fd(::openat(folderFd.fd, parts[i].constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        result = folderFd.ok() ? moveToTrashAt(folderFd.fd, parts.last(), path) : failureOf(errno);
    }
    if (failure)
        *failure = result;
    if (result != TrashFailure::none && error)
        *error = QStringLiteral("could not move %1 to the Trash").arg(QString::fromLocal8Bit(path));
    return result == TrashFailure::none;
}

} // namespace orvane
