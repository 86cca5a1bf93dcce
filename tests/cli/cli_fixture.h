#pragma once

// Fixture homes for the command-line tests, built by code in a temporary folder.

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clifixture {

inline bool makeParents(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 || QDir().mkpath(QFile::decodeName(path.left(slash)));
}

// `size` bytes of a pattern drawn from `seed`; equal seeds and sizes give equal files.
inline bool writeFile(const QByteArray& path, qint64 size, char seed = 'a')
{
    if (!makeParents(path))
        return false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    QByteArray block(64 * 1024, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(seed + (i * 7 + i / 251) % 23);
    bool ok = true;
    for (qint64 left = size; ok && left > 0;) {
        const qint64 n = qMin<qint64>(left, block.size());
        ok = ::write(fd, block.constData(), size_t(n)) == n;
        left -= n;
    }
    return ::close(fd) == 0 && ok;
}

inline bool writeSparse(const QByteArray& path, qint64 size)
{
    if (!makeParents(path))
        return false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, size) == 0;
    return ::close(fd) == 0 && ok;
}

inline bool exists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// Every entry below `root` (relative path → size, -1 for folders), for before/after comparisons.
inline void snapshot(const QByteArray& root, const QByteArray& rel, QMap<QByteArray, qint64>& out)
{
    DIR* d = ::opendir((rel.isEmpty() ? root : root + '/' + rel).constData());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray child = rel.isEmpty() ? name : rel + '/' + name;
        struct stat st;
        if (::lstat((root + '/' + child).constData(), &st) != 0)
            continue;
        out.insert(child, S_ISDIR(st.st_mode) ? -1 : qint64(st.st_size));
        if (S_ISDIR(st.st_mode))
            snapshot(root, child, out);
    }
    ::closedir(d);
}

// The language manager records the language in use under .config at start-up; that folder is
// the program's own settings, not the user's files, and is left out.
inline QMap<QByteArray, qint64> snapshot(const QByteArray& root)
{
    QMap<QByteArray, qint64> out;
    snapshot(root, {}, out);
    for (auto it = out.begin(); it != out.end();)
        it = it.key() == ".config" || it.key().startsWith(".config/") ? out.erase(it) : std::next(it);
    return out;
}

} // namespace clifixture
