#include "folder_reader.h"

#include "file_entry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace orvane::fs {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

FolderReader::FolderReader(int fd, std::vector<char>& buffer)
    : m_fd(fd)
    , m_buffer(buffer)
{
    if (m_buffer.size() < kBufferSize)
        m_buffer.resize(kBufferSize);
}

const dirent64* FolderReader::next()
{
    for (;;) {
        if (m_pos >= m_end) {
            const ssize_t n = ::getdents64(m_fd, m_buffer.data(), m_buffer.size());
            if (n <= 0) {
                m_error = n < 0 ? errno : 0;
                return nullptr;
            }
            m_pos = 0;
            m_end = n;
        }
        const auto* entry = reinterpret_cast<const dirent64*>(m_buffer.data() + m_pos);
        m_pos += entry->d_reclen;
        if (!isDotOrDotDot(entry->d_name))
            return entry;
    }
}

std::optional<std::vector<FolderEntry>> readFolder(const FilePath& path, ReadOptions options)
{
    const UniqueFd fd(options.throughLink ? ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : openFolder(path));
    if (!fd.ok())
        return std::nullopt;
    std::vector<char> buffer;
    FolderReader reader(fd.get(), buffer);
    std::vector<FolderEntry> entries;
    while (const dirent64* entry = reader.next()) {
        if (options.skipHidden && entry->d_name[0] == '.')
            continue;
        FolderEntry listed;
        if (::fstatat(fd.get(), entry->d_name, &listed.st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // vanished meanwhile
        listed.name = QByteArray(entry->d_name);
        entries.push_back(std::move(listed));
    }
    return entries;
}

} // namespace orvane::fs
