#include "walker.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace orvane {

namespace {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class Walker
{
public:
    Walker(const WalkOptions& options, const std::function<void(const WalkEntry&)>& visit, FilePath root)
        : m_options(options)
        , m_visit(visit)
        , m_path(std::move(root))
    {
        while (m_path.size() > 1 && m_path.endsWith('/'))
            m_path.chop(1);
    }

    // Takes ownership of `fd`, an open folder whose path is m_path.
    void walkFolder(int fd)
    {
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return;
        }
        const qsizetype base = m_path.size();
        const bool rootIsSlash = base == 1 && m_path.at(0) == '/';
        while (const dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (isDotOrDotDot(name) || (m_options.skipHidden && name[0] == '.'))
                continue;
            struct stat st;
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // vanished or unreadable: left out
            m_path.truncate(base);
            if (!rootIsSlash)
                m_path.append('/');
            m_path.append(name);
            m_visit(WalkEntry{m_path, st});
            if (!S_ISDIR(st.st_mode))
                continue;
            if (m_options.pruneLibrary && std::strcmp(name, "Library") == 0)
                continue;
            // O_NOFOLLOW: if the folder was swapped for a link since fstatat, it is not entered.
            const int child = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                walkFolder(child);
        }
        m_path.truncate(base);
        ::closedir(dir);
    }

private:
    const WalkOptions& m_options;
    const std::function<void(const WalkEntry&)>& m_visit;
    FilePath m_path;
};

} // namespace

bool walkTree(const FilePath& root, const WalkOptions& options, const std::function<void(const WalkEntry&)>& visit)
{
    // A root that is itself a link is not followed either.
    const int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    Walker(options, visit, root).walkFolder(fd);
    return true;
}

qint64 treeSize(const FilePath& root)
{
    struct stat st;
    if (::lstat(root.constData(), &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return st.st_size;
    qint64 total = 0;
    walkTree(root, {}, [&total](const WalkEntry& e) {
        if (!S_ISDIR(e.st.st_mode))
            total += e.st.st_size;
    });
    return total;
}

} // namespace orvane
