// The order of the result: copies by path, groups by weight, for any name the file system holds.

#include "duplicates_internal.h"
#include "paths.h"

#include <algorithm>

namespace orvane::duplicates {

namespace {

// Length of the valid UTF-8 sequence at p (at most n bytes), 0 when it is not one.
int utf8SequenceLength(const unsigned char* p, qsizetype n)
{
    const unsigned char b = p[0];
    if (b < 0x80)
        return 1;
    auto cont = [&](qsizetype i, unsigned char lo = 0x80, unsigned char hi = 0xBF) {
        return i < n && p[i] >= lo && p[i] <= hi;
    };
    if (b >= 0xC2 && b <= 0xDF)
        return cont(1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        const unsigned char lo = b == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b == 0xED ? 0x9F : 0xBF;
        return cont(1, lo, hi) && cont(2) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        const unsigned char lo = b == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b == 0xF4 ? 0x8F : 0xBF;
        return cont(1, lo, hi) && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

} // namespace

std::u32string pathOrderKey(const QByteArray& path)
{
    std::u32string key;
    key.reserve(size_t(path.size()));
    const auto* p = reinterpret_cast<const unsigned char*>(path.constData());
    const qsizetype n = path.size();
    bool ascii = true;
    for (qsizetype i = 0; i < n && ascii; ++i)
        ascii = p[i] < 0x80;
    if (ascii) {
        for (qsizetype i = 0; i < n; ++i)
            key.push_back(char32_t(p[i]));
        return key;
    }
    auto flush = [&](qsizetype from, qsizetype to) {
        if (to <= from)
            return;
        const QString run = QString::fromUtf8(path.constData() + from, to - from)
                                .normalized(QString::NormalizationForm_C);
        for (char32_t c : run.toUcs4())
            key.push_back(c);
    };
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n;) {
        const int len = utf8SequenceLength(p + i, n - i);
        if (len > 0) {
            i += len;
            continue;
        }
        flush(runStart, i);
        key.push_back(char32_t(0x110000 + p[i])); // above every code point
        runStart = ++i;
    }
    flush(runStart, n);
    return key;
}

QList<CleanupCategory> orderedCategories(const std::vector<Candidate>& cands, const std::vector<Group>& groups,
                                         const QString& icon)
{
    struct Ordered {
        CleanupCategory category;
        qint64 total = 0;
        std::u32string firstKey;
        QByteArray firstPath;
    };
    std::vector<Ordered> ordered;
    ordered.reserve(groups.size());
    for (const Group& g : groups) {
        std::vector<std::pair<std::u32string, int>> keyed;
        for (int m : g.members)
            keyed.push_back({pathOrderKey(cands[size_t(m)].path), m});
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        Ordered o;
        o.category.icon = icon;
        for (size_t i = 0; i < keyed.size(); ++i) {
            const Candidate& c = cands[size_t(keyed[i].second)];
            CleanupFile file;
            file.name = displayPath(lastComponent(c.path));
            file.url = c.path;
            file.sizeInBytes = g.size;
            file.isSelected = i > 0;
            file.stamp = c.stamp;
            o.category.files.push_back(std::move(file));
        }
        o.category.name = o.category.files.first().name;
        o.total = g.size * qint64(g.members.size());
        o.firstKey = std::move(keyed.front().first);
        o.firstPath = cands[size_t(keyed.front().second)].path;
        ordered.push_back(std::move(o));
    }
    // Heaviest first; equal totals by their first copy's path, so every run gives one order.
    std::sort(ordered.begin(), ordered.end(), [](const Ordered& a, const Ordered& b) {
        if (a.total != b.total)
            return a.total > b.total;
        if (a.firstKey != b.firstKey)
            return a.firstKey < b.firstKey;
        return a.firstPath < b.firstPath;
    });

    QList<CleanupCategory> result;
    result.reserve(qsizetype(ordered.size()));
    for (Ordered& o : ordered)
        result.push_back(std::move(o.category));

    return result;
}

} // namespace orvane::duplicates
