#include "demo_home_writer.h"

#include "folder_reader.h"

#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::cli::demo {

quint64 fnv1a(const QByteArray& key)
{
    quint64 h = 1469598103934665603ull;
    for (char c : key) {
        h ^= quint8(c);
        h *= 1099511628211ull;
    }
    return h;
}

QByteArray xmlEscape(const QByteArray& s)
{
    QByteArray out = s;
    out.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
    return out;
}

namespace {

// Deterministic bytes: the same key always gives the same stream.
class ByteStream
{
public:
    explicit ByteStream(const QByteArray& key) : m_state(fnv1a(key) | 1) {}
    void fill(char* out, qint64 n)
    {
        for (qint64 i = 0; i < n; i += 8) {
            m_state ^= m_state >> 12;
            m_state ^= m_state << 25;
            m_state ^= m_state >> 27;
            const quint64 v = m_state * 2685821657736338717ull;
            for (qint64 k = 0; k < 8 && i + k < n; ++k)
                out[i + k] = char(v >> (8 * k));
        }
    }

private:
    quint64 m_state;
};

// Same modification time on every run, so the sample home is the same byte for byte.
void setTimes(const FilePath& path, const QByteArray& rel)
{
    const time_t base = 1710151522; // 2024-03-11 10:05:22 UTC
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = base - time_t(fnv1a(rel) % (180 * 86400));
    times[0].tv_nsec = times[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW);
}

} // namespace

QByteArray xmlPlist(const Pairs& pairs, const QByteArray& extra)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                     "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : pairs)
        out += "\t<key>" + xmlEscape(key) + "</key>\n\t<string>" + xmlEscape(value) + "</string>\n";
    out += extra;
    out += "</dict>\n</plist>\n";
    return out;
}

QByteArray binaryPlist(const Pairs& pairs)
{
    const int count = int(pairs.size()); // < 15, strings < 256 bytes
    QByteArray body = "bplist00";
    QList<qsizetype> offsets;
    offsets.append(body.size());
    body.append(char(0xD0 | count));
    for (int i = 0; i < count; ++i)
        body.append(char(1 + i));
    for (int i = 0; i < count; ++i)
        body.append(char(1 + count + i));
    const auto addString = [&](const QByteArray& s) {
        offsets.append(body.size());
        if (s.size() < 15) {
            body.append(char(0x50 | s.size()));
        } else {
            body.append(char(0x5F));
            body.append(char(0x10));
            body.append(char(s.size()));
        }
        body += s;
    };
    for (const auto& pair : pairs)
        addString(pair.first);
    for (const auto& pair : pairs)
        addString(pair.second);
    const qsizetype tableOffset = body.size();
    const int offsetSize = tableOffset < 256 ? 1 : 2;
    for (qsizetype o : offsets) {
        if (offsetSize == 2)
            body.append(char(o >> 8));
        body.append(char(o & 0xFF));
    }
    QByteArray trailer(32, '\0');
    trailer[6] = char(offsetSize);
    trailer[7] = 1; // object reference size
    qToBigEndian(quint64(offsets.size()), trailer.data() + 8);
    qToBigEndian(quint64(0), trailer.data() + 16);
    qToBigEndian(quint64(tableOffset), trailer.data() + 24);
    return body + trailer;
}

void Builder::dir(const QByteArray& rel)
{
    if (!ok())
        return;
    QByteArray path = m_root;
    for (const QByteArray& part : rel.split('/')) {
        if (part.isEmpty())
            continue;
        path += '/' + part;
        if (::mkdir(path.constData(), 0755) != 0 && errno != EEXIST) {
            m_failed = path;
            return;
        }
    }
}

void Builder::file(const QByteArray& rel, qint64 size, const QList<Chunk>& chunks)
{
    FilePath path;
    const int fd = create(rel, &path);
    if (fd < 0)
        return;
    bool good = true;
    QByteArray buffer;
    for (const Chunk& chunk : chunks) {
        ByteStream stream(chunk.key);
        const qint64 length = qMin(chunk.length, size - chunk.offset);
        for (qint64 done = 0; good && done < length;) {
            const qint64 n = qMin<qint64>(length - done, 256 * KiB);
            buffer.resize(n);
            stream.fill(buffer.data(), n);
            good = ::pwrite(fd, buffer.constData(), size_t(n), chunk.offset + done) == n;
            done += n;
        }
    }
    good = good && ::ftruncate(fd, size) == 0;
    if (::close(fd) != 0 || !good)
        m_failed = path;
}

void Builder::text(const QByteArray& rel, const QByteArray& content)
{
    FilePath path;
    const int fd = create(rel, &path);
    if (fd < 0)
        return;
    const bool good = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    if (::close(fd) != 0 || !good)
        m_failed = path;
}

int Builder::create(const QByteArray& rel, FilePath* path)
{
    if (!ok())
        return -1;
    const qsizetype slash = rel.lastIndexOf('/');
    if (slash > 0)
        dir(rel.left(slash));
    if (!ok())
        return -1;
    *path = m_root + '/' + rel;
    const int fd = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        m_failed = *path;
    return fd;
}

void link(Builder& b, const QByteArray& rel, const QByteArray& target)
{
    const qsizetype slash = rel.lastIndexOf('/');
    if (slash > 0)
        b.dir(rel.left(slash));
    const FilePath path = b.root() + '/' + rel;
    if (b.ok() && ::symlink(target.constData(), path.constData()) != 0)
        b.fail(path);
}

void appImage(Builder& b, const QByteArray& rel, qint64 size)
{
    QByteArray head(64 * KiB, '\0');
    ByteStream(rel).fill(head.data(), head.size());
    head.replace(0, 16, QByteArray("\x7f" "ELF\x02\x01\x01\x00" "AI\x02\x00\x00\x00\x00\x00", 16));
    b.text(rel, head);
    const FilePath path = b.root() + '/' + rel;
    if (b.ok() && ::truncate(path.constData(), size) != 0)
        b.fail(path);
}

void finish(const FilePath& path, const QByteArray& rel, DemoHomeResult& result)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        for (const fs::FolderEntry& e : fs::readFolder(path).value_or(std::vector<fs::FolderEntry>{}))
            finish(path + '/' + e.name, rel.isEmpty() ? e.name : rel + '/' + e.name, result);
    } else {
        ++result.files;
        result.apparentBytes += st.st_size;
        result.diskBytes += qint64(st.st_blocks) * 512;
    }
    if (!rel.isEmpty())
        setTimes(path, rel);
}

bool isEmptyFolder(const FilePath& path)
{
    const auto listed = fs::readFolder(path);
    return listed && listed->empty();
}

} // namespace orvane::cli::demo
