#pragma once

// Every test program runs with HOME set by CTest to a folder of its own (ORVANE_TEST_HOME).
// Tests that write or remove files check this first, so a run by hand never touches the
// user's own files. A test home may lie anywhere, inside the real home's tree included.

#include <QDir>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

namespace orvane::testing {

inline bool inOwnTestHome()
{
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    const QString given = QFileInfo(qEnvironmentVariable("ORVANE_TEST_HOME")).canonicalFilePath();
    const passwd* pw = ::getpwuid(::getuid());
    const QString real = pw && pw->pw_dir ? QFileInfo(QFile::decodeName(pw->pw_dir)).canonicalFilePath() : QString();
    return !home.isEmpty() && home == given && home != real;
}

} // namespace orvane::testing
