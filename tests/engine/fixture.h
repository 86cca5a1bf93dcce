#pragma once

// Helpers that build fixture trees for engine tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <ftw.h>
#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <random>

namespace fixture {

// Creates `path` and its missing parents, by bytes (any name the file system can hold).
inline bool makeDirs(const QByteArray& path)
{
    QByteArray partial;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty())
            continue;
        partial += '/' + part;
        if (::mkdir(partial.constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// Writes exactly `content` to `path`, creating parent folders by bytes.
inline bool writeBytes(const QByteArray& path, const QByteArray& content)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0 && !makeDirs(path.left(slash)))
        return false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return ok;
}

// Writes `size` bytes (a repeating pattern seeded by `seed`) to `path`, creating parent folders.
inline bool writeFile(const QByteArray& path, qint64 size, char seed = 'a')
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(seed + (i % 7));
    return writeBytes(path, bytes);
}

// A sparse file of `size` bytes: full logical size, almost no disk.
inline bool writeSparse(const QByteArray& path, qint64 size)
{
    return writeBytes(path, {}) && ::truncate(path.constData(), size) == 0;
}

// Whether anything (a dangling link too) is at `path`.
inline bool exists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

inline bool makeFifo(const QByteArray& path)
{
    return ::mkfifo(path.constData(), 0644) == 0;
}

inline bool makeSymlink(const QByteArray& target, const QByteArray& link)
{
    return ::symlink(target.constData(), link.constData()) == 0;
}

// A Unix socket file left behind at `path` (the path must be shorter than 108 bytes).
inline bool makeSocket(const QByteArray& path)
{
    sockaddr_un address{};
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

// `depth` nested folders "d" below `top`, each level with a 1000-byte file "f" and an empty
// folder "s", built fd by fd (the path outgrows PATH_MAX); the deepest folder holds a folder
// "stuck" with a 100-byte file "f". Returns an open descriptor of the deepest folder, or -1.
inline int makeDeepTree(const QByteArray& top, int depth)
{
    auto file = [](int dirFd, const char* name, int size) {
        const int fd = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool ok = fd >= 0 && ::write(fd, QByteArray(size, 'x').constData(), size_t(size)) == size;
        ::close(fd);
        return ok;
    };
    int fd = makeDirs(top) ? ::open(top.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    for (int level = 0; fd >= 0 && level < depth; ++level) {
        const bool ok = file(fd, "f", 1000) && ::mkdirat(fd, "s", 0755) == 0 && ::mkdirat(fd, "d", 0755) == 0;
        const int child = ok ? ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        ::close(fd);
        fd = child;
    }
    const int stuck = fd >= 0 && ::mkdirat(fd, "stuck", 0755) == 0 ? ::openat(fd, "stuck", O_RDONLY | O_DIRECTORY) : -1;
    const bool ok = stuck >= 0 && file(stuck, "f", 100);
    ::close(stuck);
    if (!ok && fd >= 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Runs `work` in a child process without root's capabilities, so that permission bits hold
// even when the tests run as root (still as uid 0: the checkout may sit under /root, which no
// other user can reach), and returns what it produced. Runs inline when not root. None when the
// child could not drop its rights or failed.
inline std::optional<QByteArray> runUnprivileged(const std::function<QByteArray()>& work)
{
    if (::geteuid() != 0)
        return work();
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const pid_t pid = ::fork();
    if (pid < 0)
        return std::nullopt;
    if (pid == 0) {
        ::close(fds[0]);
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct none[2]{};
        if (::syscall(SYS_capset, &header, none) != 0)
            ::_exit(3);
        const QByteArray out = work();
        qsizetype done = 0;
        while (done < out.size()) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                ::_exit(4);
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return out;
}

// A random but reproducible tree below `root` with `folders` folders: hidden entries, folders
// named "Library", "library" and "Photos Library.photoslibrary", a bundle, names with spaces,
// "%", newlines, 255 bytes and bytes that are not UTF-8, links out of the tree, dangling links,
// link loops, FIFOs, hard links, and sparse files. With `bigSize` > 0, about a quarter of the
// files get sizes around it, with ties.
inline void buildRandomTree(const QByteArray& root, quint32 seed, int folders, qint64 bigSize = 0)
{
    std::mt19937 rng(seed);
    const auto pick = [&rng](int n) { return int(rng() % quint32(n)); };
    makeDirs(root);
    QList<QPair<QByteArray, int>> dirs{{root, 0}};
    QList<QByteArray> files;
    const QList<QByteArray> folderNames{"d", ".hidden", "Library", "library", "Photos Library.photoslibrary",
                                        "Editor.app", "with space ", "100%", "new\nline", "\xff\xfe bytes"};
    const QList<QByteArray> fileNames{"f", ".dot", "Library", "a b ", "%20", "tab\tnl\n", "\xc3\x28 bad"};
    for (int k = 0; k < folders; ++k) {
        const auto& parent = dirs[pick(int(dirs.size()))];
        if (parent.second >= 6)
            continue;
        QByteArray name = folderNames[pick(int(folderNames.size()))];
        if (name != "Library" && name != "library" && !name.endsWith(".app") && !name.endsWith("library"))
            name += QByteArray::number(k);
        const QByteArray path = parent.first + '/' + name;
        if (::mkdir(path.constData(), 0755) == 0)
            dirs.append({path, parent.second + 1});
    }
    for (const auto& dir : std::as_const(dirs)) {
        const int count = pick(6);
        for (int i = 0; i < count; ++i) {
            QByteArray name = fileNames[pick(int(fileNames.size()))];
            if (name != "Library")
                name += QByteArray::number(i);
            if (pick(20) == 0)
                name = QByteArray(255 - 4, 'n') + QByteArray::number(1000 + i); // exactly 255 bytes
            qint64 size = pick(5000);
            if (bigSize > 0 && pick(4) == 0) {
                const qint64 around[] = {bigSize - 1, bigSize, bigSize, bigSize + 1, 2 * bigSize, 3 * bigSize};
                size = around[pick(6)];
            }
            const QByteArray path = dir.first + '/' + name;
            if (writeSparse(path, size))
                files.append(path);
        }
        switch (pick(8)) {
        case 0:
            makeSymlink("/usr", dir.first + "/outside");
            break;
        case 1:
            makeSymlink("no/such/target", dir.first + "/dangling");
            break;
        case 2:
            makeSymlink(".", dir.first + "/loop");
            makeSymlink("..", dir.first + "/up");
            break;
        case 3:
            makeFifo(dir.first + "/fifo");
            break;
        case 4:
            if (!files.isEmpty())
                ::link(files[pick(int(files.size()))].constData(), (dir.first + "/hardlink").constData());
            break;
        case 5:
            if (!files.isEmpty())
                makeSymlink(files[pick(int(files.size()))], dir.first + "/to-file");
            break;
        default:
            break;
        }
    }
}

// Removes a tree by its bytes (QDir cannot name entries whose names are not UTF-8); never
// follows a link.
inline void removeTree(const QByteArray& root)
{
    ::nftw(
        root.constData(),
        [](const char* path, const struct stat*, int flag, FTW*) {
            if (flag == FTW_DP || flag == FTW_DNR)
                ::rmdir(path);
            else
                ::unlink(path);
            return 0;
        },
        32, FTW_DEPTH | FTW_PHYS);
}

// A temporary folder removed with removeTree, for trees with names QTemporaryDir cannot remove.
class TempDir
{
public:
    // `templatePath` as for QTemporaryDir, e.g. inside the test's home: "<home>/fixture-XXXXXX".
    explicit TempDir(const QString& templatePath = {})
        : m_dir(templatePath)
    {
        // Never a path of "": the fixture would be written at the root of the file system.
        if (!m_dir.isValid())
            qFatal("cannot make a temporary folder from \"%s\"", qPrintable(templatePath));
        m_dir.setAutoRemove(false);
    }
    ~TempDir()
    {
        if (m_dir.isValid())
            removeTree(path());
    }
    bool isValid() const { return m_dir.isValid(); }
    QByteArray path() const { return QFile::encodeName(m_dir.path()); }

private:
    QTemporaryDir m_dir;
};

// The names and the urls of scanned items (files, entries, categories), in their order.
template <typename List>
QStringList namesOf(const List& items)
{
    QStringList out;
    for (const auto& item : items)
        out.append(item.name);
    return out;
}

template <typename List>
QList<QByteArray> urlsOf(const List& items)
{
    QList<QByteArray> out;
    for (const auto& item : items)
        out.append(item.url);
    return out;
}

// Straightforward reference walks (nftw, path based, pre-order, links not followed) that the
// engine's results are checked against.
namespace ref {

struct Entry {
    QByteArray path;
    struct stat st;
    bool isFolder;
};

inline std::function<int(const char*, const struct stat*, int, FTW*)>& nftwVisitor()
{
    static std::function<int(const char*, const struct stat*, int, FTW*)> visitor;
    return visitor;
}

// Every entry below `root` in the order nftw meets them; hidden entries and entries named
// "Library" left out (and not entered) when asked.
inline QList<Entry> walk(const QByteArray& root, bool skipHidden = false, bool pruneLibrary = false)
{
    QList<Entry> entries;
    nftwVisitor() = [&](const char* path, const struct stat* st, int flag, FTW* ftw) {
        if (ftw->level == 0)
            return FTW_CONTINUE;
        const char* name = path + ftw->base;
        const bool folder = flag == FTW_D || flag == FTW_DNR;
        if ((skipHidden && name[0] == '.') || (pruneLibrary && std::strcmp(name, "Library") == 0))
            return folder ? FTW_SKIP_SUBTREE : FTW_CONTINUE;
        if (flag != FTW_NS)
            entries.append({QByteArray(path), *st, folder});
        return FTW_CONTINUE;
    };
    ::nftw(
        root.constData(),
        [](const char* path, const struct stat* st, int flag, FTW* ftw) { return nftwVisitor()(path, st, flag, ftw); },
        32, FTW_PHYS | FTW_ACTIONRETVAL);
    return entries;
}

// The one size rule, the simple way.
inline qint64 treeSize(const QByteArray& root)
{
    qint64 total = 0;
    for (const Entry& entry : walk(root))
        if (!entry.isFolder)
            total += entry.st.st_size;
    return total;
}

// The disk space `root` and everything below it take: allocated blocks, each inode once.
inline qint64 allocatedSize(const QByteArray& root)
{
    struct stat st;
    if (::lstat(root.constData(), &st) != 0)
        return 0;
    QList<QPair<dev_t, ino_t>> seen{{st.st_dev, st.st_ino}};
    qint64 total = qint64(st.st_blocks) * 512;
    for (const Entry& entry : walk(root)) {
        const QPair<dev_t, ino_t> id{entry.st.st_dev, entry.st.st_ino};
        if (!entry.isFolder && entry.st.st_nlink > 1) {
            if (seen.contains(id))
                continue;
            seen.append(id);
        }
        total += qint64(entry.st.st_blocks) * 512;
    }
    return total;
}

} // namespace ref

} // namespace fixture
