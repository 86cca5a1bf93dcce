#include "engine.h"
#include "fixture.h"
#include "paths.h"

#include <QTest>

#include <sys/statvfs.h>

using namespace orvane;

namespace {

using fixture::namesOf;

constexpr qint64 MB = 1000 * 1000;

CleanupSource folderSource(const char* name, const QByteArray& path, bool autoSelect = true)
{
    return {QString::fromLatin1(name), QStringLiteral("icon.") + QLatin1String(name), FolderSource{{{SourceLocation::Kind::folder, path}}, {}}, autoSelect};
}

} // namespace

class TestScanPlan : public QObject
{
    Q_OBJECT

    fixture::TempDir m_home;
    QByteArray m_root;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path());
    }

    void init()
    {
        m_root = homeDir() + "/fixture";
        fixture::removeTree(m_root);
        QVERIFY(QDir().mkpath(QString::fromUtf8(m_root)));
    }

    // Heaviest category first whatever the source order and selection; equal totals keep source
    // order; a source that finds nothing has no category and does not disturb the others.
    void orderingAndEmptySources()
    {
        QVERIFY(fixture::writeSparse(m_root + "/small/a", 10 * MB));
        QVERIFY(fixture::writeSparse(m_root + "/large/a", 1000 * MB));
        QVERIFY(fixture::writeSparse(m_root + "/large/b", 999 * MB));
        QVERIFY(fixture::writeSparse(m_root + "/tieA/x", 7 * MB));
        QVERIFY(fixture::writeSparse(m_root + "/tieB/y/z", 7 * MB));
        QVERIFY(fixture::writeFile(m_root + "/emptyish/zero", 0));
        CleanupPlan plan;
        plan.sources = {
            folderSource("small", m_root + "/small"),
            folderSource("missing", m_root + "/missing"),
            folderSource("tieA", m_root + "/tieA"),
            folderSource("large", m_root + "/large", false), // unselected files still count for order
            folderSource("emptyish", m_root + "/emptyish"),
            folderSource("tieB", m_root + "/tieB", false),
        };
        const QList<CleanupCategory> categories = scanPlan(plan);
        QCOMPARE(namesOf(categories), (QStringList{"large", "small", "tieA", "tieB"}));
        QCOMPARE(categories[0].icon, QStringLiteral("icon.large"));
        QCOMPARE(categories[0].totalSize(), 1999 * MB);
        QCOMPARE(categories[0].selectedSize(), 0);
        QCOMPARE(categories[0].files.size(), 2);
        QCOMPARE(categories[0].files[0].url, m_root + "/large/a"); // the scanner's own order kept
        QCOMPARE(categories[3].files[0].url, m_root + "/tieB/y");
        QVERIFY(!categories[3].files[0].isSelected);
        for (const CleanupCategory& c : categories)
            QVERIFY(!c.isExpanded);
        QVERIFY(categories[0].id != scanPlan(plan)[0].id); // fresh categories on every scan
    }

    // The dispatcher hands each kind to its scanner with the source's arguments and, for the
    // duplicate finder, appends its categories as they come.
    void eachKindDispatched()
    {
        const QByteArray apps = homeDir() + "/Applications";
        QVERIFY(fixture::writeSparse(apps + "/Tool.app/Contents/MacOS/tool", 3 * MB)); // an app on macOS
        QVERIFY(fixture::writeBytes(apps + "/Tool.AppImage", QByteArray("\x7f" "ELF\x02\x01\x01\x00" "AI\x02", 11)));
        QVERIFY(::truncate((apps + "/Tool.AppImage").constData(), 3 * MB) == 0); // and one on Linux
        QVERIFY(fixture::writeFile(m_root + "/dups/one", 2 * 1024 * 1024, 'q'));
        QVERIFY(fixture::writeFile(m_root + "/dups/two", 2 * 1024 * 1024, 'q'));
        QVERIFY(fixture::writeFile(m_root + "/dups/three", 2 * 1024 * 1024, 'q'));
        QVERIFY(fixture::writeFile(m_root + "/dups/other", 3 * 1024 * 1024, 'r'));
        QVERIFY(fixture::writeFile(m_root + "/dups/other2", 3 * 1024 * 1024, 'r'));
        QVERIFY(fixture::writeFile(m_root + "/cache/a", 1));
        QVERIFY(fixture::writeSparse(m_root + "/big/files/a", 5000 * MB));

        CleanupPlan plan;
        plan.sources = {
            folderSource("cache", m_root + "/cache"),
            {QStringLiteral("apps"), QStringLiteral("square.grid.2x2"), InstalledAppsSource{}, true},
            {QStringLiteral("dups"), QStringLiteral("doc.on.doc"), DuplicatesSource{{m_root + "/dups"}, 1048576}, false},
            {QStringLiteral("big"), QStringLiteral("doc.fill"), BigFilesSource{m_root + "/big", 104857600}, false},
        };
        const QList<CleanupCategory> categories = scanPlan(plan);
        const QList<CleanupCategory> duplicates = findDuplicates({m_root + "/dups"}, 1048576,
                                                                 QStringLiteral("doc.on.doc"));
        QCOMPARE(duplicates.size(), 2);
        QCOMPARE(categories.size(), 3 + duplicates.size());

        // Expected: the same categories, ordered by total with source order (then the finder's
        // own order) for ties.
        // (The system-wide Applications folder is read too; whatever it holds adds to "apps".)
        qint64 appsTotal = 0;
        for (const CleanupFile& app : scanInstalledApps(true))
            appsTotal += app.sizeInBytes;
        QVERIFY(appsTotal >= 3 * MB);
        QList<QPair<QString, qint64>> expected{{QStringLiteral("cache"), 1}, {QStringLiteral("apps"), appsTotal},
                                                 {QStringLiteral("big"), 5000 * MB}};
        for (const CleanupCategory& d : duplicates)
            expected.append({d.name, d.totalSize()});
        std::stable_sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.second > b.second; });
        for (qsizetype i = 0; i < categories.size(); ++i) {
            QCOMPARE(categories[i].name, expected[i].first);
            QCOMPARE(categories[i].totalSize(), expected[i].second);
        }
        for (const CleanupCategory& c : categories) {
            if (c.name == u"apps") {
                QVERIFY(std::any_of(c.files.begin(), c.files.end(), [](const CleanupFile& f) {
                    return f.name == u"Tool" && f.isSelected;
                }));
            } else if (c.name == u"big") {
                QCOMPARE(c.files[0].url, m_root + "/big/files/a");
            } else if (c.name != u"cache") {
                // A duplicate group: the source's icon, named after the copy that stays unselected.
                QCOMPARE(c.icon, QStringLiteral("doc.on.doc"));
                QVERIFY(!c.files.isEmpty() && !c.files[0].isSelected);
                QCOMPARE(c.name, c.files[0].name);
            }
        }
    }

    // Progress counts what the walks meet and what the duplicate search reads; a cancel, at any
    // point (here from the counters' own hook), stops the work early and leaves no result.
    void progressAndCancel_data()
    {
        QTest::addColumn<qint64>("cancelAtFiles"); // -1: never
        QTest::addColumn<qint64>("cancelAtBytes");
        QTest::newRow("to the end") << qint64(-1) << qint64(-1);
        QTest::newRow("cancelled while walking") << qint64(100) << qint64(-1);
        QTest::newRow("cancelled while comparing") << qint64(-1) << qint64(1);
    }

    void progressAndCancel()
    {
        QFETCH(qint64, cancelAtFiles);
        QFETCH(qint64, cancelAtBytes);
        for (int d = 0; d < 10; ++d)
            for (int f = 0; f < 30; ++f)
                QVERIFY(fixture::writeFile(m_root + "/cache/d" + QByteArray::number(d) + "/f" + QByteArray::number(f), 10));
        for (int f = 0; f < 5; ++f)
            QVERIFY(fixture::writeFile(m_root + "/cache/top" + QByteArray::number(f), 10));
        constexpr qint64 copy = 2 * 1024 * 1024;
        for (int pair = 0; pair < 6; ++pair)
            for (const char* which : {"a", "b"})
                QVERIFY(fixture::writeFile(m_root + "/dups/" + which + QByteArray::number(pair), copy + pair, char('a' + pair)));
        CleanupPlan plan;
        plan.sources = {folderSource("cache", m_root + "/cache"),
                        {QStringLiteral("dups"), QStringLiteral("doc.on.doc"), DuplicatesSource{{m_root + "/dups"}, 1048576}, false}};

        ScanProgress progress;
        progress.checkpoint = [&](ScanProgress& p) {
            if ((cancelAtFiles >= 0 && p.filesSeen >= cancelAtFiles) || (cancelAtBytes >= 0 && p.bytesRead >= cancelAtBytes))
                p.cancel();
        };
        const QList<CleanupCategory> categories = scanPlan(plan, &progress);
        const qint64 allFiles = 10 * 30 + 5 + 12;
        const qint64 allBytes = 12 * copy + 2 * (0 + 1 + 2 + 3 + 4 + 5); // identical copies are read whole
        if (cancelAtFiles < 0 && cancelAtBytes < 0) {
            QCOMPARE(categories.size(), 1 + 6);
            QCOMPARE(progress.filesSeen.load(), allFiles);
            QCOMPARE(progress.bytesRead.load(), allBytes);
            QCOMPARE(progress.source.load(), 1);
            return;
        }
        QVERIFY(categories.isEmpty());
        QVERIFY(progress.filesSeen < allFiles || progress.bytesRead < allBytes);
        if (cancelAtFiles >= 0) {
            QCOMPARE(progress.source.load(), 0); // the duplicate search never started
            QCOMPARE(progress.bytesRead.load(), 0);
        }
    }

    void diskCapacity()
    {
        struct statvfs vfs;
        QVERIFY(::statvfs(homeDir().constData(), &vfs) == 0);
        const DiskInfo info = diskInfo();
        QCOMPARE(info.total, qint64(vfs.f_blocks) * qint64(vfs.f_frsize));
        QVERIFY(info.free > 0 && info.free <= info.total);

        // A home that cannot be queried gives zeros.
        const QByteArray saved = qgetenv("HOME");
        qputenv("HOME", m_root + "/no/such/home");
        const DiskInfo none = diskInfo();
        qputenv("HOME", saved);
        QCOMPARE(none.total, 0);
        QCOMPARE(none.free, 0);
    }
};

QTEST_GUILESS_MAIN(TestScanPlan)
#include "tst_scan_plan.moc"
