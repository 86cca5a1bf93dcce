#include "engine.h"
#include "fixture.h"
#include "paths.h"
#include "walker.h"

#include <QTest>

using namespace orvane;

class TestFolderSource : public QObject
{
    Q_OBJECT

private slots:
    void init() { ::alarm(120); }
    void cleanup() { ::alarm(0); }

    void nothingToOffer()
    {
        fixture::TempDir dir;
        const QByteArray root = dir.path();
        QVERIFY(scanFolder(root + "/missing", true).isEmpty());
        QVERIFY(fixture::writeFile(root + "/plain", 10));
        QVERIFY(scanFolder(root + "/plain", true).isEmpty()); // not a folder

        // Only an empty file, an empty folder and a folder of empty files: nothing is offered.
        const QByteArray empty = root + "/empty";
        QVERIFY(fixture::writeFile(empty + "/zero", 0));
        QVERIFY(QDir().mkpath(QString::fromUtf8(empty + "/hollow")));
        QVERIFY(fixture::writeFile(empty + "/zeros/a", 0));
        QVERIFY(fixture::makeFifo(empty + "/fifo")); // st_size 0, never opened
        QVERIFY(scanFolder(empty, true).isEmpty());

        // A link to a folder is not listed through.
        QVERIFY(fixture::writeFile(root + "/real/file", 10));
        QVERIFY(fixture::makeSymlink(root + "/real", root + "/link"));
        QVERIFY(scanFolder(root + "/link", true).isEmpty());
    }

    // Each item directly inside is one entry credited with its whole size, hidden items
    // included, bundles as one entry, the bare name as its name.
    void entriesAndSizes()
    {
        fixture::TempDir dir;
        const QByteArray root = dir.path() + "/Caches";
        QVERIFY(fixture::writeFile(root + "/only-hidden/.cache", 10));
        QVERIFY(fixture::writeFile(root + "/.hidden-file", 7));
        QVERIFY(fixture::writeFile(root + "/Editor.app/Contents/MacOS/Editor", 3000));
        QVERIFY(fixture::writeFile(root + "/Editor.app/Contents/Info.plist", 200));
        QVERIFY(fixture::writeSparse(root + "/deep/a/b/c/sparse.bin", 123456789));
        QVERIFY(fixture::writeFile(root + "/deep/a/top.txt", 11));
        const QByteArray outside = dir.path() + "/outside";
        QVERIFY(fixture::writeSparse(outside + "/huge", qint64(1) << 40));
        QVERIFY(fixture::makeSymlink(outside, root + "/link-out"));

        for (bool autoSelect : {false, true}) {
            const QList<CleanupFile> files = scanFolder(root, autoSelect);
            QCOMPARE(files.size(), 5);
            QCOMPARE(files[0].name, QStringLiteral("deep"));
            QCOMPARE(files[0].sizeInBytes, qint64(123456789 + 11));
            QCOMPARE(files[0].url, root + "/deep");
            QCOMPARE(files[1].name, QStringLiteral("Editor.app"));
            QCOMPARE(files[1].sizeInBytes, qint64(3200));
            // The link counts as its own length, never as the terabyte behind it.
            QCOMPARE(files[2].name, QStringLiteral("link-out"));
            QCOMPARE(files[2].sizeInBytes, qint64(outside.size()));
            QCOMPARE(files[3].name, QStringLiteral("only-hidden"));
            QCOMPARE(files[3].sizeInBytes, qint64(10));
            QCOMPARE(files[4].name, QStringLiteral(".hidden-file"));
            QCOMPARE(files[4].sizeInBytes, qint64(7));
            QSet<QUuid> ids;
            for (const CleanupFile& f : files) {
                QCOMPARE(f.isSelected, autoSelect);
                QVERIFY(f.extraURLs.isEmpty());
                ids.insert(f.id);
            }
            QCOMPARE(ids.size(), files.size());
        }
    }

    // Largest first; equal sizes keep the listing order.
    void orderAndTies()
    {
        fixture::TempDir dir;
        const QByteArray root = dir.path();
        QVERIFY(fixture::writeFile(root + "/five", 5));
        QVERIFY(fixture::writeFile(root + "/five-hundred", 500));
        QVERIFY(fixture::writeFile(root + "/fifty", 50));
        for (int i = 0; i < 20; ++i)
            QVERIFY(fixture::writeFile(root + "/tie" + QByteArray::number(i) + "/f", 42));
        const QList<CleanupFile> files = scanFolder(root, false);
        QCOMPARE(files.size(), 23);
        QCOMPARE(files[0].sizeInBytes, qint64(500));
        QCOMPARE(files[1].sizeInBytes, qint64(50));
        QCOMPARE(files[2].sizeInBytes, qint64(42));
        QCOMPARE(files.last().sizeInBytes, qint64(5));

        QList<QByteArray> listingOrder;
        const auto listed = listFolder(root, false);
        QVERIFY(listed);
        for (const ListedEntry& e : *listed)
            if (e.name.startsWith("tie"))
                listingOrder.append(e.path);
        QList<QByteArray> tieOrder;
        for (const CleanupFile& f : files)
            if (f.sizeInBytes == 42)
                tieOrder.append(f.url);
        QCOMPARE(tieOrder, listingOrder);
    }

    // Names with spaces, "%", newlines, 255 bytes or bytes that are not UTF-8: the url keeps the
    // exact bytes, the name is readable text.
    void oddNames()
    {
        fixture::TempDir dir;
        const QByteArray root = dir.path();
        const QList<QByteArray> names{"a b", "50%off", "line\nbreak", "caf\xe9", QByteArray(255, 'z')};
        for (qsizetype i = 0; i < names.size(); ++i)
            QVERIFY(fixture::writeFile(root + "/" + names[i], 10 + i));
        const QList<CleanupFile> files = scanFolder(root, true);
        QCOMPARE(files.size(), names.size());
        for (qsizetype i = 0; i < names.size(); ++i) {
            const CleanupFile& f = files[names.size() - 1 - i];
            QCOMPARE(f.url, root + "/" + names[i]);
            QCOMPARE(f.name, displayPath(names[i]));
            QVERIFY(!f.name.contains(u'/'));
        }
        QCOMPARE(files[1].name, QStringLiteral("caf\uFFFD"));
    }
};

QTEST_GUILESS_MAIN(TestFolderSource)
#include "tst_folder_source.moc"
