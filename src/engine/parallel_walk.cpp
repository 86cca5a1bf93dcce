#include "parallel_walk.h"

#include "mount_table.h"

#include <climits>
#include <sched.h>
#include <sys/resource.h>

namespace orvane::walk {

bool leftOut(const char* name, const WalkOptions& options)
{
    if (options.skipHidden && name[0] == '.')
        return true;
    return options.pruneLibrary && std::strcmp(name, "Library") == 0;
}

FilePath trimmed(FilePath path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

void appendName(FilePath& path, const char* name, size_t length)
{
    if (!(path.size() == 1 && path.at(0) == '/'))
        path.append('/');
    path.append(name, qsizetype(length));
}

namespace {

// Every mount point of the process's mount table.
std::vector<QByteArray> mountPointList()
{
    std::vector<QByteArray> points;
    for (const MountEntry& mount : mountTable())
        if (mount.point.size() >= 2 && mount.point.startsWith('/'))
            points.push_back(mount.point);
    return points;
}

} // namespace

MountPoints mountPointsBelow(const std::vector<std::pair<FilePath, int>>& roots)
{
    MountPoints below;
    const std::vector<QByteArray> table = mountPointList();
    for (const auto& [spelled, fd] : roots) {
        char buffer[PATH_MAX];
        const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
        const ssize_t n = ::readlink(link.constData(), buffer, sizeof(buffer));
        const QByteArray real = n > 0 && size_t(n) < sizeof(buffer) ? QByteArray(buffer, n) : spelled;
        const QByteArray prefix = real == "/" ? real : real + '/';
        for (const QByteArray& point : table) {
            if (point.size() <= prefix.size() || !point.startsWith(prefix))
                continue;
            FilePath path = spelled;
            appendName(path, point.constData() + prefix.size(), size_t(point.size() - prefix.size()));
            below.points.insert(path);
            below.parents.insert(path.left(path.lastIndexOf('/') == 0 ? 1 : path.lastIndexOf('/')));
        }
    }
    return below;
}

int walkThreadCount()
{
    static const int count = [] {
        cpu_set_t set;
        CPU_ZERO(&set);
        int n = 1;
        if (::sched_getaffinity(0, sizeof(set), &set) == 0)
            n = CPU_COUNT(&set);
        return std::clamp(n, 1, 4);
    }();
    return count;
}

int openLevelsPerThread(int threads)
{
    struct rlimit limit {};
    rlim_t soft = 1024;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        soft = limit.rlim_cur;
    const long spare = long(soft) - 32; // the rest of the process: stdio, Qt, a removal alongside
    return int(std::clamp<long>(spare / (2 * long(threads)), 2, 64));
}


} // namespace orvane::walk
