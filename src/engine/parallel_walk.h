#pragma once

// The machinery of the bulk walks of walker.h: one depth-first Worker per thread over a shared
// TaskPool (an idle thread takes the shallowest folder not yet entered), a bounded number of
// folders open per thread, and the mount points below the roots known before the walk starts.
// Visitors decide what is stat'ed, entered and kept (walker.cpp has the two of them).

#include "file_entry.h"
#include "folder_reader.h"
#include "walker.h"

#include <QSet>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

namespace orvane::walk {

using fs::openFolder;
using fs::openFolderAt;

bool leftOut(const char* name, const WalkOptions& options);
FilePath trimmed(FilePath path);
void appendName(FilePath& path, const char* name, size_t length);

// The mounted file system a folder or entry belongs to (see fs::sameMount).
inline std::optional<fs::Entry> mountOf(int fd)
{
    return fs::entryOf(fd);
}

// The mount points of the system's mount table, known before a walk: a walk never opens or
// stats one (another file system is neither counted nor offered, and one that stopped answering,
// a dead network or FUSE mount, would hold the walk in the kernel for good).
struct MountPoints {
    QSet<QByteArray> points;
    QSet<QByteArray> parents; // the folders that hold one

    bool holdsOne(const FilePath& folder) const { return parents.contains(folder); }
    bool isOne(const FilePath& folder, const char* name) const
    {
        FilePath path = folder;
        appendName(path, name, std::strlen(name));
        return points.contains(path);
    }
};

// The mount points strictly below the folders a walk starts from, spelled as the walk spells
// them (a root reached through a link in its path has its real path from its descriptor).
MountPoints mountPointsBelow(const std::vector<std::pair<FilePath, int>>& roots);

// Walks share the cores the process may run on; more than four helpers buy nothing on a disk.
int walkThreadCount();

// How many folders of its path one thread keeps open: the deepest ones. An ancestor closed
// earlier is opened again through its child's ".." and checked to be the same folder, so a tree
// of any depth is walked with a bounded number of descriptors, within the process's limit.
int openLevelsPerThread(int threads);

// ---- The bulk walk: every core, results as of a sequential pre-order walk ----------------

// A folder still to walk: an open descriptor, its path, and its position in pre-order
// (the listing ordinals from the walk's root down to it).
struct Task {
    int fd = -1;
    FilePath path;
    std::vector<uint32_t> key;
    uint32_t slot = 0; // which root of the walk it belongs to
};

// Work shared by the threads of one walk. A thread with nothing to do says so through
// `hungry`; a busy thread then hands over a folder it has not entered yet, opened, so no
// thread ever waits on a path lookup that a racing rename could redirect.
class TaskPool
{
public:
    explicit TaskPool(std::vector<Task> initial)
        : m_tasks(std::move(initial))
    {
        std::reverse(m_tasks.begin(), m_tasks.end()); // the first root is taken first
        m_pending.store(int(m_tasks.size()), std::memory_order_relaxed);
    }

    bool wantsWork() const
    {
        return m_hungry.load(std::memory_order_relaxed) > m_pending.load(std::memory_order_relaxed);
    }

    bool take(Task& out)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (!m_tasks.empty()) {
                out = std::move(m_tasks.back());
                m_tasks.pop_back();
                m_pending.store(int(m_tasks.size()), std::memory_order_relaxed);
                ++m_busy;
                return true;
            }
            if (m_busy == 0) {
                m_changed.notify_all();
                return false;
            }
            m_hungry.fetch_add(1, std::memory_order_relaxed);
            m_changed.wait(lock);
            m_hungry.fetch_sub(1, std::memory_order_relaxed);
        }
    }

    void finished()
    {
        std::lock_guard lock(m_mutex);
        if (--m_busy == 0 && m_tasks.empty())
            m_changed.notify_all();
    }

    void give(Task task)
    {
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
            m_pending.store(int(m_tasks.size()), std::memory_order_relaxed);
        }
        m_changed.notify_one();
    }

    ~TaskPool()
    {
        for (const Task& task : m_tasks)
            ::close(task.fd);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Task> m_tasks;
    int m_busy = 0;
    std::atomic<int> m_hungry{0};
    std::atomic<int> m_pending{0};
};

// One thread's depth-first walk. Each folder is read whole first (its non-folder entries go to
// the visitor, its sub-folders are remembered by name), then its sub-folders are entered in
// listing order; memory stays proportional to depth times folder width, never to the tree.
template<class Visitor>
class Worker
{
public:
    Worker(TaskPool& pool, const WalkOptions& options, Visitor& visitor, int openLevels, const MountPoints& mounts)
        : m_pool(pool)
        , m_options(options)
        , m_visitor(visitor)
        , m_mounts(mounts)
        , m_buffer(fs::FolderReader::kBufferSize)
        , m_openLevels(openLevels)
    {
    }

    // Called once, on the first thread, after it has entered a few folders: a walk that ends
    // sooner is not worth a thread.
    std::function<void()> onBusy;

    void run()
    {
        Task task;
        while (m_pool.take(task)) {
            if (cancelled(m_options.progress))
                ::close(task.fd); // the rest of the pool drains unwalked
            else
                walk(std::move(task));
            m_pool.finished();
        }
    }

private:
    struct SubFolder {
        uint32_t offset;
        uint32_t ordinal;
    };
    struct Level {
        int fd = -1; // -1 once closed to keep the descriptors bounded (see openLevelsPerThread)
        dev_t device = 0; // its identity, kept when closed early, checked when opened again
        ino_t inode = 0;
        bool lost = false; // could not be opened again as the same folder: the rest is passed over
        qsizetype pathLength = 0;
        size_t keyLength = 0;
        std::string names; // NUL-separated names of the sub-folders still to enter
        std::vector<SubFolder> subFolders;
        size_t next = 0;
    };

    static constexpr int kFoldersBeforeHelp = 16;

    void walk(Task&& task)
    {
        m_path = std::move(task.path);
        m_key = std::move(task.key);
        m_slot = task.slot;
        m_depth = 0;
        enter(task.fd);
        while (m_depth > 0) {
            Level* level = &m_levels[m_depth - 1];
            if (level->lost || level->next >= level->subFolders.size() || cancelled(m_options.progress)) {
                leave();
                continue;
            }
            if (m_pool.wantsWork()) {
                shareOne();
                if (level->next >= level->subFolders.size())
                    continue;
            }
            const SubFolder sub = level->subFolders[level->next++];
            const char* name = level->names.data() + sub.offset;
            // O_NOFOLLOW: a folder swapped for a link since it was listed is not entered.
            const int child = openFolderAt(level->fd, name);
            if (child < 0)
                continue; // unreadable or vanished: passed over
            if (!m_visitor.enters(m_slot, child)) {
                ::close(child);
                continue;
            }
            m_path.truncate(level->pathLength);
            appendName(m_path, name, std::strlen(name));
            if constexpr (Visitor::ordered) {
                m_key.resize(level->keyLength);
                m_key.push_back(sub.ordinal);
            }
            enter(child);
        }
    }

    // Closes the deepest level; its parent, when closed earlier, is opened again through the
    // level's ".." first and must be the folder it was.
    void leave()
    {
        Level& level = m_levels[m_depth - 1];
        if (m_depth >= 2) {
            Level& parent = m_levels[m_depth - 2];
            if (parent.fd < 0 && !parent.lost) {
                if (level.fd >= 0 && !cancelled(m_options.progress))
                    parent.fd = openFolderAt(level.fd, "..");
                struct stat st;
                if (parent.fd >= 0 && (::fstat(parent.fd, &st) != 0 || st.st_dev != parent.device || st.st_ino != parent.inode)) {
                    ::close(parent.fd);
                    parent.fd = -1;
                }
                parent.lost = parent.fd < 0;
            }
        }
        if (level.fd >= 0)
            ::close(level.fd);
        level.fd = -1;
        --m_depth;
    }

    // Keeps only the deepest m_openLevels levels open.
    void closeShallowLevel()
    {
        if (m_depth <= m_openLevels)
            return;
        Level& level = m_levels[m_depth - 1 - m_openLevels];
        if (level.fd < 0)
            return;
        struct stat st;
        if (::fstat(level.fd, &st) == 0) {
            level.device = st.st_dev;
            level.inode = st.st_ino;
        } else {
            level.lost = true;
        }
        ::close(level.fd);
        level.fd = -1;
    }

    // Hands the shallowest folder not yet entered to a thread that has nothing to do.
    void shareOne()
    {
        for (int i = 0; i < m_depth; ++i) {
            Level& level = m_levels[i];
            if (level.fd < 0 || level.next >= level.subFolders.size())
                continue;
            const SubFolder sub = level.subFolders[level.next++];
            const char* name = level.names.data() + sub.offset;
            const int child = openFolderAt(level.fd, name);
            if (child < 0)
                return;
            if (!m_visitor.enters(m_slot, child)) {
                ::close(child);
                return;
            }
            Task task;
            task.fd = child;
            task.path = m_path.left(level.pathLength);
            appendName(task.path, name, std::strlen(name));
            if constexpr (Visitor::ordered) {
                task.key.assign(m_key.begin(), m_key.begin() + qsizetype(level.keyLength));
                task.key.push_back(sub.ordinal);
            }
            task.slot = m_slot;
            m_pool.give(std::move(task));
            return;
        }
    }

    // Takes ownership of `fd`, the open folder at m_path, and reads it whole.
    void enter(int fd)
    {
        if (onBusy && ++m_foldersEntered == kFoldersBeforeHelp) {
            onBusy();
            onBusy = nullptr;
        }
        if (size_t(m_depth) == m_levels.size())
            m_levels.emplace_back();
        Level& level = m_levels[m_depth++];
        level.fd = fd;
        level.lost = false;
        level.pathLength = m_path.size();
        level.keyLength = m_key.size();
        level.names.clear();
        level.subFolders.clear();
        level.next = 0;

        fs::FolderReader reader(fd, m_buffer);
        uint32_t ordinal = 0;
        qint64 files = 0; // entries other than folders, counted once per folder read
        const bool holdsMounts = m_mounts.holdsOne(m_path);
        while (const dirent64* entry = reader.next()) {
            const char* name = entry->d_name;
            const uint32_t position = ordinal++;
            if (leftOut(name, m_options))
                continue;
            const unsigned char type = entry->d_type;
            if (holdsMounts && (type == DT_DIR || type == DT_UNKNOWN) && m_mounts.isOne(m_path, name))
                continue; // a mount point: neither stat'ed nor entered
            if (type == DT_DIR) {
                remember(level, name, position);
                continue;
            }
            if (type != DT_UNKNOWN && !m_visitor.wantsStat(type)) {
                ++files;
                continue;
            }
            struct stat st;
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // vanished or unreadable: left out
            if (S_ISDIR(st.st_mode)) {
                remember(level, name, position);
                continue;
            }
            ++files;
            m_visitor.visit(m_slot, m_path, m_key, name, position, st);
        }
        countFiles(m_options.progress, files);
        closeShallowLevel();
    }

    static void remember(Level& level, const char* name, uint32_t ordinal)
    {
        level.subFolders.push_back({uint32_t(level.names.size()), ordinal});
        level.names.append(name, std::strlen(name) + 1);
    }

    TaskPool& m_pool;
    const WalkOptions& m_options;
    Visitor& m_visitor;
    const MountPoints& m_mounts;
    std::vector<char> m_buffer;
    int m_openLevels;
    std::vector<Level> m_levels;
    int m_depth = 0;
    int m_foldersEntered = 0;
    FilePath m_path;
    std::vector<uint32_t> m_key;
    uint32_t m_slot = 0;
};

// Runs one walk over `tasks` with a copy of `prototype` per thread and returns the copies.
template<class Visitor>
std::vector<Visitor> bulkWalk(std::vector<Task> tasks, const WalkOptions& options, const Visitor& prototype)
{
    const int threads = walkThreadCount();
    const int openLevels = openLevelsPerThread(threads);
    std::vector<std::pair<FilePath, int>> roots;
    for (const Task& task : tasks)
        roots.emplace_back(task.path, task.fd);
    const MountPoints mounts = mountPointsBelow(roots);
    std::vector<Visitor> visitors(size_t(threads), prototype);
    TaskPool pool(std::move(tasks));
    std::vector<std::thread> helpers;
    Worker<Visitor> first(pool, options, visitors[0], openLevels, mounts);
    if (threads > 1) {
        first.onBusy = [&] {
            try {
                for (int i = 1; i < threads; ++i)
                    helpers.emplace_back([&pool, &options, &visitors, i, openLevels, &mounts] {
                        Worker<Visitor> worker(pool, options, visitors[size_t(i)], openLevels, mounts);
                        worker.run();
                    });
            } catch (const std::system_error&) {
                // No thread to spare: the first thread walks on alone.
            }
        };
    }
    first.run();
    for (std::thread& helper : helpers)
        helper.join();
    return visitors;
}

} // namespace orvane::walk
