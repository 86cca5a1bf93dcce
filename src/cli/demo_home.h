#pragma once

// demo-home: a realistic sample home folder for trying Orvane without risking real files.

#include "base_dirs.h"

namespace orvane::cli {

struct DemoHomeResult {
    enum Status { Ok, NotEmpty, NotAFolder, Failed };
    Status status = Failed;
    FilePath home;       // absolute path of the folder filled
    FilePath failedPath; // first path that could not be made, when Failed
    qint64 files = 0;
    qint64 apparentBytes = 0; // sum of file sizes
    qint64 diskBytes = 0;     // blocks actually allocated (most large files are sparse)
};

// Fills `dir` (created when missing; refused when it holds anything, hidden entries included).
// The content is the same on every run: names, sizes, bytes and modification times. The folders
// the plans clean are laid out as `platform` has them (~/Library on macOS, the freedesktop
// folders on Linux).
DemoHomeResult makeDemoHome(const QByteArray& dir, Platform platform = runningPlatform());

} // namespace orvane::cli
