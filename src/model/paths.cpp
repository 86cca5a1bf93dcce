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
    if (char* real = ::realpath(home.constData(), nullptr)) {
        home = real;
        ::free(real);
    }
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

bool isWithin(const FilePath& path, const FilePath& folder)
{
    return path == folder || path.startsWith(folder + '/');
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
