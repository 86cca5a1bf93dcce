#include "tree_remover.h"

#include "folder_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane::removal {

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

namespace {

// Refused with EPERM while the entry or its folder carries the immutable or append-only flag
// (chattr +i, +a): no permission would change that.
bool lockedAt(int parentFd, const char* name)
{
    constexpr quint64 locked = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    struct statx st {};
    if (::statx(parentFd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, 0, &st) == 0 && (st.stx_attributes & locked))
        return true;
    return ::statx(parentFd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, 0, &st) == 0 && (st.stx_attributes & locked);
}

} // namespace

RemovalReason refusalAt(int error, int parentFd, const char* name)
{
    return error == EPERM && lockedAt(parentFd, name) ? RemovalReason::immutable : reasonOf(error);
}

TreeRemover::TreeRemover(Mode mode, const Options& options)
    : m_removing(mode == Mode::remove)
    , m_options(options)
    , m_buffer(fs::FolderReader::kBufferSize)
{
}

void TreeRemover::walk(int parentFd, const char* name, const fs::Entry& top)
{
    m_top = top;
    m_topParent = parentFd;
    const int fd = fs::openFolderAt(parentFd, name);
    if (fd < 0) {
        fail(reasonOf(errno));
        return;
    }
    const std::optional<fs::Entry> self = fs::entryOf(fd);
    if (!self || !self->isFolder() || !fs::sameFile(*self, top)) {
        ::close(fd);
        fail(RemovalReason::changed);
        return;
    }
    push(fd, name, *self);
    while (!m_levels.empty() && !m_stopped) {
        Level& level = m_levels.back();
        if (level.next < level.subFolders.size()) {
            const size_t index = m_levels.size() - 1;
            m_name.assign(level.names.data() + level.subFolders[level.next++]);
            enter(index, m_name.c_str());
        } else {
            finish();
        }
    }
    for (Level& level : m_levels)
        closeLevel(level);
    m_levels.clear();
}

void TreeRemover::fail(RemovalReason why)
{
    if (reason == RemovalReason::none)
        reason = why;
}

void TreeRemover::block(size_t index, RemovalReason why)
{
    m_levels[index].blocked = true;
    fail(why);
}

// A change under the walk that leaves no sure way on: the rest of this tree stays.
void TreeRemover::stop(RemovalReason why)
{
    fail(why);
    for (Level& level : m_levels)
        level.blocked = true;
    m_stopped = true;
}

void TreeRemover::closeLevel(Level& level)
{
    if (level.fd >= 0) {
        ::close(level.fd);
        level.fd = -1;
        --m_open;
    }
}

void TreeRemover::push(int fd, const char* name, const fs::Entry& self)
{
    // A folder of the chosen item that its owner made read-only (Go's module cache) is made
    // writable so its entries can go: only folders of the item itself, never its parent.
    if (m_removing && (self.mode & S_IRWXU) != S_IRWXU)
        (void)::fchmod(fd, (self.mode & 07777) | S_IRWXU);
    // Within budget: the shallowest open folder is closed, to be reopened when needed.
    if (m_open + 1 > std::max(2, m_options.maxOpenFolders)) {
        for (size_t i = m_firstMaybeOpen; i < m_levels.size(); ++i) {
            if (m_levels[i].fd >= 0) {
                closeLevel(m_levels[i]);
                m_firstMaybeOpen = i + 1;
                break;
            }
        }
    }
    Level& level = m_levels.emplace_back();
    level.name = name;
    level.fd = fd;
    level.self = self;
    ++m_open;
    if (m_options.stats) {
        m_options.stats->mostOpenFolders = std::max(m_options.stats->mostOpenFolders, m_open);
        ++m_options.stats->foldersEntered;
    }
    read(m_levels.size() - 1);
}

// Lists the folder at `index` whole, then handles its entries in inode order (on a disk, inodes
// next to each other are read and written together, as rm does for large folders): sub-folders
// are remembered, everything else goes at once.
void TreeRemover::read(size_t index)
{
    Level& level = m_levels[index];
    ++level.reads;
    if (m_options.stats)
        ++m_options.stats->folderReads;
    level.names.clear();
    level.subFolders.clear();
    level.next = 0;
    if (level.reads > 1 && ::lseek(level.fd, 0, SEEK_SET) < 0) {
        block(index, reasonOf(errno));
        return;
    }
    m_listed.clear();
    m_listedNames.clear();
    fs::FolderReader reader(level.fd, m_buffer);
    while (const dirent64* entry = reader.next()) {
        m_listed.push_back({entry->d_ino, uint32_t(m_listedNames.size()), entry->d_type});
        m_listedNames.append(entry->d_name, std::strlen(entry->d_name) + 1);
    }
    if (reader.error() != 0)
        block(index, reasonOf(reader.error()));
    std::sort(m_listed.begin(), m_listed.end(), [](const Listed& a, const Listed& b) { return a.inode < b.inode; });
    for (const Listed& entry : m_listed) {
        const char* name = m_listedNames.data() + entry.name;
        if (entry.type == DT_DIR)
            remember(m_levels[index], name);
        else
            other(index, name);
    }
}

void TreeRemover::remember(Level& level, const char* name)
{
    level.subFolders.push_back(uint32_t(level.names.size()));
    level.names.append(name, std::strlen(name) + 1);
}

// An entry that was not listed as a folder: a file, a link, a device node… (or a folder on a
// file system that does not say).
void TreeRemover::other(size_t index, const char* name)
{
    Level& level = m_levels[index];
    const std::optional<fs::Entry> info = fs::entryAt(level.fd, name);
    if (!info)
        return; // vanished meanwhile
    if (info->isFolder()) {
        remember(level, name);
        return;
    }
    if (!fs::sameMount(*info, m_top)) { // a file mounted over a file
        otherDiskInside = true;
        block(index, RemovalReason::otherDisk);
        if (!m_removing)
            m_stopped = true;
        return;
    }
    if (!m_removing) {
        if (info->links > 1)
            linked.push_back({info->id, info->links, info->size});
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

void TreeRemover::enter(size_t index, const char* name)
{
    const int fd = fs::openFolderAt(m_levels[index].fd, name);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return; // vanished meanwhile
        if (error == ENOTDIR || error == ELOOP) {
            other(index, name); // no longer a folder: a file or a link now
            return;
        }
        block(index, reasonOf(error));
        return;
    }
    const std::optional<fs::Entry> self = fs::entryOf(fd);
    if (!self || !fs::sameMount(*self, m_top)) {
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

// Makes sure the folder at `index` is open, reopening it through the ".." of the folder below
// it, which must lead back to the very same folder.
bool TreeRemover::reopen(size_t index)
{
    Level& level = m_levels[index];
    if (level.fd >= 0)
        return true;
    const int fd = fs::openFolderAt(m_levels[index + 1].fd, "..");
    if (fd < 0)
        return false;
    const std::optional<fs::Entry> self = fs::entryOf(fd);
    if (!self || !fs::sameFile(*self, level.self)) {
        ::close(fd);
        return false;
    }
    level.fd = fd;
    ++m_open;
    if (m_options.stats)
        m_options.stats->mostOpenFolders = std::max(m_options.stats->mostOpenFolders, m_open);
    m_firstMaybeOpen = std::min(m_firstMaybeOpen, index);
    return true;
}

// Every entry of the deepest folder has been handled: delete it, or leave it when something in
// it stays, and go back up.
void TreeRemover::finish()
{
    const size_t index = m_levels.size() - 1;
    if (index > 0 && !reopen(index - 1)) {
        stop(RemovalReason::changed); // its parent moved away under the walk
        return;
    }
    Level& level = m_levels[index];
    if (m_removing && !level.blocked) {
        const int parentFd = index == 0 ? m_topParent : m_levels[index - 1].fd;
        if (::unlinkat(parentFd, level.name.c_str(), AT_REMOVEDIR) == 0) {
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
                                                               : refusalAt(error, parentFd, level.name.c_str()));
        }
    }
    const bool blocked = level.blocked;
    closeLevel(level);
    m_levels.pop_back();
    m_firstMaybeOpen = std::min(m_firstMaybeOpen, m_levels.size());
    if (blocked && !m_levels.empty())
        m_levels.back().blocked = true;
}

} // namespace orvane::removal
