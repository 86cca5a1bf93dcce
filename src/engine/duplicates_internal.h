#pragma once

// The duplicate finder's stages, shared by its files: candidates and their reads, the block
// comparison, the lockstep hashing, the parallel batches and the ordering of the result.

#include "duplicates_p.h"
#include "file_entry.h"

#include <openssl/evp.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvane::duplicates {

inline constexpr qint64 kBlock = 4096;              // partial comparison at each end
inline constexpr qint64 kMinChunk = 64 * 1024;      // first lockstep chunks: an early difference costs little
inline constexpr qint64 kMaxChunk = 256 * 1024;     // reads of up to 256 KiB: the chunks of a class stay in L2
inline constexpr qint64 kClassBuffers = 64LL << 20; // chunk buffers one large class may hold at once
inline constexpr qint64 kBatchBudget = 32LL << 20;  // partial blocks held between the two stages
inline constexpr qsizetype kMaxOpenPerClass = 64;   // larger classes reopen their files per chunk
inline constexpr qint64 kPipedHash = 16LL << 20;    // classes this large hash on a thread of their own

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

// A candidate is read only while it is still the file the walk met, unchanged.
int openCandidate(const Candidate& c, Counters& counters);
bool stillUnchanged(int fd, const Candidate& c);
// Reads exactly `len` bytes at `offset`; false on error or a short file.
bool readAt(int fd, char* buf, qint64 len, qint64 offset, Counters& counters);

// First stage for one size group: exact comparison of the first block, then of the last block.
std::vector<BlockClass> filterSizeGroup(const std::vector<Candidate>& cands, qint64 size,
                                        const std::vector<int>& members, Counters& counters);

// Second stage for one class: the middle of every file is read once, in lockstep, chunk by
// chunk; each chunk is compared byte for byte across the files and fed once into the SHA-256
// of the bytes they share, so files split apart where they differ and stop being read once
// they have no twin left. Files that stay together have equal bytes, hence equal digests.
std::vector<Group> hashClass(const std::vector<Candidate>& cands, const BlockClass& cls, Counters& counters);

// Both stages over every size group (files of one size, walk order) on `threads` threads, in
// batches that bound the partial blocks held between them. The groups come in no fixed order.
std::vector<Group> compareSizeGroups(const std::vector<Candidate>& cands,
                                     const std::vector<std::pair<qint64, std::vector<int>>>& sizeGroups, int threads,
                                     Counters& counters);

// Order key of a path: the path's code points after NFC normalisation. Bytes that are not
// valid UTF-8 keep their place and sort after every character, by byte value, so the order is
// total and stable for any name the file system can hold.
std::u32string pathOrderKey(const QByteArray& path);

// One category per group, its copies in path order (the first one unselected), heaviest group
// first; equal totals by their first copy's path, so every run gives one order.
QList<CleanupCategory> orderedCategories(const std::vector<Candidate>& cands, const std::vector<Group>& groups,
                                         const QString& icon);

} // namespace orvane::duplicates
