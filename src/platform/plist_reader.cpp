#include "plist_reader.h"

#include "file_head.h"

#include <plist/plist.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace orvane {

namespace {

// Info.plist files are a few KB; anything past this is not read at all.
constexpr qint64 kMaxPlistSize = 4 * 1024 * 1024;

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

} // namespace

std::optional<QString> plistString(const QByteArray& data, const char* key)
{
    if (data.isEmpty() || data.size() > kMaxPlistSize)
        return std::nullopt;
    const bool binary = data.startsWith("bplist00"); // the parser's own test for the binary format
    if (binary ? !binaryPlistIsTame(data) : !xmlPlistIsTame(data))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    if (!root)
        return std::nullopt;
    std::optional<QString> value;
    if (plist_get_node_type(root) == PLIST_DICT) {
        plist_t item = plist_dict_get_item(root, key);
        if (item && plist_get_node_type(item) == PLIST_STRING) {
            char* text = nullptr;
            plist_get_string_val(item, &text);
            if (text) {
                value = QString::fromUtf8(text);
                std::free(text);
            }
        }
    }
    plist_free(root);
    return value;
}

std::optional<QString> plistFileString(int dirFd, const char* name, const char* key)
{
    const std::optional<QByteArray> data = readSmallFile(dirFd, name, kMaxPlistSize);
    return data ? plistString(*data, key) : std::nullopt;
}

std::optional<QString> bundleInfoValue(const FilePath& bundle, const char* key)
{
    const int bundleFd = ::open(bundle.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (bundleFd < 0)
        return std::nullopt;
    std::optional<QString> value;
    const int contentsFd = ::openat(bundleFd, "Contents", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (contentsFd >= 0) {
        value = plistFileString(contentsFd, "Info.plist", key);
        ::close(contentsFd);
    }
    if (!value)
        value = plistFileString(bundleFd, "Info.plist", key);
    ::close(bundleFd);
    return value;
}

} // namespace orvane
