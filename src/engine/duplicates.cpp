// Duplicate search: files grouped by size, then by an exact comparison of their first and last
// 4 KiB, then by the SHA-256 of their whole content. Files that are still together after the
// block comparison are read once each, in lockstep, and compared chunk by chunk as they are
// read: a file stops being read where it differs from all others, and each distinct content is
// hashed once, since equal bytes have one digest. Groups are files of one size and one digest.
// Every piece of work is per size group or per class of files, and the result is assembled and
// ordered afterwards, so running on several threads gives exactly what one thread gives.

#include "duplicates_internal.h"
#include "engine.h"
#include "walker.h"

#include <QHash>
#include <QThread>

#include <algorithm>
#include <unordered_set>

namespace orvane::duplicates {

namespace {

// Regular files of at least minSize below the roots, hidden entries skipped, in walk order;
// one entry per (device, inode): the first path met.
std::vector<Candidate> collectCandidates(const FilePaths& roots, qint64 minSize, ScanProgress* progress)
{
    std::vector<Candidate> result;
    std::unordered_set<fs::FileId, fs::FileIdHash> seen;
    WalkOptions options;
    options.skipHidden = true;
    options.progress = progress;
    for (const FilePath& root : roots) {
        for (FoundFile& found : collectFiles(root, minSize, options)) {
            if (!seen.insert(fs::fileIdOf(found.st)).second)
                continue;
            result.push_back(Candidate{std::move(found.path), fs::stampOf(found.st)});
        }
    }
    return result;
}

int threadCount(int requested)
{
    if (requested > 0)
        return requested;
    return std::clamp(QThread::idealThreadCount(), 1, 8);
}

// Size groups: candidates sorted by size, walk order kept within a size; sizes of one file left out.
std::vector<std::pair<qint64, std::vector<int>>> sizeGroupsOf(const std::vector<Candidate>& cands)
{
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
    return sizeGroups;
}

// Files of one size with one digest form one group. Files of different bytes share a digest
// only through a SHA-256 collision; they are grouped then, as the digest says.
std::vector<Group> mergedByDigest(std::vector<Group> groups)
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
    return merged;
}

} // namespace

QList<CleanupCategory> find(const FilePaths& roots, qint64 minSize, const QString& icon, const Options& options)
{
    const int threads = threadCount(options.threads);
    const std::vector<Candidate> cands = collectCandidates(roots, minSize, options.progress);
    if (cancelled(options.progress))
        return {};

    const auto sizeGroups = sizeGroupsOf(cands);
    Counters counters;
    counters.progress = options.progress;
    std::vector<Group> groups = compareSizeGroups(cands, sizeGroups, threads, counters);
    if (counters.cancelled())
        return {};

    groups = mergedByDigest(std::move(groups));
    QList<CleanupCategory> result = orderedCategories(cands, groups, icon);
    if (options.stats) {
        options.stats->bytesRead = counters.bytes.load();
        options.stats->filesOpened = counters.opens.load();
        options.stats->candidates = qint64(cands.size());
    }
    return result;
}

} // namespace orvane::duplicates

namespace orvane {

QList<CleanupCategory> findDuplicates(const FilePaths& roots, qint64 minSize, const QString& icon,
                                      ScanProgress* progress)
{
    duplicates::Options options;
    options.progress = progress;
    return duplicates::find(roots, minSize, icon, options);
}

} // namespace orvane
