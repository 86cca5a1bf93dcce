#include "fixture.h"
#include "walker.h"

#include <QDir>
#include <QTest>

#include <sys/resource.h>

#include <signal.h>

using namespace orvane;

class TestWalker : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A walk that hangs (on a FIFO, a link loop) fails the test instead of stalling it.
        ::alarm(120);
    }
    void cleanup() { ::alarm(0); }

    // Bulk sizes use every core; each root's total must still be exactly the simple sum, on
    // every run.
    void folderSizesMatchReference()
    {
        fixture::TempDir dir;
        FilePaths roots;
        std::vector<qint64> expected;
        for (quint32 seed = 10; seed < 14; ++seed) {
            const QByteArray root = dir.path() + "/tree" + QByteArray::number(seed);
            fixture::buildRandomTree(root, seed, seed == 10 ? 1200 : 200, 1 << 20);
            roots.append(root);
            expected.push_back(fixture::ref::treeSize(root));
        }
        // Roots that are not folders measure 0; a root given twice is measured twice.
        fixture::writeFile(dir.path() + "/plain", 100);
        fixture::makeSymlink(roots.first(), dir.path() + "/link-to-tree");
        roots << dir.path() + "/plain" << dir.path() + "/missing" << dir.path() + "/link-to-tree"
              << roots.first() + "/";
        expected.insert(expected.end(), {0, 0, 0, expected.front()});
        for (int run = 0; run < 5; ++run)
            QCOMPARE(folderSizes(roots), expected);
        QCOMPARE(treeSize(roots.first()), expected.front());
        QCOMPARE(treeSize(dir.path() + "/plain"), qint64(100));
        QCOMPARE(treeSize(dir.path() + "/link-to-tree"), qint64(roots.first().size())); // the link's own length
        QCOMPARE(treeSize(dir.path() + "/missing"), qint64(0));
    }

    // Links are measured as links: a link to a big folder outside adds its own length, a link
    // loop ends, a dangling link counts; FIFOs and sockets add their st_size (0) and are never
    // opened, so nothing blocks.
    void linksAndSpecialFilesAreNeverFollowedOrOpened()
    {
        fixture::TempDir dir;
        const QByteArray base = dir.path();
        const QByteArray outside = base + "/outside";
        QVERIFY(fixture::writeSparse(outside + "/huge", qint64(1) << 40));
        const QByteArray root = base + "/r";
        QVERIFY(fixture::writeFile(root + "/file", 10));
        QVERIFY(fixture::makeSymlink(outside, root + "/to-outside"));
        QVERIFY(fixture::makeSymlink(outside + "/huge", root + "/to-huge"));
        QVERIFY(fixture::makeSymlink("missing", root + "/dangling"));
        QVERIFY(fixture::makeSymlink("..", root + "/loop"));
        QVERIFY(fixture::makeFifo(root + "/fifo"));
        QVERIFY(fixture::makeSocket(root + "/s"));
        const qint64 links = outside.size() + (outside + "/huge").size() + 7 + 2;
        QCOMPARE(treeSize(root), 10 + links);
        QCOMPARE(folderSizes({root}).front(), 10 + links);
        QCOMPARE(collectFiles(root, 0, {}).size(), size_t(1)); // only the regular file
    }

    void listFolderHiddenAndFailures()
    {
        fixture::TempDir dir;
        const QByteArray root = dir.path();
        QVERIFY(fixture::writeFile(root + "/.hidden", 1));
        QVERIFY(fixture::writeFile(root + "/shown", 1));
        QVERIFY(fixture::makeSymlink(root, root + "/self"));
        QCOMPARE(listFolder(root, false)->size(), size_t(3));
        QCOMPARE(listFolder(root, true)->size(), size_t(2));
        QVERIFY(!listFolder(root + "/shown", false));   // not a folder
        QVERIFY(!listFolder(root + "/self", false));    // a link to a folder is not opened
        QVERIFY(!listFolder(root + "/missing", false));
        QVERIFY(collectFiles(root + "/self", 0, {}).empty());
        QVERIFY(collectFiles(root + "/missing", 0, {}).empty());
    }

    // A folder the user may not read is passed over; the rest of the walk goes on. Permission
    // bits do not stop root, so the walks run in a child process without root's rights.
    void unreadableFoldersArePassedOver()
    {
        fixture::TempDir dir;
        const QByteArray root = dir.path();
        QVERIFY(::chmod(root.constData(), 0755) == 0);
        QVERIFY(fixture::writeFile(root + "/a/visible", 100));
        QVERIFY(fixture::writeFile(root + "/a/secret/hidden-size", 1000));
        QVERIFY(fixture::writeFile(root + "/b/more", 10));
        QVERIFY(fixture::writeSparse(root + "/b/big", 5000));
        QVERIFY(fixture::writeSparse(root + "/a/secret/big", 5000));
        QVERIFY(::chmod((root + "/a/secret").constData(), 0) == 0);
        const auto out = fixture::runUnprivileged([&root] {
            QByteArray result = QByteArray::number(treeSize(root)) + ' ';
            result += QByteArray::number(collectFiles(root, 5000, {}).size()) + ' ';
            result += listFolder(root + "/a/secret", false) ? "listed" : "unlisted";
            return result;
        });
        ::chmod((root + "/a/secret").constData(), 0755);
        if (!out)
            QSKIP("cannot run a child without root's rights here");
        QCOMPARE(*out, QByteArray("5110 1 unlisted"));
    }

    // Deep trees and wide folders are measured right within a small descriptor limit (the walk
    // keeps a bounded number open and closes every one it opened), as the space screen lists them.
    void deepTree_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("width"); // sub-folders of 1 byte beside the deep tree
        QTest::addColumn<int>("limit"); // RLIMIT_NOFILE while walking, 0 unchanged
        QTest::newRow("400 levels") << 400 << 0 << 0;
        QTest::newRow("2000 levels, 64 descriptors") << 2000 << 0 << 64;
        QTest::newRow("300 sub-folders, 64 descriptors") << 3 << 300 << 64;
    }
    void deepTree()
    {
        QFETCH(int, depth);
        QFETCH(int, width);
        QFETCH(int, limit);
        fixture::TempDir dir;
        const int deepest = fixture::makeDeepTree(dir.path() + "/top", depth);
        QVERIFY(deepest >= 0);
        ::close(deepest);
        for (int i = 0; i < width; ++i)
            QVERIFY(fixture::writeFile(dir.path() + "/w" + QByteArray::number(i) + "/f", 1));
        const qint64 deepSize = qint64(depth) * 1000 + 100;
        const auto openDescriptors = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
        struct rlimit saved {};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        const auto open = openDescriptors();
        if (limit > 0) {
            QVERIFY2(open + 16 < uint(limit), "too many descriptors open before the walk");
            struct rlimit small = saved;
            small.rlim_cur = rlim_t(limit);
            QVERIFY(::setrlimit(RLIMIT_NOFILE, &small) == 0);
        }
        const qint64 total = treeSize(dir.path());
        const size_t files = collectFiles(dir.path(), 1, {}).size();
        const auto measured = measureFolder(dir.path(), false);
        const auto openAfter = openDescriptors();
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
        QCOMPARE(total, deepSize + width);
        QCOMPARE(files, size_t(depth + 1 + width));
        QVERIFY(measured);
        QCOMPARE(qint64(measured->size()), qint64(1 + width));
        for (const MeasuredEntry& e : *measured)
            QCOMPARE(e.size, e.entry.name == "top" ? deepSize : qint64(1));
        QCOMPARE(openAfter, open);
    }
};

QTEST_GUILESS_MAIN(TestWalker)
#include "tst_walker.moc"
