#include "duplicates_p.h"
#include "engine.h"
#include "fixture.h"
#include "paths.h"

#include <QCryptographicHash>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

using namespace orvane;

namespace {

using fixture::namesOf;
using fixture::urlsOf;
using fixture::writeBytes;

QByteArray randomBytes(qint64 size, quint32 seed)
{
    QList<quint32> words((size + 3) / 4);
    QRandomGenerator(seed).fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.constData()), size);
}

QByteArray flipped(QByteArray bytes, qint64 at)
{
    bytes[at] = char(bytes[at] ^ 0x5a);
    return bytes;
}

// ---- A straightforward reference: walk, group by size, SHA-256 every file, group by digest.

QList<uint> refKey(const QByteArray& path)
{
    return QString::fromUtf8(path).normalized(QString::NormalizationForm_C).toUcs4();
}

bool refKeyLess(const QList<uint>& a, const QList<uint>& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

struct RefGroup {
    qint64 size;
    QList<QByteArray> paths; // path order
};

QString referenceDuplicates(const QList<QByteArray>& roots, qint64 minSize)
{
    // Visible regular files from the minimum size up, each inode once (first name met).
    QSet<QPair<quint64, quint64>> seen;
    QHash<qint64, QList<QByteArray>> bySize;
    for (const QByteArray& root : roots)
        for (const fixture::ref::Entry& e : fixture::ref::walk(root, true))
            if (S_ISREG(e.st.st_mode) && e.st.st_size >= minSize && !seen.contains({e.st.st_dev, e.st.st_ino})) {
                seen.insert({e.st.st_dev, e.st.st_ino});
                bySize[e.st.st_size].push_back(e.path);
            }
    QList<RefGroup> groups;
    for (auto it = bySize.cbegin(); it != bySize.cend(); ++it) {
        if (it->size() < 2)
            continue;
        QHash<QByteArray, QList<QByteArray>> byDigest;
        QList<QByteArray> digestOrder;
        for (const QByteArray& path : *it) {
            QFile file(QString::fromLocal8Bit(path));
            const int fd = ::open(path.constData(), O_RDONLY);
            if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
                continue;
            const QByteArray digest = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
            if (!byDigest.contains(digest))
                digestOrder.push_back(digest);
            byDigest[digest].push_back(path);
        }
        for (const QByteArray& digest : digestOrder) {
            QList<QByteArray> paths = byDigest.value(digest);
            if (paths.size() < 2)
                continue;
            std::stable_sort(paths.begin(), paths.end(),
                             [](const QByteArray& a, const QByteArray& b) { return refKeyLess(refKey(a), refKey(b)); });
            groups.push_back({it.key(), paths});
        }
    }
    std::sort(groups.begin(), groups.end(), [](const RefGroup& a, const RefGroup& b) {
        const qint64 ta = a.size * a.paths.size(), tb = b.size * b.paths.size();
        if (ta != tb)
            return ta > tb;
        return refKeyLess(refKey(a.paths.first()), refKey(b.paths.first()));
    });
    // Described as describe() below does the finder's categories: the first copy stays.
    QString out;
    for (const RefGroup& g : groups) {
        out += QStringLiteral("[%1 %2]").arg(QString::fromUtf8(lastComponent(g.paths.first()))).arg(g.size);
        for (qsizetype i = 0; i < g.paths.size(); ++i)
            out += QStringLiteral(" %1%2").arg(i ? "+" : "-", QString::fromUtf8(g.paths[i]));
        out += '\n';
    }
    return out;
}

QString describe(const QList<CleanupCategory>& cats)
{
    QString out;
    for (const CleanupCategory& c : cats) {
        out += QStringLiteral("[%1 %2]").arg(c.name).arg(c.files.isEmpty() ? 0 : c.files.first().sizeInBytes);
        for (const CleanupFile& f : c.files)
            out += QStringLiteral(" %1%2").arg(f.isSelected ? "+" : "-", QString::fromUtf8(f.url));
        out += '\n';
    }
    return out;
}

} // namespace

class TestDuplicates : public QObject
{
    Q_OBJECT

private:
    QByteArray fresh()
    {
        m_dirs.push_back(std::make_unique<fixture::TempDir>());
        return m_dirs.back()->path();
    }
    std::vector<std::unique_ptr<fixture::TempDir>> m_dirs;

private slots:
    void twoCopiesAcrossRoots();
    void hardLinksAndOverlappingRoots();
    void onlyRegularFilesAreOpened();
    void equalEndsDifferentMiddles_data();
    void equalEndsDifferentMiddles();
    void pathOrder();
    void readsOnlyWhatItMust();
    void matchesReference();
};

void TestDuplicates::twoCopiesAcrossRoots()
{
    const QByteArray home = fresh();
    const QByteArray content = randomBytes(2 * 1000 * 1000, 1);
    QVERIFY(writeBytes(home + "/Pictures/photo copy.jpg", content));
    QVERIFY(writeBytes(home + "/Downloads/photo.jpg", content));
    const FilePaths roots{home + "/Downloads", home + "/Documents", home + "/Desktop", home + "/Pictures"};

    const QList<CleanupCategory> cats = findDuplicates(roots, 1048576, "doc.on.doc");
    QCOMPARE(cats.size(), 1);
    const CleanupCategory& c = cats.first();
    QCOMPARE(c.name, QStringLiteral("photo.jpg"));
    QCOMPARE(c.icon, QStringLiteral("doc.on.doc"));
    QVERIFY(!c.isExpanded);
    QCOMPARE(urlsOf(c.files), (QList<QByteArray>{home + "/Downloads/photo.jpg", home + "/Pictures/photo copy.jpg"}));
    QCOMPARE(namesOf(c.files), (QStringList{"photo.jpg", "photo copy.jpg"}));
    QVERIFY(!c.files[0].isSelected);
    QVERIFY(c.files[1].isSelected);
    for (const CleanupFile& f : c.files)
        QVERIFY(f.sizeInBytes == 2000000 && f.extraURLs.isEmpty() && f.stamp);

    // Same size, other content: nothing.
    QVERIFY(writeBytes(home + "/Pictures/photo copy.jpg", flipped(content, 1000000)));
    QVERIFY(findDuplicates(roots, 1048576, "doc.on.doc").isEmpty());
    // Roots that do not exist or are files give nothing and do not disturb the others; a hidden
    // root given explicitly is still searched, hidden entries inside it are not.
    for (const char* path : {"/Desktop/x.bin", "/.root/a", "/.root/b", "/.root/.c"})
        QVERIFY(writeBytes(home + path, content));
    const QList<CleanupCategory> again = findDuplicates(
        {home + "/missing", home + "/Downloads/photo.jpg", home + "/Downloads", home + "/Desktop", home + "/.root"},
        1048576, "i");
    QCOMPARE(again.size(), 1);
    QCOMPARE(urlsOf(again.first().files), (QList<QByteArray>{home + "/.root/a", home + "/.root/b",
                                                             home + "/Desktop/x.bin", home + "/Downloads/photo.jpg"}));
}

void TestDuplicates::hardLinksAndOverlappingRoots()
{
    const QByteArray home = fresh();
    const QByteArray content = randomBytes(20000, 10);
    QVERIFY(writeBytes(home + "/r/sub/original", content));
    QCOMPARE(::link((home + "/r/sub/original").constData(), (home + "/r/link-a").constData()), 0);
    QCOMPARE(::link((home + "/r/sub/original").constData(), (home + "/r/sub/link-b").constData()), 0);

    // One file under three names is not a duplicate of itself.
    QVERIFY(findDuplicates({home + "/r"}, 1, "i").isEmpty());
    // Nor when a root lies inside another or is given twice.
    QVERIFY(findDuplicates({home + "/r", home + "/r/sub", home + "/r"}, 1, "i").isEmpty());

    // A real copy makes a group of two: the copy and one name of the linked file.
    QVERIFY(writeBytes(home + "/r/sub/copy", content));
    for (const FilePaths& roots : {FilePaths{home + "/r"}, FilePaths{home + "/r/sub", home + "/r"},
                                   FilePaths{home + "/r", home + "/r/sub", home + "/r/"}}) {
        const QList<CleanupCategory> cats = findDuplicates(roots, 1, "i");
        QCOMPARE(cats.size(), 1);
        QCOMPARE(cats.first().files.size(), 2);
        QVERIFY(cats.first().files[0].stamp->inode != cats.first().files[1].stamp->inode);
        QVERIFY(urlsOf(cats.first().files).contains(home + "/r/sub/copy"));
    }
}

void TestDuplicates::onlyRegularFilesAreOpened()
{
    const QByteArray home = fresh();
    QVERIFY(writeBytes(home + "/r/empty1", {}));
    QVERIFY(writeBytes(home + "/r/empty2", {}));
    QVERIFY(writeBytes(home + "/target", randomBytes(5000, 11)));
    QVERIFY(writeBytes(home + "/r/real", randomBytes(5000, 11)));
    QVERIFY(fixture::makeFifo(home + "/r/fifo"));
    QVERIFY(fixture::makeSymlink(home + "/target", home + "/r/link"));
    QVERIFY(fixture::makeSymlink("/dev/zero", home + "/r/zero"));
    QVERIFY(fixture::makeSymlink(home, home + "/r/loop"));
    QVERIFY(fixture::makeSocket(home + "/r/sock"));

    // With no minimum every regular file counts, empty ones too; nothing else is a candidate,
    // and nothing hangs on the FIFO.
    const QList<CleanupCategory> cats = findDuplicates({home + "/r"}, 0, "i");
    QCOMPARE(cats.size(), 1);
    QCOMPARE(urlsOf(cats.first().files), (QList<QByteArray>{home + "/r/empty1", home + "/r/empty2"}));
    QCOMPARE(cats.first().totalSize(), 0);
}

void TestDuplicates::equalEndsDifferentMiddles_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("at");
    const qint64 big = 3 * 1048576 + 123;
    for (qint64 at : {qint64(0), qint64(4095), qint64(4096), qint64(70000), big / 2, big - 4097, big - 4096, big - 1})
        QTest::addRow("%lld of %lld", at, big) << big << at;
    // Large enough for the hashing to run beside the reading, with a split on the way.
    const qint64 huge = 17 * 1048576 + 5;
    QTest::addRow("%lld of %lld", huge / 2 + 1000000, huge) << huge << huge / 2 + 1000000;
    for (qint64 size : {qint64(4097), qint64(8192), qint64(8193), qint64(12288)})
        for (qint64 at : {qint64(4095), qint64(4096), size - 4097, size - 1})
            if (at >= 0)
                QTest::addRow("%lld of %lld", at, size) << size << at;
}

void TestDuplicates::equalEndsDifferentMiddles()
{
    QFETCH(qint64, size);
    QFETCH(qint64, at);
    const QByteArray home = fresh();
    const QByteArray base = randomBytes(size, quint32(size));
    QVERIFY(writeBytes(home + "/a-copy1", base));
    QVERIFY(writeBytes(home + "/b-other", flipped(base, at)));
    QVERIFY(writeBytes(home + "/c-copy2", base));
    QVERIFY(writeBytes(home + "/d-other2", flipped(flipped(base, at), size - 1 - at)));
    QVERIFY(writeBytes(home + "/e-copy3", flipped(flipped(base, at), size - 1 - at)));

    duplicates::Stats stats;
    const QList<CleanupCategory> cats = duplicates::find({home}, 1, "i", {0, &stats});
    const QString got = describe(cats);
    QCOMPARE(got, referenceDuplicates({home}, 1));
    QVERIFY(got.contains("a-copy1") && got.contains("c-copy2") && !got.contains("b-other"));
    QCOMPARE(stats.candidates, 5);
    QVERIFY(stats.bytesRead <= 5 * size);
}

void TestDuplicates::pathOrder()
{
    // Copies come in the order of their paths' code points after canonical normalisation; bytes
    // that are not UTF-8 sort after every character, by byte value, so the order is total.
    const QByteArray decomposed = QString::fromUtf16(u"A\u0308.bin").toUtf8(); // sorts as "\u00C4.bin", after "a"
    const QList<QByteArray> names{
        "B.bin", "Zeta", "a-b", "a/b", // capitals first; the path string's order, not component by component
        "alpha", decomposed,
        QString::fromUtf16(u"\uFF21").toUtf8(), QString::fromUcs4(U"\U0001F600").toUtf8(), // code points, not UTF-16 units
        QString::fromUcs4(U"\U0010FFFF").toUtf8(), "\x80", "\xc3", "\xed\xa0\x80", "\xed\xa0\x81", // surrogates are not UTF-8
        "\xff", "\xff" "a", "\xff" "b"};
    const QByteArray home = fresh();
    const QByteArray content = randomBytes(3000, 12);
    QList<QByteArray> expected;
    for (qsizetype i = names.size() - 1; i >= 0; --i) // written backwards: the walk's order is not the result's
        QVERIFY(writeBytes(home + '/' + names[i], content));
    for (const QByteArray& name : names)
        expected.append(home + '/' + name);
    const QList<CleanupCategory> cats = findDuplicates({home}, 1, "i");
    QCOMPARE(cats.size(), 1);
    QCOMPARE(urlsOf(cats.first().files), expected); // the first copy is the one kept
    QCOMPARE(cats.first().name, QStringLiteral("B.bin"));
    QCOMPARE(cats.first().files[5].name, QString::fromUtf16(u"A\u0308.bin"));
}

void TestDuplicates::readsOnlyWhatItMust()
{
    const QByteArray home = fresh();
    // Sizes that occur once are never opened.
    for (int i = 0; i < 20; ++i)
        QVERIFY(writeBytes(home + "/r/unique" + QByteArray::number(i), randomBytes(2000 + i, 13)));
    duplicates::Stats stats;
    QVERIFY(duplicates::find({home + "/r"}, 1, "i", {0, &stats}).isEmpty());
    QCOMPARE(stats.candidates, 20);
    QCOMPARE(stats.filesOpened, 0);
    QCOMPARE(stats.bytesRead, 0);

    // Copies are read once; same-size files that differ early cost a block; a file that
    // differs in the middle stops being read soon after the difference.
    const qint64 size = 8 * 1048576;
    const QByteArray base = randomBytes(size, 14);
    for (const char* name : {"/d/copy1", "/d/copy2", "/d/copy3"})
        QVERIFY(writeBytes(home + name, base));
    for (int i = 0; i < 10; ++i)
        QVERIFY(writeBytes(home + "/d/head" + QByteArray::number(i), flipped(base, i)));
    QVERIFY(writeBytes(home + "/d/tail", flipped(base, size - 1)));
    QVERIFY(writeBytes(home + "/d/middle", flipped(base, 300000)));
    stats = {};
    const QList<CleanupCategory> cats = duplicates::find({home + "/d"}, 1, "i", {0, &stats});
    QCOMPARE(cats.size(), 1);
    QCOMPARE(cats.first().files.size(), 3);
    const qint64 least = 3 * size + 10 * 4096 + 2 * 4096 + 300000;
    QVERIFY2(stats.bytesRead <= least * 105 / 100,
             qPrintable(QStringLiteral("%1 bytes read, at least %2").arg(stats.bytesRead).arg(least)));
    QVERIFY(stats.bytesRead >= 3 * size);
}

void TestDuplicates::matchesReference()
{
    // Sizes around the block edges, contents equal, equal at both ends, or different early, hard
    // links, links, hidden copies, odd names, nested roots.
    const QByteArray home = fresh();
    QRandomGenerator rng(2024);
    const QList<qint64> sizes{0, 1, 100, 4095, 4096, 4097, 8191, 8192, 8193, 12288, 70001, 1048576 + 5};
    const QList<QByteArray> dirs{"/A", "/A/x", "/A/x/deep", "/B", "/B/\xff\xfe-odd", "/B/caf\xc3\xa9",
                                 QString::fromUtf16(u"/B/cafe\u0301").toUtf8(), "/C", "/C/new\nline", "/A/.hidden"};
    int n = 0;
    for (qint64 size : sizes) {
        const QByteArray base = randomBytes(size, quint32(size + 7));
        QList<QByteArray> variants{base};
        for (qint64 at : {qint64(0), size / 2, size - 1, qint64(4096), size - 4097})
            if (at >= 0 && at < size)
                variants.push_back(flipped(base, at));
        for (const QByteArray& content : variants) {
            const int copies = int(rng.bounded(1, 4));
            for (int c = 0; c < copies; ++c) {
                const QByteArray dir = dirs[int(rng.bounded(int(dirs.size())))];
                const QByteArray path = home + dir + "/f" + QByteArray::number(n++) + (c % 2 ? "" : "\xe2\x80\x8b");
                QVERIFY(writeBytes(path, content));
                if (rng.bounded(5) == 0) {
                    const QByteArray linkDir = dirs[int(rng.bounded(int(dirs.size())))];
                    fixture::makeDirs(home + linkDir);
                    QCOMPARE(::link(path.constData(), (home + linkDir + "/h" + QByteArray::number(n++)).constData()), 0);
                }
                fixture::makeDirs(home + "/C");
                if (rng.bounded(7) == 0)
                    QCOMPARE(::symlink(path.constData(), (home + "/C/s" + QByteArray::number(n++)).constData()), 0);
            }
        }
    }
    const QList<QByteArray> roots{home + "/B", home + "/A/x", home + "/A", home + "/C", home + "/missing"};
    const std::pair<qint64, int> runs[] = {{0, 1}, {0, 2}, {4097, 0}, {8193, 4}}; // minimum size, threads
    for (const auto& [minSize, threads] : runs) {
        const QString expected = referenceDuplicates(roots, minSize);
        QVERIFY(expected.count('\n') >= 5);
        const QList<CleanupCategory> got = duplicates::find(roots, minSize, "i", {threads, nullptr});
        QCOMPARE(describe(got), expected);
        for (const CleanupCategory& c : got) {
            QCOMPARE(c.name, c.files.first().name);
            for (const CleanupFile& f : c.files)
                QCOMPARE(f.name, QString::fromUtf8(lastComponent(f.url)));
        }
    }
}

QTEST_GUILESS_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
