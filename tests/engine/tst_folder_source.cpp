#include "catalogue.h"
#include "engine.h"
#include "fixture.h"
#include "paths.h"
#include "walker.h"

#include <QDir>
#include <QTest>

#include <numeric>

using namespace orvane;

class TestFolderSource : public QObject
{
    Q_OBJECT

private slots:
    void init() { ::alarm(120); }
    void cleanup() { ::alarm(0); }

    // Each item directly inside a folder is one entry credited with its whole size: hidden ones,
    // bundles, deep trees, a link as its own length (never the terabyte behind it); any bytes of
    // a name kept exact in the url and readable in the name. Empty files and folders, folders of
    // empty files, FIFOs and a volume's Trash folders (.Trash, .Trash-$uid) are not offered.
    // Largest first, equal sizes in listing order. A missing folder, a file or a link to a folder
    // offers nothing.
    void folderListing()
    {
        fixture::TempDir dir;
        const QByteArray root = dir.path() + "/Caches";
        QVERIFY(fixture::writeSparse(dir.path() + "/outside-folder/huge", qint64(1) << 40));
        QVERIFY(fixture::makeDirs(root) && fixture::makeSymlink("../outside-folder", root + "/link-out"));
        QVERIFY(fixture::writeFile(root + "/only-hidden/.cache", 10) && fixture::writeFile(root + "/.hidden-file", 7));
        QVERIFY(fixture::writeFile(root + "/Editor.app/Contents/MacOS/Editor", 3000));
        QVERIFY(fixture::writeFile(root + "/Editor.app/Contents/Info.plist", 200));
        QVERIFY(fixture::writeSparse(root + "/deep/a/b/c/sparse.bin", 123456789));
        QVERIFY(fixture::writeFile(root + "/deep/a/top.txt", 11));
        const QList<QByteArray> odd{"a b", "50%off", "line\nbreak", "caf\xe9", QByteArray(255, 'z')};
        for (qsizetype i = 0; i < odd.size(); ++i)
            QVERIFY(fixture::writeFile(root + '/' + odd[i], 100 + i));
        for (int i = 0; i < 20; ++i) // enough that a sort which is not stable shows
            QVERIFY(fixture::writeFile(root + "/tie" + QByteArray::number(i) + "/f", 50));
        QVERIFY(fixture::writeFile(root + "/zero", 0) && fixture::writeFile(root + "/zeros/a", 0));
        QVERIFY(fixture::makeDirs(root + "/hollow") && fixture::makeFifo(root + "/fifo"));
        QVERIFY(fixture::writeFile(root + "/.Trash-1000/files/x", 10) && fixture::writeFile(root + "/.Trash/0/info/y", 10));

        QList<QPair<QByteArray, qint64>> expected{{"deep", 123456789 + 11}, {"Editor.app", 3200}};
        for (qsizetype i = odd.size() - 1; i >= 0; --i)
            expected.append({odd[i], 100 + i});
        const auto listed = listFolder(root, false);
        QVERIFY(listed);
        for (const ListedEntry& e : *listed)
            if (e.name.startsWith("tie"))
                expected.append({e.name, 50});
        expected += {{"link-out", 17}, {"only-hidden", 10}, {".hidden-file", 7}};
        for (bool autoSelect : {false, true}) {
            const QList<CleanupFile> files = scanFolderSource({{{SourceLocation::Kind::folder, root}}, {}}, autoSelect);
            QCOMPARE(files.size(), expected.size());
            for (qsizetype i = 0; i < files.size(); ++i) {
                QCOMPARE(files[i].url, root + '/' + expected[i].first);
                QCOMPARE(files[i].name, displayPath(expected[i].first));
                QCOMPARE(files[i].sizeInBytes, expected[i].second);
                QVERIFY(files[i].isSelected == autoSelect && files[i].extraURLs.isEmpty());
            }
            QCOMPARE(files[3].name, QStringLiteral("caf\uFFFD"));
        }
        QVERIFY(fixture::makeSymlink(root, dir.path() + "/link"));
        for (const QByteArray& none : {root + "/missing", root + "/zero", dir.path() + "/link"})
            QVERIFY2(scanFolderSource({{{SourceLocation::Kind::folder, none}}, {}}, true).isEmpty(), none.constData());
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
        // A tool's cache under the tool's name; each Flatpak app's own cache folder's entries,
        // never its data or config, a cache that is a link, or a folder that is not an app id.
        QVERIFY(fixture::writeFile(root + "/npm/_cacache/index", 45));
        const QByteArray apps = root + "/var-app";
        QVERIFY(fixture::writeFile(apps + "/org.gimp.GIMP/cache/fontconfig/f", 60));
        QVERIFY(fixture::writeFile(apps + "/org.gimp.GIMP/data/d", 1000));
        QVERIFY(fixture::writeFile(apps + "/org.gimp.GIMP/config/c", 1000));
        QVERIFY(fixture::writeFile(apps + "/not-an-id/cache/x", 70) && fixture::writeFile(apps + "/org.y.File/cache", 70));
        QVERIFY(fixture::makeDirs(apps + "/com.example.Linked") && fixture::makeSymlink(root + "/a", apps + "/com.example.Linked/cache"));
        QVERIFY(fixture::makeSymlink(apps + "/org.gimp.GIMP", apps + "/org.example.LinkedApp"));
        const FolderSource source{{{K::folder, root + "/a"}, {K::item, root + "/single.xbel"}, {K::item, root + "/link.xbel"},
                                   {K::item, root + "/link-folder"}, {K::logFiles, root + "/logs"},
                                   {K::folder, root + "/missing"}, {K::item, root + "/missing.xbel"},
                                   {K::folder, root + "/a"}, {K::item, root + "/a/x"},
                                   {K::item, root + "/npm/_cacache", "npm"}, {K::appCaches, apps}},
                                  {root + "/a/Orvane", root + "/a/cfg/Orvane"}};
        const QList<CleanupFile> files = scanFolderSource(source, true);
        QStringList names;
        for (const CleanupFile& f : files)
            names << f.name + u' ' + QString::number(f.sizeInBytes);
        QCOMPARE(names, (QStringList{"x 300", "single.xbel 100", "org.gimp.GIMP/fontconfig 60", "npm 45", "Xorg.0.log 40",
                                     "Xorg.0.log.old 30", "y 20", "session.log.1.gz 20"}));
        QCOMPARE(files[1].url, root + "/single.xbel");
        QCOMPARE(files[2].url, apps + "/org.gimp.GIMP/cache/fontconfig");
        QCOMPARE(files[3].url, root + "/npm/_cacache");
        QVERIFY(scanFolderSource({}, true).isEmpty());
    }

    // What a plan offers from a home set up the way real machines end up: a link on a location's
    // way is resolved once, so an item outside the home folder is never offered and one inside is
    // offered by its real path (removal refuses paths through links); a cache folder that is
    // another base directory, holds one or lies in a user folder offers nothing. "~" is the home
    // folder, "@" a folder outside it; each row lists every item the plan offers.
    void whatPlansOffer()
    {
        const QByteArray mib(1024 * 1024, 'd');
        const struct {
            const char* tag;
            const char* plan;
            QByteArrayList env;
            QList<QPair<QByteArray, QByteArray>> links; // link below the home -> target
            QList<QPair<QByteArray, QByteArray>> files; // path -> contents
            QByteArrayList offered;
        } rows[] = {
            {"~/.var leads out", "protect", {}, {{".var", "@"}},
             {{"@/app/com.google.Chrome/cache/google-chrome/Default", "x"}, {"~/.cache/chromium/Default", "y"}},
             {"~/.cache/chromium/Default"}},
            {"~/snap leads out", "protect", {}, {{"snap", "@"}},
             {{"@/firefox/common/.cache/mozilla/firefox/p", "x"}}, {}},
            {"a user folder below a link out", "dup", {}, {{"cloud", "@"}},
             {{"~/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/cloud/Documents\"\n"},
              {"@/Documents/a.bin", mib}, {"@/Documents/b.bin", mib}},
             {}},
            {"a user folder below a link inside", "smart", {}, {{"dl", "~/real"}},
             {{"~/.config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/dl/Downloads\"\n"}, {"~/real/Downloads/setup.dmg", "z"}},
             {"~/real/Downloads/setup.dmg"}},
            {"XDG_CACHE_HOME=~/.config", "smart", {"XDG_CACHE_HOME=~/.config"}, {},
             {{"~/.config/evolution/mail", "m"}, {"~/.local/share/Trash/files/old", "t"}}, {"~/.local/share/Trash/files/old"}},
            {"XDG_CACHE_HOME=~/.local/share", "smart", {"XDG_CACHE_HOME=~/.local/share"}, {},
             {{"~/.local/share/keyrings/login.keyring", "k"}}, {}},
            {"XDG_CACHE_HOME in Documents", "protect", {"XDG_CACHE_HOME=~/Documents/cache"}, {},
             {{"~/Documents/cache/google-chrome/Default", "c"}}, {}},
        };
        for (const auto& row : rows) {
            fixture::TempDir home, outside;
            const QByteArray h = QFile::encodeName(QDir(QFile::decodeName(home.path())).canonicalPath());
            const auto place = [&](QByteArray path) { return path.replace('~', h).replace('@', outside.path()); };
            for (const auto& [link, target] : row.links)
                QVERIFY(fixture::makeDirs(place(target)) && fixture::makeSymlink(place(target), h + '/' + link));
            for (const auto& [path, contents] : row.files)
                QVERIFY(fixture::writeBytes(place(path), contents));
            QHash<QByteArray, QByteArray> env;
            for (const QByteArray& pair : row.env)
                env.insert(pair.left(pair.indexOf('=')), place(pair.mid(pair.indexOf('=') + 1)));
            static QHash<QByteArray, QByteArray> current;
            current = env;
            const BaseDirs dirs = baseDirs(h, [](const char* name) { return current.value(name); });
            const std::optional<CleanupPlan> plan = planFor(QString::fromLatin1(row.plan), locationsFor(Platform::linux, dirs));
            QVERIFY(plan);
            QByteArrayList offered;
            for (const CleanupCategory& category : scanPlan(*plan))
                for (const CleanupFile& file : category.files)
                    if (!file.url.contains("/Xcode/") && !file.url.contains("/Library/"))
                        offered << file.url;
            QByteArrayList expected;
            for (const QByteArray& path : row.offered)
                expected << place(path);
            QVERIFY2(offered == expected, (QByteArray(row.tag) + ": " + offered.join(' ')).constData());
        }
    }

    // A freedesktop Trash: the entries of files/ under their original names, each with its info
    // file as an extra location. Info files that are missing, linked, folders, binary, cut off
    // by the read bound or malformed leave the entry's own name; info files without their entry
    // go with the largest item (an empty entry's is not one of them). A volume's .Trash/$uid
    // counts only inside a sticky .Trash.
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
            QByteArray infoText;
            QString shown; // an entry without info text has no info file (or one set up below)
        };
        const QByteArray big = "[Trash Info]\nPath=/h/Original%20Huge\nDeletionDate=2024-01-01T00:00:00\n#"
                               + QByteArray(100000, 'x') + "\n";
        const QList<Row> rows{
            {"report.2.pdf", 900, "[Trash Info]\nPath=/home/u/Docs/report.pdf\nDeletionDate=2024-03-01T10:00:00\n", "report.pdf"},
            {"Informe", 800, "[Trash Info]\r\nPath=/home/u/Informe%20a%C3%B1o.odt\r\n", QString::fromUtf8("Informe año.odt")},
            {"caf\xe9", 700, "[Trash Info]\nPath=/x/caf%E9\n", QStringLiteral("caf\uFFFD")},
            {"huge", 600, big, "Original Huge"},
            {"cut", 500, "[Trash Info]\nPath=/" + QByteArray(20000, 'a') + "\n", "cut"},
            {"binary", 400, QByteArray("\x00\x01", 2) + "[Trash Info]\nPath=/x/y\xff", "binary"},
            {"no-group", 300, "Path=/x/elsewhere\n", "no-group"},
            {"dot-dot", 250, "[Trash Info]\nPath=/x/..\n", "dot-dot"},
            {"other-group", 200, "[Desktop Entry]\nPath=/x/other\n", "other-group"},
            {"no-info", 150, {}, "no-info"},
            {"linked-info", 120, {}, "linked-info"},
            {"folder-info", 110, {}, "folder-info"},
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
        const QByteArray ghost = "[Trash Info]\nPath=/x/ghost\n";
        for (const Row& row : rows) {
            QVERIFY2(byUrl.contains(trash + "/files/" + row.entry), row.entry.constData());
            const CleanupFile f = byUrl.value(trash + "/files/" + row.entry);
            QCOMPARE(f.name, row.shown);
            FilePaths extras;
            QList<qint64> extraSizes;
            if (!row.infoText.isEmpty()) {
                extras << trash + "/info/" + row.entry + ".trashinfo";
                extraSizes << row.infoText.size();
            }
            if (row.entry == "huge") { // the largest, with its long info file
                extras << trash + "/info/ghost.trashinfo";
                extraSizes << ghost.size();
            }
            QCOMPARE(f.extraURLs, extras);
            QCOMPARE(f.extraSizes, extraSizes);
            QCOMPARE(f.sizeInBytes, row.size + std::accumulate(extraSizes.cbegin(), extraSizes.cend(), qint64(0)));
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

        const QByteArray shared = dir.path() + "/vol/.Trash";
        QVERIFY(fixture::writeFile(shared + "/1000/files/kept", 10));
        const SourceLocation volumeTrash{SourceLocation::Kind::trash, shared + "/1000"};
        for (const mode_t mode : {0777, 01777}) {
            QCOMPARE(::chmod(shared.constData(), mode), 0);
            QCOMPARE(scanFolderSource({{volumeTrash}, {}}, true).size(), mode == 0777 ? 0 : 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestFolderSource)
#include "tst_folder_source.moc"
