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

    // One source over several locations: each location's items once (a repeated location is
    // listed once), a single-file location as one item (never a link), log folders offering
    // only regular files named as logs, Orvane's own folders and anything holding them left out;
    // one category ordered by size, ties in location order.
    void locationsOfOneSource()
    {
        fixture::TempDir dir;
        const QByteArray root = dir.path();
        using K = SourceLocation::Kind;
        QVERIFY(fixture::writeFile(root + "/a/x", 300));
        QVERIFY(fixture::writeFile(root + "/a/y", 20));
        QVERIFY(fixture::writeFile(root + "/a/Orvane/qmlcache/c", 500));
        QVERIFY(fixture::writeFile(root + "/a/cfg/Orvane/Orvane.conf", 5));
        QVERIFY(fixture::writeFile(root + "/single.xbel", 100));
        QVERIFY(fixture::makeSymlink(root + "/single.xbel", root + "/link.xbel"));
        QVERIFY(fixture::makeSymlink(root + "/a", root + "/link-folder"));
        for (const auto& [name, size] : QList<QPair<QByteArray, qint64>>{
                 {"Xorg.0.log", 40}, {"Xorg.0.log.old", 30}, {"session.log.1.gz", 20}, {"notes.txt", 20},
                 {"dir.log/f", 20}, {".log", 20}, {"catalog", 20}, {"x.log.old.bak", 20}})
            QVERIFY(fixture::writeFile(root + "/logs/" + name, size));
        QVERIFY(fixture::makeSymlink(root + "/logs/Xorg.0.log", root + "/logs/linked.log"));
        const FolderSource source{{{K::folder, root + "/a"}, {K::item, root + "/single.xbel"}, {K::item, root + "/link.xbel"},
                                   {K::item, root + "/link-folder"}, {K::logFiles, root + "/logs"},
                                   {K::folder, root + "/missing"}, {K::item, root + "/missing.xbel"},
                                   {K::folder, root + "/a"}, {K::item, root + "/a/x"}},
                                  {root + "/a/Orvane", root + "/a/cfg/Orvane"}};
        const QList<CleanupFile> files = scanFolderSource(source, true);
        QStringList names;
        for (const CleanupFile& f : files)
            names << f.name + u' ' + QString::number(f.sizeInBytes);
        QCOMPARE(names, (QStringList{"x 300", "single.xbel 100", "Xorg.0.log 40", "Xorg.0.log.old 30", "y 20",
                                     "session.log.1.gz 20"}));
        QCOMPARE(files[1].url, root + "/single.xbel");
        QVERIFY(scanFolderSource({}, true).isEmpty());
    }

    // A freedesktop Trash: the entries of files/ under their original names, each with its info
    // file as an extra location. Info files that are missing, linked, folders, binary, cut off
    // by the read bound or malformed leave the entry's own name; an info file without its entry
    // offers nothing.
    void trashListing()
    {
        fixture::TempDir dir;
        const QByteArray trash = dir.path() + "/Trash";
        const auto info = [&](const QByteArray& entry, const QByteArray& text) {
            return fixture::writeBytes(trash + "/info/" + entry + ".trashinfo", text);
        };
        struct Row {
            QByteArray entry;
            qint64 size;
            QByteArray infoText; // empty: no info file (or one set up below)
            QString shown;
            bool hasInfo;
        };
        const QByteArray big = "[Trash Info]\nPath=/h/Original%20Huge\nDeletionDate=2024-01-01T00:00:00\n#"
                               + QByteArray(100000, 'x') + "\n";
        const QList<Row> rows{
            {"report.2.pdf", 900, "[Trash Info]\nPath=/home/u/Docs/report.pdf\nDeletionDate=2024-03-01T10:00:00\n",
             "report.pdf", true},
            {"Informe", 800, "[Trash Info]\r\nPath=/home/u/Informe%20a%C3%B1o.odt\r\n",
             QString::fromUtf8("Informe año.odt"), true},
            {"caf\xe9", 700, "[Trash Info]\nPath=/x/caf%E9\n", QStringLiteral("caf\uFFFD"), true},
            {"huge", 600, big, "Original Huge", true},
            {"cut", 500, "[Trash Info]\nPath=/" + QByteArray(20000, 'a') + "\n", "cut", true},
            {"binary", 400, QByteArray("\x00\x01", 2) + "[Trash Info]\nPath=/x/y\xff", "binary", true},
            {"no-group", 300, "Path=/x/elsewhere\n", "no-group", true},
            {"dot-dot", 250, "[Trash Info]\nPath=/x/..\n", "dot-dot", true},
            {"other-group", 200, "[Desktop Entry]\nPath=/x/other\n", "other-group", true},
            {"no-info", 150, {}, "no-info", false},
            {"linked-info", 120, {}, "linked-info", false},
            {"folder-info", 110, {}, "folder-info", false},
        };
        for (const Row& row : rows) {
            QVERIFY(fixture::writeFile(trash + "/files/" + row.entry, row.size));
            if (!row.infoText.isEmpty())
                QVERIFY(info(row.entry, row.infoText));
        }
        QVERIFY(fixture::writeFile(trash + "/files/empty", 0));
        QVERIFY(info("empty", "[Trash Info]\nPath=/x/empty\n"));
        QVERIFY(info("ghost", "[Trash Info]\nPath=/x/ghost\n"));
        QVERIFY(fixture::makeSymlink(trash + "/info/report.2.pdf.trashinfo", trash + "/info/linked-info.trashinfo"));
        QVERIFY(QDir().mkpath(QString::fromUtf8(trash + "/info/folder-info.trashinfo")));
        QVERIFY(fixture::writeFile(trash + "/directorysizes", 40));

        const SourceLocation location{SourceLocation::Kind::trash, trash};
        QList<CleanupFile> files = scanFolderSource({{location}, {}}, true);
        QCOMPARE(files.size(), rows.size());
        QHash<FilePath, CleanupFile> byUrl;
        for (const CleanupFile& f : files)
            byUrl.insert(f.url, f);
        for (const Row& row : rows) {
            QVERIFY2(byUrl.contains(trash + "/files/" + row.entry), row.entry.constData());
            const CleanupFile f = byUrl.value(trash + "/files/" + row.entry);
            QCOMPARE(f.name, row.shown);
            const qint64 infoSize = row.hasInfo ? row.infoText.size() : 0;
            QCOMPARE(f.sizeInBytes, row.size + infoSize);
            QCOMPARE(f.extraURLs, row.hasInfo ? FilePaths{trash + "/info/" + row.entry + ".trashinfo"} : FilePaths{});
            QCOMPARE(f.extraSizes, row.hasInfo ? QList<qint64>{infoSize} : QList<qint64>{});
        }

        // Without info/ every entry keeps its own name; without files/, or through a link, nothing.
        fixture::removeTree(trash + "/info");
        files = scanFolderSource({{location}, {}}, false);
        QCOMPARE(files.size(), rows.size());
        QVERIFY(std::all_of(files.cbegin(), files.cend(), [&](const CleanupFile& f) {
            return f.extraURLs.isEmpty() && f.name == displayPath(lastComponent(f.url)) && !f.isSelected;
        }));
        QVERIFY(fixture::makeSymlink(trash, dir.path() + "/linked-trash"));
        QVERIFY(scanFolderSource({{{SourceLocation::Kind::trash, dir.path() + "/linked-trash"}}, {}}, true).isEmpty());
        fixture::removeTree(trash + "/files");
        QVERIFY(scanFolderSource({{location}, {}}, true).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFolderSource)
#include "tst_folder_source.moc"
