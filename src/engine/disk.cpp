#include "engine.h"
#include "paths.h"

#include <sys/statvfs.h>

namespace orvane {

DiskInfo diskInfo()
{
    DiskInfo info;
    const FilePath home = homeDir();
    struct statvfs vfs;
    if (home.isEmpty() || ::statvfs(home.constData(), &vfs) != 0)
        return info;
    // f_bavail, not f_bfree: the blocks reserved for root are not the user's to fill.
    info.total = qint64(vfs.f_blocks) * qint64(vfs.f_frsize);
    info.free = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
    return info;
}

} // namespace orvane
