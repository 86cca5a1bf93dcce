// orvane-bench: runs one engine job, for bench/run.sh to time beside its peers.
//
//   orvane-bench bigfiles ROOT           large-file search (104857600 bytes and more)
//   orvane-bench sizes                   top-level folder sizes of $HOME
//   orvane-bench dups MIN ROOT...        duplicate search; also prints the bytes this process read
//   orvane-bench minread MIN ROOT...     the least a duplicate search must read on these roots,
//                                        worked out independently of the engine
//   orvane-bench tree DIR ENTRIES DEPTH  builds DIR (new): a chain of DEPTH folders and about
//                                        ENTRIES entries in all, a folder "stuck" at the bottom
//   orvane-bench remove DIR none|leaf    times the permanent removal of such a tree (inside $HOME);
//                                        with "leaf" its "stuck" folder cannot go (a tmpfs mounted
//                                        there as root, read-only otherwise)
//
// Each prints one line of counts so the script can check the job really did its work.

#include "engine.h"
#include "removal.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QSet>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <chrono>
#include <map>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

using namespace orvane;

namespace {

// rchar (bytes passed to read-type calls) and read_bytes (bytes fetched from storage) of this process.
QPair<qint64, qint64> ioCounters()
{
    qint64 rchar = -1, readBytes = -1;
    if (FILE* f = std::fopen("/proc/self/io", "r")) {
        char key[64];
        long long value;
        while (std::fscanf(f, "%63[^:]: %lld\n", key, &value) == 2) {
            if (std::strcmp(key, "rchar") == 0)
                rchar = value;
            else if (std::strcmp(key, "read_bytes") == 0)
                readBytes = value;
        }
        std::fclose(f);
    }
    return {rchar, readBytes};
}

struct Candidate {
    QByteArray path;
    qint64 size;
};

// Regular files of at least `minSize`, hidden entries skipped, links not followed, one per inode.
void collect(const QByteArray& dir, qint64 minSize, QSet<QPair<quint64, quint64>>& seen, QList<Candidate>& out)
{
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const QByteArray path = dir + '/' + e->d_name;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            collect(path, minSize, seen, out);
        else if (S_ISREG(st.st_mode) && st.st_size >= minSize && !seen.contains({st.st_dev, st.st_ino})) {
            seen.insert({st.st_dev, st.st_ino});
            out.append({path, st.st_size});
        }
    }
    ::closedir(d);
}

QByteArray readAt(const QByteArray& path, qint64 offset, qint64 length)
{
    QByteArray data(length, '\0');
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const ssize_t n = ::pread(fd, data.data(), size_t(length), offset);
    ::close(fd);
    data.resize(n < 0 ? 0 : n);
    return data;
}

QByteArray wholeDigest(const QByteArray& path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

// The least a duplicate search must read, per same-size set (one candidate per inode):
// - a file whose first block differs from every other member's: that block;
// - else one whose first and last blocks together differ from every other's: those two blocks;
// - else a file with an identical twin: all of it (its content has to be confirmed whole);
// - else (same first and last blocks as another, different inside): both end blocks and the
//   prefix up to the block where it first differs from the last of its look-alikes.
qint64 firstDifference(const QByteArray& a, const QByteArray& b)
{
    QFile fa(QFile::decodeName(a)), fb(QFile::decodeName(b));
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return 0;
    qint64 offset = 0;
    for (;;) {
        const QByteArray x = fa.read(1 << 20), y = fb.read(1 << 20);
        const qsizetype n = qMin(x.size(), y.size());
        for (qsizetype i = 0; i < n; ++i)
            if (x[i] != y[i])
                return offset + i;
        if (x.size() != y.size() || n == 0)
            return offset + n;
        offset += n;
    }
}

int minRead(qint64 minSize, const QList<QByteArray>& roots)
{
    constexpr qint64 block = 4096;
    QSet<QPair<quint64, quint64>> seen;
    QList<Candidate> all;
    for (const QByteArray& root : roots)
        collect(root, minSize, seen, all);
    std::map<qint64, QList<Candidate>> bySize;
    for (const Candidate& c : all)
        bySize[c.size].append(c);

    qint64 headOnlyBytes = 0, headTailBytes = 0, duplicated = 0, lookAlikeBytes = 0;
    int groups = 0, copies = 0;
    for (const auto& [size, set] : bySize) {
        if (set.size() < 2)
            continue;
        QHash<QByteArray, int> heads;
        QHash<QByteArray, QList<qsizetype>> headTails;
        QList<QByteArray> head, headTail;
        for (qsizetype i = 0; i < set.size(); ++i) {
            head.append(readAt(set[i].path, 0, block));
            headTail.append(head.last() + readAt(set[i].path, qMax<qint64>(0, size - block), block));
            heads[head.last()]++;
            headTails[headTail.last()].append(i);
        }
        QHash<QByteArray, int> digests;
        QList<QByteArray> digest(set.size());
        for (qsizetype i = 0; i < set.size(); ++i) {
            if (heads[head[i]] == 1)
                headOnlyBytes += qMin(size, block);
            else if (headTails[headTail[i]].size() == 1)
                headTailBytes += qMin(size, 2 * block);
            else
                digests[digest[i] = wholeDigest(set[i].path)]++;
        }
        for (qsizetype i = 0; i < set.size(); ++i) {
            if (digest[i].isEmpty())
                continue;
            if (digests[digest[i]] > 1) {
                duplicated += size;
                continue;
            }
            qint64 until = 0;
            for (qsizetype j : headTails[headTail[i]])
                if (j != i)
                    until = qMax(until, firstDifference(set[i].path, set[j].path));
            lookAlikeBytes += qMin(size, ((until / block) + 1) * block + block);
        }
        for (auto it = digests.cbegin(); it != digests.cend(); ++it) {
            if (it.value() > 1 && !it.key().isEmpty()) {
                ++groups;
                copies += it.value();
            }
        }
    }
    std::printf("minimum %lld groups %d copies %d duplicated %lld headOnly %lld headTail %lld lookAlike %lld\n",
                (long long)(headOnlyBytes + headTailBytes + duplicated + lookAlikeBytes), groups, copies,
                (long long)duplicated, (long long)headOnlyBytes, (long long)headTailBytes, (long long)lookAlikeBytes);
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: orvane-bench bigfiles ROOT | sizes | dups MIN ROOT... | minread MIN ROOT... | "
                         "tree DIR ENTRIES DEPTH | remove DIR none|leaf\n");
    return 2;
}

bool writeAt(int dirFd, const char* name, int size)
{
    const int fd = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const QByteArray data(size, 'r');
    const bool ok = ::write(fd, data.constData(), size_t(size)) == size;
    ::close(fd);
    return ok;
}

// The tree of the removal job, made fd by fd (a deep chain outgrows PATH_MAX): at the top, folders
// of 50 small files up to `entries`; then a chain of `depth` folders with a file each; at the
// bottom a folder "stuck" holding a file.
bool buildRemovalTree(const QByteArray& dir, qint64 entries, int depth)
{
    if (::mkdir(dir.constData(), 0755) != 0)
        return false;
    int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    qint64 made = 2 * qint64(depth) + 2;
    for (int folder = 0; fd >= 0 && made < entries; ++folder) {
        const QByteArray name = "b" + QByteArray::number(folder);
        if (::mkdirat(fd, name.constData(), 0755) != 0)
            return false;
        const int sub = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ++made;
        for (int i = 0; i < 50 && made < entries; ++i, ++made)
            if (!writeAt(sub, QByteArray::number(i).constData(), 100))
                return false;
        ::close(sub);
    }
    for (int level = 0; fd >= 0 && level < depth; ++level) {
        if (!writeAt(fd, "f", 100) || ::mkdirat(fd, "d", 0755) != 0)
            return false;
        const int child = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = child;
    }
    if (fd < 0 || ::mkdirat(fd, "stuck", 0755) != 0)
        return false;
    const int stuck = ::openat(fd, "stuck", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = stuck >= 0 && writeAt(stuck, "f", 100);
    ::close(stuck);
    ::close(fd);
    return ok;
}

// The folder holding "stuck": down the chain of "d" folders.
int bottomOf(const QByteArray& dir)
{
    int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (;;) {
        const int child = fd < 0 ? -1 : ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (child < 0)
            return fd;
        ::close(fd);
        fd = child;
    }
}

// What removeItems answered for one location, whichever form the engine gives it in.
template<class Result>
QByteArray outcomeText(const Result& result)
{
    if constexpr (std::is_same_v<Result, bool>)
        return result ? "removed" : "not-removed";
    else
        return result.gone() ? "removed" : (result.freedBytes > 0 ? "partly-removed" : "not-removed");
}

int removeJob(const QByteArray& dir, bool leaf)
{
    const bool root = ::geteuid() == 0;
    // As root a read-only folder stops nothing: a mount private to this process stands in for it.
    if (leaf && root && (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)) {
        std::fprintf(stderr, "cannot make a private mount namespace\n");
        return 1;
    }
    const int bottom = bottomOf(dir);
    if (bottom < 0) {
        std::fprintf(stderr, "no tree in %s\n", dir.constData());
        return 1;
    }
    const QByteArray stuck = "/proc/self/fd/" + QByteArray::number(bottom) + "/stuck";
    if (leaf && (root ? ::mount("tmpfs", stuck.constData(), "tmpfs", 0, "size=1m") : ::chmod(stuck.constData(), 0555)) != 0) {
        std::fprintf(stderr, "cannot make the leaf undeletable\n");
        return 1;
    }
    // Not held during the removal: an open folder deep down keeps every folder above it in the
    // kernel's cache, and each folder removed above it would then be searched through all of them.
    ::close(bottom);
    // Wall time, and the processor time of this process: on a busy disk most of the wall time is
    // spent waiting for it, while the processor time shows the work the removal itself does.
    auto cpu = [] {
        rusage usage;
        ::getrusage(RUSAGE_SELF, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    const double cpuStart = cpu();
    const auto start = std::chrono::steady_clock::now();
    RemovalTarget target;
    target.path = dir;
    const auto results = removeItems(QList<RemovalTarget>{target}, RemovalStyle::permanent);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seconds %.6f cpu %.6f outcome %s\n", seconds, cpu() - cpuStart,
                results.isEmpty() ? "none" : outcomeText(results.first()).constData());
    if (leaf) { // what is left (the way down to the leaf) is the caller's to clear
        const int again = bottomOf(dir);
        const QByteArray leftLeaf = "/proc/self/fd/" + QByteArray::number(again) + "/stuck";
        if (root)
            ::umount2(leftLeaf.constData(), MNT_DETACH);
        else
            ::chmod(leftLeaf.constData(), 0755);
        ::close(again);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const QByteArray job = argv[1];
    if (job == "bigfiles" && argc == 3) {
        const QList<CleanupFile> files = findBigFiles(QByteArray(argv[2]), 104857600, false);
        qint64 total = 0;
        for (const CleanupFile& f : files)
            total += f.sizeInBytes;
        std::printf("files %lld bytes %lld\n", (long long)files.size(), (long long)total);
        return 0;
    }
    if (job == "sizes" && argc == 2) {
        const QList<SpaceEntry> entries = topLevelEntries();
        qint64 total = 0;
        for (const SpaceEntry& e : entries)
            total += e.sizeInBytes;
        std::printf("entries %lld bytes %lld\n", (long long)entries.size(), (long long)total);
        return 0;
    }
    if ((job == "dups" || job == "minread") && argc >= 4) {
        const qint64 minSize = QByteArray(argv[2]).toLongLong();
        QList<QByteArray> roots;
        for (int i = 3; i < argc; ++i)
            roots.append(QByteArray(argv[i]));
        if (job == "minread")
            return minRead(minSize, roots);
        const auto before = ioCounters();
        const QList<CleanupCategory> groups = findDuplicates(roots, minSize, QStringLiteral("doc.on.doc"));
        const auto after = ioCounters();
        qint64 copies = 0;
        for (const CleanupCategory& g : groups)
            copies += g.files.size();
        std::printf("groups %lld copies %lld rchar %lld read_bytes %lld\n", (long long)groups.size(),
                    (long long)copies, (long long)(after.first - before.first),
                    (long long)(after.second - before.second));
        return 0;
    }
    if (job == "tree" && argc == 5)
        return buildRemovalTree(QByteArray(argv[2]), QByteArray(argv[3]).toLongLong(), QByteArray(argv[4]).toInt()) ? 0 : 1;
    if (job == "remove" && argc == 4)
        return removeJob(QByteArray(argv[2]), QByteArray(argv[3]) == "leaf");
    return usage();
}
