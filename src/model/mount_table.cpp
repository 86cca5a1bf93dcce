#include "mount_table.h"

#include "file_head.h"

#include <fcntl.h>

namespace orvane {

namespace {

// "\040" and the like stand for the byte of that octal value.
QByteArray unescaped(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

} // namespace

QList<MountEntry> mountTable()
{
    QList<MountEntry> mounts;
    const std::optional<FileHead> info = readFileHead(AT_FDCWD, "/proc/self/mountinfo", 4 * 1024 * 1024);
    if (!info)
        return mounts;
    // "36 35 98:0 /root /mount/point options … - type source options": the fifth field, and the
    // one after the lone "-".
    for (const QByteArray& line : info->bytes.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        const qsizetype dash = fields.indexOf("-", 5);
        mounts.append({unescaped(fields[4]), dash >= 0 && dash + 1 < fields.size() ? fields[dash + 1] : QByteArray()});
    }
    return mounts;
}

bool mayNeverAnswer(const MountEntry& mount)
{
    static const QByteArrayList remote = {"nfs",  "nfs4",      "cifs",  "smb3", "smbfs",   "9p",
                                          "afs",  "ceph",      "glusterfs", "davfs", "fuse", "virtiofs"};
    return mount.type.isEmpty() || remote.contains(mount.type) || mount.type.startsWith("fuse.");
}

} // namespace orvane
