#include "walker.h"

#include "parallel_walk.h"

#include <algorithm>
#include <cstring>

namespace orvane {

namespace {

using namespace walk;

struct SizeVisitor {
    static constexpr bool ordered = false;
    std::vector<qint64> sums;
    std::vector<std::optional<fs::Entry>> rootMounts; // a size counts only what removal of its root would delete

    // Folders add nothing; every other entry adds its own st_size.
    bool wantsStat(unsigned char) const { return true; }
    bool enters(uint32_t slot, int fd) const
    {
        const std::optional<fs::Entry> self = mountOf(fd);
        return self && rootMounts[slot] && fs::sameMount(*self, *rootMounts[slot]);
    }
    void visit(uint32_t slot, const FilePath&, const std::vector<uint32_t>&, const char*, uint32_t,
               const struct stat& st)
    {
        sums[slot] += st.st_size;
    }
};

struct FileCollector {
    static constexpr bool ordered = true;
    struct Hit {
        std::vector<uint32_t> key;
        FoundFile file;
    };
    qint64 minSize = 0;
    std::vector<Hit> hits;

    bool wantsStat(unsigned char type) const { return type == DT_REG; }
    bool enters(uint32_t, int) const { return true; }
    void visit(uint32_t, const FilePath& folder, const std::vector<uint32_t>& key, const char* name,
               uint32_t ordinal, const struct stat& st)
    {
        if (!S_ISREG(st.st_mode) || st.st_size < minSize)
            return;
        Hit hit;
        hit.key.reserve(key.size() + 1);
        hit.key = key;
        hit.key.push_back(ordinal);
        hit.file.path = folder;
        appendName(hit.file.path, name, std::strlen(name));
        hit.file.st = st;
        hits.push_back(std::move(hit));
    }
};

} // namespace

qint64 treeSize(const FilePath& root)
{
    struct stat st;
    if (root.isEmpty() || ::lstat(root.constData(), &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return st.st_size;
    return folderSizes({root}).front();
}

std::vector<qint64> folderSizes(const FilePaths& roots, ScanProgress* progress)
{
    std::vector<qint64> sums(size_t(roots.size()), 0);
    WalkOptions options;
    options.progress = progress;
    // Roots are opened a batch at a time, so a folder of thousands of sub-folders never holds
    // more descriptors than the walk's own bound.
    const qsizetype batch = openLevelsPerThread(walkThreadCount());
    for (qsizetype from = 0; from < roots.size(); from += batch) {
        const qsizetype count = std::min(roots.size() - from, batch);
        std::vector<Task> tasks;
        SizeVisitor prototype;
        prototype.rootMounts.resize(size_t(count));
        for (qsizetype i = 0; i < count; ++i) {
            if (roots[from + i].isEmpty())
                continue;
            Task task;
            task.path = trimmed(roots[from + i]);
            task.fd = openFolder(task.path);
            if (task.fd < 0)
                continue;
            prototype.rootMounts[size_t(i)] = mountOf(task.fd);
            task.slot = uint32_t(i);
            tasks.push_back(std::move(task));
        }
        if (tasks.empty())
            continue;
        prototype.sums.assign(size_t(count), 0);
        for (const SizeVisitor& visitor : bulkWalk(std::move(tasks), options, prototype))
            for (qsizetype i = 0; i < count; ++i)
                sums[size_t(from + i)] += visitor.sums[size_t(i)];
        if (cancelled(progress))
            break;
    }
    return sums;
}

std::vector<FoundFile> collectFiles(const FilePath& root, qint64 minSize, const WalkOptions& options)
{
    Task task;
    task.path = trimmed(root);
    if (task.path.isEmpty())
        return {};
    task.fd = openFolder(task.path);
    if (task.fd < 0)
        return {};
    std::vector<Task> tasks;
    tasks.push_back(std::move(task));
    FileCollector prototype;
    prototype.minSize = minSize;
    std::vector<FileCollector::Hit> hits;
    for (FileCollector& collector : bulkWalk(std::move(tasks), options, prototype))
        std::move(collector.hits.begin(), collector.hits.end(), std::back_inserter(hits));
    // Keys are unique listing positions, so this is exactly pre-order.
    std::sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    std::vector<FoundFile> files;
    files.reserve(hits.size());
    for (auto& hit : hits)
        files.push_back(std::move(hit.file));
    return files;
}

std::optional<std::vector<ListedEntry>> listFolder(const FilePath& folder, bool skipHidden)
{
    const FilePath path = trimmed(folder);
    if (path.isEmpty())
        return std::nullopt;
    const int fd = openFolder(path);
    if (fd < 0)
        return std::nullopt;
    std::vector<char> buffer;
    fs::FolderReader reader(fd, buffer);
    WalkOptions options;
    options.skipHidden = skipHidden;
    const std::optional<fs::Entry> folderMount = mountOf(fd);
    const MountPoints mounts = mountPointsBelow({{path, fd}});
    const bool holdsMounts = mounts.holdsOne(path);
    std::vector<ListedEntry> entries;
    while (const dirent64* entry = reader.next()) {
        const char* name = entry->d_name;
        if (leftOut(name, options))
            continue;
        ListedEntry listed;
        if (holdsMounts && mounts.isOne(path, name)) {
            // Listed as the mount table says, never stat'ed: a folder of another file system.
            listed.st = {};
            listed.st.st_mode = S_IFDIR | 0755;
            listed.otherMount = true;
        } else if (::fstatat(fd, name, &listed.st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        } else {
            const std::optional<fs::Entry> entry = S_ISDIR(listed.st.st_mode) ? fs::entryAt(fd, name) : std::nullopt;
            listed.otherMount = S_ISDIR(listed.st.st_mode)
                                    ? !entry || !folderMount || !fs::sameMount(*entry, *folderMount)
                                    : folderMount && quint64(listed.st.st_dev) != folderMount->id.device;
        }
        const size_t length = std::strlen(name);
        listed.name = QByteArray(name, qsizetype(length));
        listed.path = path;
        appendName(listed.path, name, length);
        entries.push_back(std::move(listed));
    }
    ::close(fd);
    return entries;
}

std::optional<std::vector<MeasuredEntry>> measureFolder(const FilePath& folder, bool skipHidden, ScanProgress* progress)
{
    std::optional<std::vector<ListedEntry>> listed = listFolder(folder, skipHidden);
    if (!listed)
        return std::nullopt;
    FilePaths subFolders;
    for (const ListedEntry& entry : *listed)
        if (S_ISDIR(entry.st.st_mode) && !entry.otherMount)
            subFolders.append(entry.path);
    countFiles(progress, qint64(listed->size()) - subFolders.size());
    const std::vector<qint64> subFolderSizes = folderSizes(subFolders, progress);

    std::vector<MeasuredEntry> measured;
    measured.reserve(listed->size());
    size_t nextSubFolder = 0;
    for (ListedEntry& entry : *listed) {
        // A link counts as its own length, never its target's; another mounted file system, nothing.
        qint64 size = 0;
        if (!entry.otherMount)
            size = S_ISDIR(entry.st.st_mode) ? subFolderSizes[nextSubFolder++] : qint64(entry.st.st_size);
        measured.push_back({std::move(entry), size});
    }
    return measured;
}

} // namespace orvane