#pragma once

// How far a running scan has got, and the way to stop it. The scan writes the counters from its
// threads in batches (once per folder read, once per chunk of a file read) and another thread
// reads them a few times a second; nothing is signalled per file.

#include <QtGlobal>

#include <atomic>
#include <functional>

namespace orvane {

struct ScanProgress {
    std::atomic<qint64> filesSeen{0}; // entries other than folders met by the walks
    std::atomic<qint64> bytesRead{0}; // file content read to compare possible duplicates
    std::atomic<int> source{-1};      // index in the plan of the source being scanned
    std::atomic<bool> cancelRequested{false};
    // Runs on the scanning threads wherever the scan checks for cancellation (so it must be
    // thread-safe); tests use it to cancel at a chosen point.
    std::function<void(ScanProgress&)> checkpoint;

    void cancel() { cancelRequested.store(true, std::memory_order_relaxed); }
    bool cancelled()
    {
        if (checkpoint)
            checkpoint(*this);
        return cancelRequested.load(std::memory_order_relaxed);
    }
};

// The helpers the scanners call; a scan run without progress passes null.
inline bool cancelled(ScanProgress* progress)
{
    return progress && progress->cancelled();
}

inline void countFiles(ScanProgress* progress, qint64 count)
{
    if (progress && count > 0)
        progress->filesSeen.fetch_add(count, std::memory_order_relaxed);
}

inline void countBytesRead(ScanProgress* progress, qint64 bytes)
{
    if (progress && bytes > 0)
        progress->bytesRead.fetch_add(bytes, std::memory_order_relaxed);
}

} // namespace orvane
