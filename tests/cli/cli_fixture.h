#pragma once

// Fixture homes for the command-line tests, built by code in a temporary folder.

#include "../engine/fixture.h"

#include <QMap>

namespace clifixture {

using fixture::exists;
using fixture::writeFile;
using fixture::writeSparse;

// Every entry below `root` (relative path → size, -1 for folders), for before/after
// comparisons. The language manager records the language in use under .config at start-up;
// that folder is the program's own settings, not the user's files, and is left out.
inline QMap<QByteArray, qint64> snapshot(const QByteArray& root)
{
    QMap<QByteArray, qint64> out;
    for (const fixture::ref::Entry& e : fixture::ref::walk(root)) {
        const QByteArray rel = e.path.mid(root.size() + 1);
        if (rel != ".config" && !rel.startsWith(".config/"))
            out.insert(rel, e.isFolder ? -1 : qint64(e.st.st_size));
    }
    return out;
}

} // namespace clifixture
