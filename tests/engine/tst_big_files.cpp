#include "engine.h"
#include "fixture.h"
#include "paths.h"

#include <QTest>

using namespace orvane;

namespace {

constexpr qint64 MB = 1000 * 1000;
constexpr qint64 threshold = 104857600;

} // namespace

class TestBigFiles : public QObject
{
    Q_OBJECT

private slots:
    void init() { ::alarm(120); }
    void cleanup() { ::alarm(0); }

    // Nothing named exactly "Library" (at any depth, folder or file) and nothing hidden is
    // searched; "library", a photo-library package and bundle contents are; roots must be folders.
    void whatIsSearched()
    {
        fixture::TempDir dir;
        const QByteArray home = dir.path();
        const QList<QByteArray> skipped{
            home + "/Library/Caches/big",
            home + "/Documents/Project/Library/big",
            home + "/Documents/Library",
            home + "/.hidden-big",
            home + "/.Trash/big",
            home + "/Movies/.secret/big",
        };
        const QList<QByteArray> found{
            home + "/Documents/library/big",
            home + "/Pictures/Photos Library.photoslibrary/originals/big",
            home + "/Applications/Editor.app/Contents/Resources/big",
        };
        for (const QByteArray& path : skipped + found)
            QVERIFY(fixture::writeSparse(path, 300 * MB));
        // A link to a big file, a FIFO and a hard link's second name.
        QVERIFY(fixture::makeSymlink(found.first(), home + "/link-to-big"));
        QVERIFY(fixture::makeFifo(home + "/fifo"));
        QVERIFY(::link(found.first().constData(), (home + "/hardlink").constData()) == 0);

        QSet<QByteArray> urls;
        for (const CleanupFile& f : findBigFiles(home, threshold, false))
            urls.insert(f.url);
        QSet<QByteArray> expected(found.begin(), found.end());
        expected.insert(home + "/hardlink"); // a second name of a regular file is a regular file
        QCOMPARE(urls, expected);

        // Roots that are missing, a file, or a link to a folder give nothing.
        QVERIFY(findBigFiles(home + "/missing", 1, false).isEmpty());
        QVERIFY(findBigFiles(found.first(), 1, false).isEmpty());
        QVERIFY(fixture::makeSymlink(home + "/Documents/library", home + "/to-library"));
        QVERIFY(findBigFiles(home + "/to-library", 1, false).isEmpty());
        QCOMPARE(findBigFiles(home + "/Documents/library", 1, false).size(), 1);
    }

    // On random trees (a small one searched for anything not empty, and one large enough to split
    // across threads) the result is the reference walk's regular files of at least the minimum,
    // largest first with ties in walk order, named by their last component, selected as asked,
    // the same on every run.
    void matchesReference()
    {
        for (const auto& [seed, folders, minSize] : {std::tuple{31u, 150, qint64(1)}, std::tuple{32u, 1500, threshold}}) {
            fixture::TempDir dir;
            const QByteArray root = dir.path() + "/home";
            fixture::buildRandomTree(root, seed, folders, threshold);
            QVERIFY(fixture::writeSparse(root + "/exact", threshold));
            QVERIFY(fixture::writeSparse(root + "/one-less", threshold - 1));
            QVERIFY(fixture::writeSparse(root + "/2g", 2000 * MB));

            QList<QPair<QByteArray, qint64>> expected;
            for (const auto& e : fixture::ref::walk(root, true, true))
                if (S_ISREG(e.st.st_mode) && e.st.st_size >= minSize)
                    expected.append({e.path, e.st.st_size});
            std::stable_sort(expected.begin(), expected.end(),
                             [](const auto& a, const auto& b) { return a.second > b.second; });
            QVERIFY(expected.size() > 3);

            for (int run = 0; run < 4; ++run) {
                const bool autoSelect = run % 2;
                QList<QPair<QByteArray, qint64>> got;
                for (const CleanupFile& f : findBigFiles(root, minSize, autoSelect)) {
                    got.append({f.url, f.sizeInBytes});
                    QCOMPARE(f.name, displayPath(lastComponent(f.url)));
                    QVERIFY(f.isSelected == autoSelect && f.extraURLs.isEmpty());
                }
                QCOMPARE(got, expected);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestBigFiles)
#include "tst_big_files.moc"
