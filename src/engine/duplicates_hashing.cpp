// The second stage: the middle of each class of files read once, in lockstep, and hashed.

#include "duplicates_internal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace orvane::duplicates {

namespace {

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

} // namespace

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

} // namespace orvane::duplicates
