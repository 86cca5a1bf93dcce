#include "paths.h"

#include "localization_manager.h"

#include <sys/stat.h>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace orvane {

FilePath homeDir()
{
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
    }
    // The real path, so that a home reached through a link is still walked while links
    // inside it are never followed.
    home = realPath(home).value_or(home);
    while (home.size() > 1 && home.endsWith('/'))
        home.chop(1);
    return home;
}

FilePath joinPath(const FilePath& base, const QByteArray& relative)
{
    if (base.endsWith('/'))
        return base + relative;
    return base + '/' + relative;
}

FilePath joinPath(const FilePath& base, const QString& relative)
{
    return joinPath(base, relative.toUtf8());
}

QByteArray lastComponent(const FilePath& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

namespace {

// The next component of `path` from `at` on, repeated slashes skipped; false at the end.
bool nextPart(QByteArrayView path, qsizetype& at, QByteArrayView& part)
{
    while (at < path.size() && path[at] == '/')
        ++at;
    if (at >= path.size())
        return false;
    const qsizetype begin = at;
    while (at < path.size() && path[at] != '/')
        ++at;
    part = path.sliced(begin, at - begin);
    return true;
}

bool isDots(QByteArrayView part)
{
    return part == "." || part == "..";
}

} // namespace

bool isWithin(const FilePath& path, const FilePath& folder, Within how)
{
    if (!path.startsWith('/') || !folder.startsWith('/'))
        return false;
    qsizetype i = 0;
    qsizetype j = 0;
    QByteArrayView inner;
    QByteArrayView outer;
    while (nextPart(folder, j, outer))
        if (isDots(outer) || !nextPart(path, i, inner) || inner != outer)
            return false;
    bool deeper = false;
    while (nextPart(path, i, inner)) {
        if (isDots(inner))
            return false;
        deeper = true;
    }
    return deeper || how == Within::orSame;
}

std::optional<FilePath> realPath(const FilePath& path)
{
    char* real = path.isEmpty() ? nullptr : ::realpath(path.constData(), nullptr);
    if (!real)
        return std::nullopt;
    FilePath result(real);
    ::free(real);
    return result;
}

FilePath parentPath(const FilePath& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArray(".");
    if (slash == 0)
        return QByteArray("/");
    return path.left(slash);
}

QString displayPath(const QByteArray& path)
{
    return QString::fromUtf8(path);
}

namespace {

QString userName(uid_t uid)
{
    if (const passwd* pw = getpwuid(uid); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(uid);
}

} // namespace

std::optional<ForeignHome> foreignHome(const FilePath& home)
{
    struct stat st;
    if (home.isEmpty() || ::stat(home.constData(), &st) != 0 || st.st_uid == ::geteuid())
        return std::nullopt;
    return ForeignHome{home, userName(st.st_uid), userName(::geteuid())};
}

QString foreignHomeMessage(const ForeignHome& foreign)
{
    return t(QStringLiteral("home.notYours"), {displayPath(foreign.home), foreign.owner, foreign.runningAs});
}

QString homeRelativePath(const FilePath& path, const FilePath& home)
{
    if (home.isEmpty() || home == "/" || !isWithin(path, home))
        return displayPath(path);
    return QLatin1Char('~') + displayPath(path.mid(home.size()));
}

} // namespace orvane
