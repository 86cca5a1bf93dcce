#pragma once

#include "model_types.h"

namespace orvane {

struct MountEntry {
    FilePath point;  // where it is mounted, its octal escapes decoded
    QByteArray type; // the file system type ("ext4", "fuse.sshfs", …)
};

// The process's mount table, from /proc/self/mountinfo; empty when it cannot be read.
QList<MountEntry> mountTable();

// Network and FUSE file systems can stop answering (a dead sshfs): nothing on them is looked
// into beyond what the mount table says.
bool mayNeverAnswer(const MountEntry& mount);

} // namespace orvane
