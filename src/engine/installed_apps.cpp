#include "engine.h"
#include "paths.h"
#include "walker.h"

#include <plist/plist.h>

#include <fcntl.h>
#include <unistd.h>

#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace orvane {

namespace {

constexpr qint64 kMinBundleSize = 1024 * 1024;
// Info.plist files are a few KB; anything past this is not read at all.
constexpr qint64 kMaxPlistSize = 4 * 1024 * 1024;

// The bytes of a regular file `name` inside the folder `dirFd`, or none. Never opens anything
// but a regular file (a FIFO would block, a device could act on being opened), never follows
// a link, refuses files larger than `maxSize`.
std::optional<QByteArray> readSmallFile(int dirFd, const char* name, qint64 maxSize)
{
    struct stat before;
    if (::fstatat(dirFd, name, &before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode)
        || before.st_size > maxSize)
        return std::nullopt;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != before.st_dev
        || opened.st_ino != before.st_ino || opened.st_size > maxSize) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray data;
    data.resize(qsizetype(opened.st_size) + 1); // one spare byte tells a file that grew
    qsizetype filled = 0;
    while (filled < data.size()) {
        const ssize_t n = ::read(fd, data.data() + filled, size_t(data.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        filled += n;
    }
    ::close(fd);
    if (filled > opened.st_size)
        return std::nullopt;
    data.truncate(filled);
    return data;
}

// libplist parses recursively, one stack frame per level, and expands shared objects of a binary
// plist into copies: a file of a few hundred bytes can make it recurse until the stack is gone or
// build a tree of 2^40 nodes. Real Info.plists are a few levels deep and a few thousand nodes
// large, so anything far beyond that is refused before it reaches the parser.
constexpr int kMaxPlistDepth = 64;
constexpr quint64 kMaxPlistNodes = 100000;
constexpr qsizetype kMaxXmlContainers = 10000;

quint64 readBigEndian(const uchar* bytes, int width)
{
    quint64 value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// Walks the object graph of a binary plist without recursion: every reference in bounds, no
// cycle, and the tree it expands to within the limits above.
bool binaryPlistIsTame(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const quint64 size = quint64(data.size());
    if (size < 8 + 32)
        return false;
    const uchar* trailer = bytes + size - 32;
    const int offsetWidth = trailer[6];
    const int refWidth = trailer[7];
    const quint64 objectCount = readBigEndian(trailer + 8, 8);
    const quint64 top = readBigEndian(trailer + 16, 8);
    const quint64 tableOffset = readBigEndian(trailer + 24, 8);
    const quint64 objectsEnd = size - 32;
    if (offsetWidth < 1 || offsetWidth > 8 || refWidth < 1 || refWidth > 8 || objectCount == 0
        || objectCount > objectsEnd || top >= objectCount || tableOffset < 8 || tableOffset > objectsEnd
        || (objectsEnd - tableOffset) / quint64(offsetWidth) < objectCount)
        return false;

    struct Container {
        quint64 refsAt = 0;
        quint64 refCount = 0;
    };
    // The references held by object `index`, none for a leaf; false when malformed.
    const auto containerOf = [&](quint64 index, Container& out) {
        const quint64 offset = readBigEndian(bytes + tableOffset + index * quint64(offsetWidth), offsetWidth);
        if (offset < 8 || offset >= tableOffset)
            return false;
        const uchar marker = bytes[offset];
        const int type = marker >> 4;
        out = {};
        if (type != 0xA && type != 0xC && type != 0xD)
            return true;
        quint64 count = marker & 0x0F;
        quint64 at = offset + 1;
        if (count == 0x0F) {
            if (at >= tableOffset || (bytes[at] >> 4) != 0x1 || (bytes[at] & 0x0F) > 3)
                return false;
            const int width = 1 << (bytes[at] & 0x0F);
            if (at + 1 + quint64(width) > tableOffset)
                return false;
            count = readBigEndian(bytes + at + 1, width);
            at += 1 + quint64(width);
        }
        const quint64 refs = type == 0xD ? 2 * count : count;
        if (count > tableOffset || refs > (tableOffset - at) / quint64(refWidth))
            return false;
        out = {at, refs};
        return true;
    };

    // Post-order over the graph with memoised subtree sizes; a node met again while still open
    // is a cycle.
    enum : uchar { unseen, open, done };
    std::vector<uchar> state(objectCount, unseen);
    std::vector<quint64> nodes(objectCount, 0);
    struct Frame {
        quint64 index;
        Container container;
        quint64 next;
    };
    std::vector<Frame> stack;
    Container root;
    if (!containerOf(top, root))
        return false;
    stack.push_back({top, root, 0});
    state[top] = open;
    nodes[top] = 1;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.container.refCount) {
            state[frame.index] = done;
            const quint64 finished = nodes[frame.index];
            stack.pop_back();
            if (!stack.empty()) {
                quint64& parent = nodes[stack.back().index];
                parent += finished;
                if (parent > kMaxPlistNodes)
                    return false;
            }
            continue;
        }
        const quint64 child =
            readBigEndian(bytes + frame.container.refsAt + frame.next * quint64(refWidth), refWidth);
        ++frame.next;
        if (child >= objectCount || state[child] == open)
            return false;
        if (state[child] == done) {
            nodes[frame.index] += nodes[child];
            if (nodes[frame.index] > kMaxPlistNodes)
                return false;
            continue;
        }
        Container container;
        if (!containerOf(child, container))
            return false;
        if (stack.size() >= size_t(kMaxPlistDepth))
            return false;
        state[child] = open;
        nodes[child] = 1;
        stack.push_back({child, container, 0});
    }
    return nodes[top] <= kMaxPlistNodes;
}

// An XML plist cannot share nodes, but it can nest deep enough to exhaust the stack. Every
// container tag counts, wherever it stands (comments and CDATA included), so the count can only
// err towards refusing.
bool xmlPlistIsTame(const QByteArray& data)
{
    return data.count("<array") + data.count("<dict") <= kMaxXmlContainers;
}

std::optional<QString> identifierFromPlist(const QByteArray& data)
{
    if (data.isEmpty())
        return std::nullopt;
    const bool binary = data.startsWith("bplist00"); // the parser's own test for the binary format
    if (binary ? !binaryPlistIsTame(data) : !xmlPlistIsTame(data))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    if (!root)
        return std::nullopt;
    std::optional<QString> identifier;
    if (plist_get_node_type(root) == PLIST_DICT) {
        plist_t item = plist_dict_get_item(root, "CFBundleIdentifier");
        if (item && plist_get_node_type(item) == PLIST_STRING) {
            char* value = nullptr;
            plist_get_string_val(item, &value);
            if (value) {
                identifier = QString::fromUtf8(value);
                std::free(value);
            }
        }
    }
    plist_free(root);
    return identifier;
}

// CFBundleIdentifier of Contents/Info.plist, else of Info.plist at the bundle's root.
std::optional<QString> bundleIdentifier(const FilePath& bundle)
{
    const int bundleFd = ::open(bundle.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (bundleFd < 0)
        return std::nullopt;
    std::optional<QString> identifier;
    const int contentsFd = ::openat(bundleFd, "Contents", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (contentsFd >= 0) {
        if (const auto data = readSmallFile(contentsFd, "Info.plist", kMaxPlistSize))
            identifier = identifierFromPlist(*data);
        ::close(contentsFd);
    }
    if (!identifier) {
        if (const auto data = readSmallFile(bundleFd, "Info.plist", kMaxPlistSize))
            identifier = identifierFromPlist(*data);
    }
    ::close(bundleFd);
    return identifier;
}

// A name that can stand as one path component below a Library folder. An empty identifier,
// "." or "..", or one holding "/", would name the Caches folder itself, the Library folder, or a
// place outside it: such a value is not a usable identifier at all.
bool isSafeComponent(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

FilePaths leftoversFor(const std::optional<QByteArray>& bundleID, const QByteArray& appName)
{
    const FilePath library = joinPath(homeDir(), QByteArray("Library"));
    FilePaths candidates;
    if (bundleID && isSafeComponent(*bundleID)) {
        const QByteArray& id = *bundleID;
        for (const QByteArray& relative : {
                 QByteArray("Application Support/") + id,
                 QByteArray("Caches/") + id,
                 QByteArray("Preferences/") + id + ".plist",
                 QByteArray("Containers/") + id,
                 QByteArray("Saved Application State/") + id + ".savedState",
                 QByteArray("HTTPStorages/") + id,
                 QByteArray("WebKit/") + id,
                 QByteArray("Application Scripts/") + id,
                 QByteArray("Logs/") + id,
             })
            candidates.append(joinPath(library, relative));
        if (const auto groups = listFolder(joinPath(library, QByteArray("Group Containers")), false)) {
            for (const ListedEntry& entry : *groups)
                if (entry.name.contains(id))
                    candidates.append(entry.path);
        }
    }
    if (isSafeComponent(appName)) {
        for (const char* folder : {"Application Support/", "Caches/", "Logs/"})
            candidates.append(joinPath(library, QByteArray(folder) + appName));
    }

    FilePaths result;
    QSet<QByteArray> seen;
    for (const FilePath& candidate : candidates) {
        struct stat st;
        // Existence follows a link the way a file manager's existence test does; the link
        // itself is what gets measured and removed.
        if (::stat(candidate.constData(), &st) != 0 || seen.contains(candidate))
            continue;
        seen.insert(candidate);
        result.append(candidate);
    }
    return result;
}

// Scan-time size of each location, by the one size rule; 0 for one that cannot be read.
QList<qint64> sizesOf(const FilePaths& locations, ScanProgress* progress)
{
    QList<qint64> sizes(locations.size(), 0);
    FilePaths folders;
    QList<qsizetype> folderIndex;
    for (qsizetype i = 0; i < locations.size(); ++i) {
        struct stat st;
        if (::lstat(locations[i].constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            folders.append(locations[i]);
            folderIndex.append(i);
        } else {
            sizes[i] = st.st_size;
        }
    }
    const std::vector<qint64> folderTotals = folderSizes(folders, progress);
    for (qsizetype j = 0; j < folderIndex.size(); ++j)
        sizes[folderIndex[j]] = folderTotals[size_t(j)];
    return sizes;
}

} // namespace

FilePaths findLeftovers(const std::optional<QString>& bundleID, const QString& appName)
{
    std::optional<QByteArray> id;
    if (bundleID)
        id = bundleID->toUtf8();
    return leftoversFor(id, appName.toUtf8());
}

QList<CleanupFile> scanInstalledApps(bool autoSelect, ScanProgress* progress)
{
    return scanInstalledApps(autoSelect, {FilePath("/Applications"), joinPath(homeDir(), QByteArray("Applications"))},
                             progress);
}

QList<CleanupFile> scanInstalledApps(bool autoSelect, const FilePaths& roots, ScanProgress* progress)
{
    QList<CleanupFile> apps;
    for (const FilePath& root : roots) {
        const auto listed = listFolder(root, true);
        if (!listed)
            continue; // a missing Applications folder contributes nothing
        for (const ListedEntry& entry : *listed) {
            // Only "*.app" directly inside the root, extension case-sensitive; a link named so
            // is not a bundle this scan may walk into.
            if (!entry.name.endsWith(".app") || entry.name.size() <= 4 || !S_ISDIR(entry.st.st_mode))
                continue;
            if (cancelled(progress))
                return {};
            const qint64 bundleSize = folderSizes({entry.path}, progress).front();
            if (bundleSize < kMinBundleSize)
                continue;
            const QByteArray name = entry.name.chopped(4);
            std::optional<QByteArray> id;
            if (const auto identifier = bundleIdentifier(entry.path))
                id = identifier->toUtf8();

            CleanupFile app;
            app.name = displayPath(name);
            app.url = entry.path;
            app.isSelected = autoSelect;
            app.extraURLs = leftoversFor(id, name);
            app.extraSizes = sizesOf(app.extraURLs, progress);
            app.sizeInBytes = bundleSize;
            for (qint64 size : app.extraSizes)
                app.sizeInBytes += size;
            apps.append(std::move(app));
        }
    }
    std::stable_sort(apps.begin(), apps.end(),
                     [](const CleanupFile& a, const CleanupFile& b) { return a.sizeInBytes > b.sizeInBytes; });
    return apps;
}

} // namespace orvane
