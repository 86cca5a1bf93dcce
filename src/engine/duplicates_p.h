#pragma once

// Internals of the duplicate finder, visible to its tests and benchmarks.

#include "model_types.h"
#include "scan_progress.h"

#include <string>

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

// Order key of a path: the path's code points after NFC normalisation. Bytes that are not
// valid UTF-8 keep their place and sort after every character, by byte value, so the order is
// total and stable for any name the file system can hold.
std::u32string pathOrderKey(const QByteArray& path);
bool pathLess(const QByteArray& a, const QByteArray& b);

} // namespace orvane::duplicates
