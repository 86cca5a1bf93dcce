#pragma once

// Internals of the duplicate finder, visible to its tests and benchmarks.

#include "model_types.h"
#include "scan_progress.h"

namespace orvane::duplicates {

// Work done by one search, for tests and benchmarks.
struct Stats {
    qint64 bytesRead = 0;   // every byte read from a candidate, partial blocks included
    qint64 filesOpened = 0; // opens of candidate files (one file may be opened more than once)
    qint64 candidates = 0;  // distinct files of at least minSize met by the walks
};

struct Options {
    int threads = 0; // 0: as many as the machine has cores (capped), 1: all on the calling thread
    Stats* stats = nullptr;
    ScanProgress* progress = nullptr;
};

QList<CleanupCategory> find(const FilePaths& roots, qint64 minSize, const QString& icon, const Options& options);

} // namespace orvane::duplicates
