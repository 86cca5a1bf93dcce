// Reading candidates, and the first stage: files of one size split by their first and last blocks.

#include "duplicates_internal.h"

#include <QHash>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvane::duplicates {

namespace {

// Opens a regular file for reading without following a link and without blocking on a FIFO.
int openRegular(const FilePath& path, struct stat* st)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

int openCandidate(const Candidate& c, Counters& counters)
{
    struct stat st;
    const int fd = openRegular(c.path, &st);
    if (fd < 0)
        return -1;
    counters.opens.fetch_add(1, std::memory_order_relaxed);
    if (fs::stampOf(st) != c.stamp) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool stillUnchanged(int fd, const Candidate& c)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && fs::stampOf(st) == c.stamp;
}

// Reads exactly `len` bytes at `offset`; false on error or a short file.
bool readAt(int fd, char* buf, qint64 len, qint64 offset, Counters& counters)
{
    qint64 done = 0;
    while (done < len) {
        const ssize_t n = ::pread(fd, buf + done, size_t(len - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    counters.bytes.fetch_add(done, std::memory_order_relaxed);
    countBytesRead(counters.progress, done);
    return done == len;
}

namespace {

// Splits `members` by the exact content of [offset, offset + len); keeps classes of two or more.
std::vector<std::pair<QByteArray, std::vector<int>>> splitByBlock(const std::vector<Candidate>& cands,
                                                                  const std::vector<int>& members, qint64 offset,
                                                                  qint64 len, Counters& counters)
{
    // QHash buckets by a hash of the block but decides equality by comparing the bytes.
    QHash<QByteArray, size_t> index;
    std::vector<std::pair<QByteArray, std::vector<int>>> classes;
    for (int m : members) {
        if (counters.cancelled())
            return {};
        const int fd = openCandidate(cands[size_t(m)], counters);
        if (fd < 0)
            continue;
        QByteArray block(len, Qt::Uninitialized);
        const bool ok = readAt(fd, block.data(), len, offset, counters);
        ::close(fd);
        if (!ok)
            continue;
        const auto it = index.constFind(block);
        if (it != index.constEnd()) {
            classes[*it].second.push_back(m);
        } else {
            index.insert(block, classes.size());
            classes.push_back({block, {m}});
        }
    }
    std::erase_if(classes, [](const auto& c) { return c.second.size() < 2; });
    return classes;
}

} // namespace

std::vector<BlockClass> filterSizeGroup(const std::vector<Candidate>& cands, qint64 size,
                                        const std::vector<int>& members, Counters& counters)
{
    const qint64 headLen = std::min(size, kBlock);
    const qint64 tailOffset = std::max(kBlock, size - kBlock);
    const qint64 tailLen = size > kBlock ? size - tailOffset : 0;

    std::vector<BlockClass> result;
    for (auto& [head, sameHead] : splitByBlock(cands, members, 0, headLen, counters)) {
        if (tailLen == 0) {
            result.push_back({size, head, {}, std::move(sameHead)});
            continue;
        }
        for (auto& [tail, same] : splitByBlock(cands, sameHead, tailOffset, tailLen, counters))
            result.push_back({size, head, tail, std::move(same)});
    }
    return result;
}

} // namespace orvane::duplicates
