#include "engine.h"
#include "fixture.h"
#include "paths.h"

#include <QTest>

#include <sys/statvfs.h>

using namespace orvane;

namespace {

using fixture::urlsOf;

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

    // Each kind goes to its scanner with the source's arguments (the duplicate finder's categories
    // appended as they come). Heaviest category first whatever the source order and selection;
    // equal totals keep source order, then the finder's own; a source that finds nothing has no
    // category and does not disturb the others.
    void kindsAndOrder()
    {
        QVERIFY(fixture::writeSparse(m_root + "/small/a", 10 * MB));
        QVERIFY(fixture::writeSparse(m_root + "/large/a", 1000 * MB));
        QVERIFY(fixture::writeSparse(m_root + "/large/b", 999 * MB));
        QVERIFY(fixture::writeSparse(m_root + "/tieA/x", 7 * MB));
        QVERIFY(fixture::writeSparse(m_root + "/tieB/y/z", 7 * MB));
        QVERIFY(fixture::writeFile(m_root + "/emptyish/zero", 0));
        const QByteArray apps = homeDir() + "/Applications";
        QVERIFY(fixture::writeSparse(apps + "/Tool.app/Contents/MacOS/tool", 3 * MB)); // an app on macOS
        QVERIFY(fixture::writeBytes(apps + "/Tool.AppImage", QByteArray("\x7f" "ELF\x02\x01\x01\x00" "AI\x02", 11)));
        QVERIFY(::truncate((apps + "/Tool.AppImage").constData(), 3 * MB) == 0); // and one on Linux
        for (const char* name : {"one", "two", "three"})
            QVERIFY(fixture::writeFile(m_root + "/dups/" + name, 2 * 1024 * 1024, 'q'));
        for (const char* name : {"other", "other2"})
            QVERIFY(fixture::writeFile(m_root + "/dups/" + name, 3 * 1024 * 1024, 'r'));
        QVERIFY(fixture::writeSparse(m_root + "/big/files/a", 5000 * MB));

        CleanupPlan plan;
        plan.sources = {
            folderSource("small", m_root + "/small"),
            folderSource("missing", m_root + "/missing"),
            folderSource("tieA", m_root + "/tieA"),
            folderSource("large", m_root + "/large", false), // unselected files still count for order
            {QStringLiteral("apps"), QStringLiteral("square.grid.2x2"), InstalledAppsSource{}, true},
            {QStringLiteral("dups"), QStringLiteral("doc.on.doc"), DuplicatesSource{{m_root + "/dups"}, 1048576}, false},
            folderSource("emptyish", m_root + "/emptyish"),
            {QStringLiteral("big"), QStringLiteral("doc.fill"), BigFilesSource{m_root + "/big", 104857600}, false},
            folderSource("tieB", m_root + "/tieB", false),
        };
        const QList<CleanupCategory> categories = scanPlan(plan);
        // (The system-wide Applications folder is read too; whatever it holds adds to "apps".)
        qint64 appsTotal = 0;
        for (const CleanupFile& app : scanInstalledApps({}, true))
            appsTotal += app.sizeInBytes;
        QVERIFY(appsTotal >= 3 * MB);
        QList<QPair<QString, qint64>> expected{{"small", 10 * MB}, {"tieA", 7 * MB}, {"large", 1999 * MB},
                                                 {"apps", appsTotal}};
        const QList<CleanupCategory> duplicates = findDuplicates({m_root + "/dups"}, 1048576, "doc.on.doc");
        QCOMPARE(duplicates.size(), 2);
        for (const CleanupCategory& d : duplicates)
            expected.append({d.name, d.totalSize()});
        expected += {{"big", 5000 * MB}, {"tieB", 7 * MB}};
        std::stable_sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.second > b.second; });
        QList<QPair<QString, qint64>> got;
        for (const CleanupCategory& c : categories)
            got.append({c.name, c.totalSize()});
        QCOMPARE(got, expected);

        auto named = [&](const QString& name) {
            return *std::find_if(categories.begin(), categories.end(), [&](auto& c) { return c.name == name; });
        };
        QCOMPARE(named("large").icon, QStringLiteral("icon.large"));
        QCOMPARE(named("large").selectedSize(), 0);
        // The scanner's own order kept.
        QCOMPARE(urlsOf(named("large").files), (QList<QByteArray>{m_root + "/large/a", m_root + "/large/b"}));
        QCOMPARE(urlsOf(named("tieB").files), QList<QByteArray>{m_root + "/tieB/y"});
        for (const CleanupCategory& c : categories) {
            QVERIFY(!c.isExpanded);
            QCOMPARE(c.files[0].isSelected, c.name == u"small" || c.name == u"tieA" || c.name == u"apps");
        }
        QVERIFY(categories[0].id != scanPlan(plan)[0].id); // fresh categories on every scan

        // The keep-list: nothing at, inside or holding a kept path is offered by any kind of
        // source, and a duplicate group left with a single copy is no longer one.
        plan.kept = {m_root + "/large/a", m_root + "/tieA/x", m_root + "/tieB/y/z", m_root + "/dups/other", m_root + "/big"};
        QStringList left;
        for (const CleanupCategory& c : scanPlan(plan))
            left << c.name + u' ' + QString::number(c.files.size());
        const QString threeCopies = duplicates[0].files.size() == 3 ? duplicates[0].name : duplicates[1].name;
        left.sort();
        QStringList expectedLeft{"large 1", "apps " + QString::number(named("apps").files.size()), threeCopies + " 3",
                                 "small 1"};
        expectedLeft.sort();
        QCOMPARE(left, expectedLeft);
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
