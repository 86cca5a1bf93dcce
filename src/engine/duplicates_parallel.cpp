// The parallel loop of the search: size groups in batches, each stage spread over the threads.

#include "duplicates_internal.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace orvane::duplicates {

namespace {

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

} // namespace

std::vector<Group> compareSizeGroups(const std::vector<Candidate>& cands,
                                     const std::vector<std::pair<qint64, std::vector<int>>>& sizeGroups, int threads,
                                     Counters& counters)
{
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

    return groups;
}

} // namespace orvane::duplicates
