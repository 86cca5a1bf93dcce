// The freedesktop.org Trash, done by hand so the move can start from a folder descriptor that was
// checked before: no path is looked up again between the check and the rename.

#include "trash.h"

#include "base_dirs.h"
#include "file_entry.h"

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

using fs::UniqueFd;

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
UniqueFd folder(int dirFd, const char* name, bool ownOnly)
{
    if (::mkdirat(dirFd, name, 0700) != 0 && errno != EEXIST)
        return UniqueFd();
    UniqueFd fd(::openat(dirFd, name, fs::kFolderFlags));
    if (!fd.ok() || !ownOnly)
        return fd;
    const std::optional<fs::Entry> self = fs::entryOf(fd.get());
    if (!self || self->owner != ::getuid() || (self->mode & (S_IWGRP | S_IWOTH))) {
        errno = EACCES;
        return UniqueFd();
    }
    return fd;
}

// The data home, made when missing (as the home Trash is). Its own path may hold links: it is the
// user's setting.
UniqueFd dataHome()
{
    const FilePath data = baseDirs().data;
    if (!data.startsWith('/'))
        return UniqueFd();
    UniqueFd fd(::open(data.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.ok() || errno != ENOENT)
        return fd;
    for (qsizetype at = data.indexOf('/', 1); at != -1; at = data.indexOf('/', at + 1))
        ::mkdir(data.left(at).constData(), 0700);
    ::mkdir(data.constData(), 0700);
    return UniqueFd(::open(data.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// The root folder of the mount holding `folderFd`, reached through ".." (no path involved), and
// how many levels up it is.
std::optional<std::pair<UniqueFd, int>> topOf(int folderFd)
{
    UniqueFd current(::openat(folderFd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::optional<fs::Entry> self = current.ok() ? fs::entryOf(current.get()) : std::nullopt;
    if (!self)
        return std::nullopt;
    for (int levels = 0; levels < 4096; ++levels) {
        UniqueFd up(::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        const std::optional<fs::Entry> above = up.ok() ? fs::entryOf(up.get()) : std::nullopt;
        if (!above)
            return std::nullopt;
        if (fs::sameFile(*above, *self) || !fs::sameMount(*above, *self))
            return std::pair<UniqueFd, int>{std::move(current), levels};
        current = std::move(up);
        self = above;
    }
    return std::nullopt;
}

struct Place {
    UniqueFd trash;
    int levelsToTop = -1; // a volume's Trash: how far above the item's folder its top is
};

// The Trash for an item on the mount of `item`, which lies in `parentFd`.
std::optional<Place> trashFor(int parentFd, const fs::Entry& item, TrashFailure& failure)
{
    UniqueFd data = dataHome();
    if (data.ok()) {
        // The home Trash, when it (or the data home, before it exists) is on the item's mount.
        std::optional<fs::Entry> ref = fs::entryAt(data.get(), "Trash");
        if (!ref)
            ref = fs::entryOf(data.get());
        if (ref && fs::sameMount(*ref, item)) {
            Place place;
            place.trash = folder(data.get(), "Trash", false);
            if (!place.trash.ok()) {
                failure = setupFailure(errno);
                return std::nullopt;
            }
            return place;
        }
    }
    std::optional<std::pair<UniqueFd, int>> top = topOf(parentFd);
    if (!top) {
        failure = TrashFailure::noTrash;
        return std::nullopt;
    }
    const QByteArray uid = QByteArray::number(quint64(::getuid()));
    Place place;
    place.levelsToTop = top->second;
    // $topdir/.Trash/$uid when .Trash is a sticky folder (not a link); never made by us.
    UniqueFd shared(::openat(top->first.get(), ".Trash", fs::kFolderFlags));
    const std::optional<fs::Entry> sharedId = shared.ok() ? fs::entryOf(shared.get()) : std::nullopt;
    if (sharedId && S_ISDIR(sharedId->mode) && (sharedId->mode & S_ISVTX))
        place.trash = folder(shared.get(), uid.constData(), true);
    if (!place.trash.ok())
        place.trash = folder(top->first.get(), (".Trash-" + uid).constData(), true);
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
                           std::optional<fs::FileId> expected, const std::function<void()>& beforeRename)
{
    const std::optional<fs::Entry> item = fs::entryAt(parentFd, name.constData());
    if (!item)
        return failureOf(errno);
    if (expected && *expected != item->id)
        return TrashFailure::changed;
    TrashFailure failure = TrashFailure::noTrash;
    const std::optional<Place> place = trashFor(parentFd, *item, failure);
    if (!place)
        return failure;
    const UniqueFd files = folder(place->trash.get(), "files", false);
    const UniqueFd info = files.ok() ? folder(place->trash.get(), "info", false) : UniqueFd();
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
        const int fd = ::openat(info.get(), infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return setupFailure(errno);
        }
        if (!writeWhole(fd, text)) {
            const int error = errno;
            ::unlinkat(info.get(), infoName.constData(), 0);
            return failureOf(error);
        }
        if (beforeRename && !hookRan) {
            hookRan = true;
            beforeRename();
        }
        if (renameNoReplace(parentFd, name.constData(), files.get(), entry.constData()) != 0) {
            const int error = errno;
            ::unlinkat(info.get(), infoName.constData(), 0);
            if (error == EEXIST || error == ENOTEMPTY)
                continue; // an entry of that name without its info file
            return failureOf(error);
        }
        // Only the checked item may stay there; anything swapped in goes back where it was.
        const std::optional<fs::Entry> moved = fs::entryAt(files.get(), entry.constData());
        if (moved && !fs::sameFile(*moved, *item)) {
            if (renameNoReplace(files.get(), entry.constData(), parentFd, name.constData()) == 0)
                ::unlinkat(info.get(), infoName.constData(), 0);
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
        const UniqueFd folderFd(fs::openParentFolder(parts.mid(1)));
        result = folderFd.ok() ? moveToTrashAt(folderFd.get(), parts.last(), path) : failureOf(errno);
    }
    if (failure)
        *failure = result;
    if (result != TrashFailure::none && error)
        *error = QStringLiteral("could not move %1 to the Trash").arg(QString::fromLocal8Bit(path));
    return result == TrashFailure::none;
}

} // namespace orvane
