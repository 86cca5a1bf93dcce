#pragma once

// Reading small files the user controls (desktop entries, Trash info files, Info.plist,
// user-dirs.dirs) without trusting them: only a regular file is opened, a link at the last
// component is never followed, a FIFO or device swapped in is never waited on, and no more than
// a bounded prefix is read.

#include "model_types.h"

#include <fcntl.h>

#include <optional>

namespace orvane {

struct FileHead {
    QByteArray bytes; // at most the limit asked for
    bool whole = false; // the file ended within the limit
};

// The first `limit` bytes of the regular file `name` in the folder `dirFd` (AT_FDCWD and a full
// path work too). None when it is not a regular file or cannot be opened or read.
std::optional<FileHead> readFileHead(int dirFd, const char* name, qsizetype limit);

// The whole file when it holds at most `maxSize` bytes; none otherwise.
std::optional<QByteArray> readSmallFile(int dirFd, const char* name, qsizetype maxSize);

} // namespace orvane
