// Duplicate search: files grouped by size, then by an exact comparison of their first and last
// 4 KiB, then by the SHA-256 of their whole content. Files that are still together after the
// block comparison are read once each, in lockstep, and compared chunk by chunk as they are
// read: a file stops being read where it differs from all others, and each distinct content is
// hashed once, since equal bytes have one digest. Groups are files of one size and one digest.
// Every piece of work is per size group or per class of files, and the result is assembled and
// ordered afterwards, so running on several threads gives exactly what one thread gives.

#include "duplicates_p.h"
#include "engine.h"
#include "file_id.h"
#include "paths.h"
#include "walker.h"

#include <QHash>
#include <QThread>

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <vector>

namespace orvane {

namespace duplicates {

namespace {

constexpr qint64 kBlock = 4096;              // partial comparison at each end
constexpr qint64 kMinChunk = 64 * 1024;      // first lockstep chunks: an early difference costs little
constexpr qint64 kMaxChunk = 256 * 1024;     // reads of up to 256 KiB: the chunks of a class stay in L2
constexpr qint64 kClassBuffers = 64LL << 20; // chunk buffers one large class may hold at once
constexpr qint64 kBatchBudget = 32LL << 20;  // partial blocks held between the two stages
constexpr qsizetype kMaxOpenPerClass = 64;   // larger classes reopen their files per chunk
constexpr qint64 kPipedHash = 16LL << 20;    // classes this large hash on a thread of their own

struct Candidate {
    FilePath path;
    FileStamp stamp;
};

struct Counters {
    std::atomic<qint64> bytes{0};
    std::atomic<qint64> opens{0};
    ScanProgress* progress = nullptr;

    bool cancelled() const { return orvane::cancelled(progress); }
};

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

// A candidate is read only while it is still the file the walk met, unchanged.
int openCandidate(const Candidate& c, Counters& counters)
{
    struct stat st;
    const int fd = openRegular(c.path, &st);
    if (fd < 0)
        return -1;
    counters.opens.fetch_add(1, std::memory_order_relaxed);
    if (stampOf(st) != c.stamp) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool stillUnchanged(int fd, const Candidate& c)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && stampOf(st) == c.stamp;
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

class Sha256
{
public:
    Sha256()
        : m_ctx(EVP_MD_CTX_new())
    {
        m_ok = m_ctx && EVP_DigestInit_ex(m_ctx, EVP_sha256(), nullptr) == 1;
    }
    ~Sha256() { EVP_MD_CTX_free(m_ctx); }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const char* data, qint64 len)
    {
        if (m_ok && len > 0)
            m_ok = EVP_DigestUpdate(m_ctx, data, size_t(len)) == 1;
    }
    void update(const QByteArray& data) { update(data.constData(), data.size()); }
    std::unique_ptr<Sha256> clone() const
    {
        auto copy = std::make_unique<Sha256>();
        copy->m_ok = m_ok && copy->m_ok && EVP_MD_CTX_copy_ex(copy->m_ctx, m_ctx) == 1;
        return copy;
    }
    std::optional<QByteArray> finish()
    {
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int len = 0;
        if (!m_ok || EVP_DigestFinal_ex(m_ctx, md, &len) != 1)
            return std::nullopt;
        return QByteArray(reinterpret_cast<const char*>(md), int(len));
    }

private:
    EVP_MD_CTX* m_ctx;
    bool m_ok = false;
};

template<typename F>
void parallelFor(size_t count, int threads, F&& work)
{
    std::atomic<size_t> next{0};
    auto run = [&] {
        for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;)
            work(i);
    };
    const size_t helpers = std::min<size_t>(size_t(std::max(threads, 1)), count);
    std::vector<std::thread> pool;
    for (size_t t = 1; t < helpers; ++t) {
        try {
            pool.emplace_back(run);
        } catch (const std::system_error&) {
            break; // fewer helpers: the same work, on fewer threads
        }
    }
    run();
    for (std::thread& t : pool)
        t.join();
}

// Files of one size whose first and last blocks are identical, in walk order.
struct BlockClass {
    qint64 size = 0;
    QByteArray head; // [0, min(size, 4 KiB))
    QByteArray tail; // [max(4 KiB, size - 4 KiB), size): the two never overlap
    std::vector<int> members;
};

// Same-size files with one SHA-256 digest.
struct Group {
    qint64 size = 0;
    std::vector<int> members; // walk order
    QByteArray digest;
};

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

// First stage for one size group: exact comparison of the first block, then of the last block.
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

struct Member {
    int cand = -1;
    int fd = -1; // -1: opened per chunk
};

void closeMember(Member& m)
{
    if (m.fd >= 0)
        ::close(m.fd);
    m.fd = -1;
}

using Buffer = std::shared_ptr<std::vector<char>>;

// Feeds SHA-256 states in order. For a large class the updates run on a thread of their own
// while the caller reads and compares the next chunks, so one big set of copies still keeps
// two cores busy; for a small one they run at once on the caller's thread.
class HashPipe
{
public:
    explicit HashPipe(bool threaded)
    {
        if (!threaded)
            return;
        try {
            m_thread = std::thread([this] { run(); });
        } catch (const std::system_error&) {
        }
    }
    ~HashPipe()
    {
        if (!m_thread.joinable())
            return;
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    HashPipe(const HashPipe&) = delete;
    HashPipe& operator=(const HashPipe&) = delete;

    void update(const std::shared_ptr<Sha256>& sha, const Buffer& data, qint64 len)
    {
        if (!m_thread.joinable()) {
            sha->update(data->data(), len);
            return;
        }
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_jobs.size() < kQueued; }); // the reader keeps only a few chunks ahead
        m_jobs.push_back({sha, data, len});
        m_wake.notify_one();
    }
    // Returns once every queued update has been applied.
    void drain()
    {
        if (!m_thread.joinable())
            return;
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }

private:
    struct Job {
        std::shared_ptr<Sha256> sha;
        Buffer data;
        qint64 len;
    };
    static constexpr size_t kQueued = 4;

    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            Job job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
            lock.unlock();
            job.sha->update(job.data->data(), job.len);
            job = {};
            lock.lock();
            m_busy = false;
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};

// Files whose bytes have been equal so far, and the SHA-256 state of those bytes.
struct Twins {
    std::shared_ptr<Sha256> sha;
    std::vector<Member> members;
};

// Second stage for one class: the middle of every file is read once, in lockstep, chunk by
// chunk; each chunk is compared byte for byte across the files and fed once into the SHA-256
// of the bytes they share, so files split apart where they differ and stop being read once
// they have no twin left. Files that stay together have equal bytes, hence equal digests.
std::vector<Group> hashClass(const std::vector<Candidate>& cands, const BlockClass& cls, Counters& counters)
{
    const qint64 begin = cls.head.size();
    const qint64 end = cls.size - cls.tail.size();
    const bool keepOpen = qsizetype(cls.members.size()) <= kMaxOpenPerClass;

    Twins all;
    all.sha = std::make_shared<Sha256>();
    all.sha->update(cls.head);
    for (int m : cls.members) {
        Member member;
        member.cand = m;
        if (begin < end && keepOpen) {
            member.fd = openCandidate(cands[size_t(m)], counters);
            if (member.fd < 0)
                continue;
            ::posix_fadvise(member.fd, begin, end - begin, POSIX_FADV_SEQUENTIAL);
        }
        all.members.push_back(member);
    }
    std::vector<Twins> sets;
    if (all.members.size() >= 2) {
        sets.push_back(std::move(all));
    } else {
        for (Member& m : all.members)
            closeMember(m);
    }

    HashPipe pipe(!sets.empty() && end - begin >= kPipedHash);
    std::vector<Buffer> pool; // chunk buffers; one still held by the pipe is not reused
    auto takeBuffer = [&pool](qint64 len) {
        for (Buffer& b : pool) {
            if (b.use_count() == 1) {
                Buffer taken = b;
                taken->resize(size_t(len));
                return taken;
            }
        }
        pool.push_back(std::make_shared<std::vector<char>>(size_t(len)));
        return pool.back();
    };

    for (qint64 pos = begin; pos < end && !sets.empty();) {
        if (counters.cancelled()) {
            pipe.drain();
            for (Twins& twins : sets)
                for (Member& m : twins.members)
                    closeMember(m);
            return {};
        }
        qsizetype live = 0;
        for (const Twins& t : sets)
            live += qsizetype(t.members.size());
        qint64 chunk = std::clamp(pos / 16, kMinChunk, kMaxChunk);
        chunk = std::max(kMinChunk, std::min(chunk, kClassBuffers / std::max<qsizetype>(live, 1)));
        const qint64 len = std::min(chunk, end - pos);

        std::vector<Twins> next;
        for (Twins& twins : sets) {
            // The chunk of each distinct content met, with the files that have it.
            std::vector<std::pair<Buffer, std::vector<Member>>> refs;
            for (Member& m : twins.members) {
                Buffer buf = takeBuffer(len);
                bool ok;
                if (m.fd >= 0) {
                    ok = readAt(m.fd, buf->data(), len, pos, counters);
                } else {
                    const int fd = openCandidate(cands[size_t(m.cand)], counters);
                    ok = fd >= 0 && readAt(fd, buf->data(), len, pos, counters);
                    if (fd >= 0)
                        ::close(fd);
                }
                if (!ok) {
                    closeMember(m);
                    continue;
                }
                auto same = std::find_if(refs.begin(), refs.end(), [&](const auto& r) {
                    return std::memcmp(r.first->data(), buf->data(), size_t(len)) == 0;
                });
                if (same != refs.end())
                    same->second.push_back(m);
                else
                    refs.emplace_back(std::move(buf), std::vector<Member>{m});
            }

            std::vector<size_t> kept;
            for (size_t r = 0; r < refs.size(); ++r) {
                if (refs[r].second.size() >= 2) {
                    kept.push_back(r);
                } else {
                    for (Member& m : refs[r].second)
                        closeMember(m);
                }
            }
            // Each content that still has twins continues from the state before this chunk.
            if (kept.size() > 1)
                pipe.drain();
            for (size_t k = 0; k < kept.size(); ++k) {
                auto& [block, members] = refs[kept[k]];
                Twins split;
                split.sha = k + 1 < kept.size() ? std::shared_ptr<Sha256>(twins.sha->clone()) : std::move(twins.sha);
                pipe.update(split.sha, block, len);
                split.members = std::move(members);
                next.push_back(std::move(split));
            }
        }
        sets = std::move(next);
        pos += len;
    }
    pipe.drain();

    std::vector<Group> groups;
    for (Twins& twins : sets) {
        twins.sha->update(cls.tail);
        const std::optional<QByteArray> digest = twins.sha->finish();
        if (!digest)
            continue;
        Group group{cls.size, {}, *digest};
        for (Member& m : twins.members) {
            const Candidate& c = cands[size_t(m.cand)];
            // A file written to while it was read is left out.
            bool unchanged = true;
            if (m.fd >= 0) {
                unchanged = stillUnchanged(m.fd, c);
            } else if (begin < end) {
                const int fd = openCandidate(c, counters);
                unchanged = fd >= 0;
                if (fd >= 0)
                    ::close(fd);
            }
            closeMember(m);
            if (unchanged)
                group.members.push_back(m.cand);
        }
        if (group.members.size() >= 2)
            groups.push_back(std::move(group));
    }
    return groups;
}

// Regular files of at least minSize below the roots, hidden entries skipped, in walk order;
// one entry per (device, inode): the first path met.
std::vector<Candidate> collectCandidates(const FilePaths& roots, qint64 minSize, ScanProgress* progress)
{
    std::vector<Candidate> result;
    std::unordered_set<FileId, FileIdHash> seen;
    WalkOptions options;
    options.skipHidden = true;
    options.progress = progress;
    for (const FilePath& root : roots) {
        for (FoundFile& found : collectFiles(root, minSize, options)) {
            if (!seen.insert(fileIdOf(found.st)).second)
                continue;
            result.push_back(Candidate{std::move(found.path), stampOf(found.st)});
        }
    }
    return result;
}

// Length of the valid UTF-8 sequence at p (at most n bytes), 0 when it is not one.
int utf8SequenceLength(const unsigned char* p, qsizetype n)
{
    const unsigned char b = p[0];
    if (b < 0x80)
        return 1;
    auto cont = [&](qsizetype i, unsigned char lo = 0x80, unsigned char hi = 0xBF) {
        return i < n && p[i] >= lo && p[i] <= hi;
    };
    if (b >= 0xC2 && b <= 0xDF)
        return cont(1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        const unsigned char lo = b == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b == 0xED ? 0x9F : 0xBF;
        return cont(1, lo, hi) && cont(2) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        const unsigned char lo = b == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b == 0xF4 ? 0x8F : 0xBF;
        return cont(1, lo, hi) && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

int threadCount(int requested)
{
    if (requested > 0)
        return requested;
    return std::clamp(QThread::idealThreadCount(), 1, 8);
}

} // namespace

std::u32string pathOrderKey(const QByteArray& path)
{
    std::u32string key;
    key.reserve(size_t(path.size()));
    const auto* p = reinterpret_cast<const unsigned char*>(path.constData());
    const qsizetype n = path.size();
    bool ascii = true;
    for (qsizetype i = 0; i < n && ascii; ++i)
        ascii = p[i] < 0x80;
    if (ascii) {
        for (qsizetype i = 0; i < n; ++i)
            key.push_back(char32_t(p[i]));
        return key;
    }
    auto flush = [&](qsizetype from, qsizetype to) {
        if (to <= from)
            return;
        const QString run = QString::fromUtf8(path.constData() + from, to - from)
                                .normalized(QString::NormalizationForm_C);
        for (char32_t c : run.toUcs4())
            key.push_back(c);
    };
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n;) {
        const int len = utf8SequenceLength(p + i, n - i);
        if (len > 0) {
            i += len;
            continue;
        }
        flush(runStart, i);
        key.push_back(char32_t(0x110000 + p[i])); // above every code point
        runStart = ++i;
    }
    flush(runStart, n);
    return key;
}

bool pathLess(const QByteArray& a, const QByteArray& b)
{
    return pathOrderKey(a) < pathOrderKey(b);
}

QList<CleanupCategory> find(const FilePaths& roots, qint64 minSize, const QString& icon, const Options& options)
{
    const int threads = threadCount(options.threads);
    const std::vector<Candidate> cands = collectCandidates(roots, minSize, options.progress);
    if (cancelled(options.progress))
        return {};

    // Size groups: candidates sorted by size, walk order kept within a size.
    std::vector<int> bySize(cands.size());
    for (size_t i = 0; i < cands.size(); ++i)
        bySize[i] = int(i);
    std::stable_sort(bySize.begin(), bySize.end(),
                     [&](int a, int b) { return cands[size_t(a)].stamp.size < cands[size_t(b)].stamp.size; });
    std::vector<std::pair<qint64, std::vector<int>>> sizeGroups;
    for (size_t i = 0; i < bySize.size();) {
        size_t j = i;
        const qint64 size = cands[size_t(bySize[i])].stamp.size;
        while (j < bySize.size() && cands[size_t(bySize[j])].stamp.size == size)
            ++j;
        if (j - i >= 2)
            sizeGroups.push_back({size, std::vector<int>(bySize.begin() + qsizetype(i), bySize.begin() + qsizetype(j))});
        i = j;
    }

    Counters counters;
    counters.progress = options.progress;
    std::vector<Group> groups;
    // Batches bound the partial blocks held between the two stages.
    for (size_t first = 0; first < sizeGroups.size();) {
        if (counters.cancelled())
            return {};
        size_t last = first;
        qint64 held = 0;
        while (last < sizeGroups.size() && (last == first || held < kBatchBudget)) {
            held += qint64(sizeGroups[last].second.size()) * std::min(sizeGroups[last].first, 2 * kBlock);
            ++last;
        }

        std::vector<std::vector<BlockClass>> filtered(last - first);
        parallelFor(last - first, threads, [&](size_t i) {
            if (counters.cancelled())
                return;
            const auto& [size, members] = sizeGroups[first + i];
            filtered[i] = filterSizeGroup(cands, size, members, counters);
        });
        std::vector<BlockClass> classes;
        for (auto& f : filtered)
            for (BlockClass& c : f)
                classes.push_back(std::move(c));
        filtered.clear();

        // Largest work first, so the threads finish together.
        std::stable_sort(classes.begin(), classes.end(), [](const BlockClass& a, const BlockClass& b) {
            return a.size * qint64(a.members.size()) > b.size * qint64(b.members.size());
        });
        std::vector<std::vector<Group>> hashed(classes.size());
        parallelFor(classes.size(), threads, [&](size_t i) {
            if (!counters.cancelled())
                hashed[i] = hashClass(cands, classes[i], counters);
        });
        for (auto& h : hashed)
            for (Group& g : h)
                groups.push_back(std::move(g));
        first = last;
    }

    if (counters.cancelled())
        return {};

    // Files of one size with one digest form one group. Files of different bytes share a digest
    // only through a SHA-256 collision; they are grouped then, as the digest says.
    {
        QHash<QPair<qint64, QByteArray>, size_t> byKey;
        std::vector<Group> merged;
        for (Group& g : groups) {
            const QPair<qint64, QByteArray> key(g.size, g.digest);
            const auto it = byKey.constFind(key);
            if (it == byKey.constEnd()) {
                byKey.insert(key, merged.size());
                merged.push_back(std::move(g));
                continue;
            }
            std::vector<int>& into = merged[*it].members;
            into.insert(into.end(), g.members.begin(), g.members.end());
            std::sort(into.begin(), into.end());
        }
        groups = std::move(merged);
    }

    struct Ordered {
        CleanupCategory category;
        qint64 total = 0;
        std::u32string firstKey;
        QByteArray firstPath;
    };
    std::vector<Ordered> ordered;
    ordered.reserve(groups.size());
    for (const Group& g : groups) {
        std::vector<std::pair<std::u32string, int>> keyed;
        for (int m : g.members)
            keyed.push_back({pathOrderKey(cands[size_t(m)].path), m});
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        Ordered o;
        o.category.icon = icon;
        for (size_t i = 0; i < keyed.size(); ++i) {
            const Candidate& c = cands[size_t(keyed[i].second)];
            CleanupFile file;
            file.name = displayPath(lastComponent(c.path));
            file.url = c.path;
            file.sizeInBytes = g.size;
            file.isSelected = i > 0;
            file.stamp = c.stamp;
            o.category.files.push_back(std::move(file));
        }
        o.category.name = o.category.files.first().name;
        o.total = g.size * qint64(g.members.size());
        o.firstKey = std::move(keyed.front().first);
        o.firstPath = cands[size_t(keyed.front().second)].path;
        ordered.push_back(std::move(o));
    }
    // Heaviest first; equal totals by their first copy's path, so every run gives one order.
    std::sort(ordered.begin(), ordered.end(), [](const Ordered& a, const Ordered& b) {
        if (a.total != b.total)
            return a.total > b.total;
        if (a.firstKey != b.firstKey)
            return a.firstKey < b.firstKey;
        return a.firstPath < b.firstPath;
    });

    QList<CleanupCategory> result;
    result.reserve(qsizetype(ordered.size()));
    for (Ordered& o : ordered)
        result.push_back(std::move(o.category));

    if (options.stats) {
        options.stats->bytesRead = counters.bytes.load();
        options.stats->filesOpened = counters.opens.load();
        options.stats->candidates = qint64(cands.size());
    }
    return result;
}

} // namespace duplicates

QList<CleanupCategory> findDuplicates(const FilePaths& roots, qint64 minSize, const QString& icon,
                                      ScanProgress* progress)
{
    duplicates::Options options;
    options.progress = progress;
    return duplicates::find(roots, minSize, icon, options);
}

std::optional<QByteArray> contentDigest(const FilePath& file)
{
    struct stat st;
    const int fd = duplicates::openRegular(file, &st);
    if (fd < 0)
        return std::nullopt;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    duplicates::Sha256 sha;
    std::vector<char> buf(static_cast<size_t>(duplicates::kMaxChunk));
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        sha.update(buf.data(), n);
    }
    ::close(fd);
    return sha.finish();
}

} // namespace orvane
