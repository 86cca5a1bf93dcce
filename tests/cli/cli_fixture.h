#pragma once

// Fixture homes for the command-line tests, built by code in a temporary folder.

#include "../engine/fixture.h"

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QTemporaryDir>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace clifixture {

using fixture::writeFile;
using fixture::writeSparse;

using fixture::exists;
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
