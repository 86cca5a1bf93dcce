#include "engine.h"
#include "fixture.h"
#include "paths.h"

#include <sys/stat.h>

#include <QTest>

using namespace orvane;

using fixture::namesOf;

class TestFolderSizes : public QObject
{
    Q_OBJECT

    fixture::TempDir m_home;
    QByteArray m_homePath;

    QByteArray home(const QByteArray& relative) const { return m_homePath + '/' + relative; }
    BaseDirs dirs() const { return baseDirs(m_homePath, [](const char*) { return QByteArray(); }); }
    QList<SpaceEntry> macTop() const { return topLevelEntries(Platform::macOS, dirs()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path());
    }

    void init()
    {
        ::alarm(120);
        m_homePath = homeDir();
        QVERIFY(m_homePath.startsWith(QFile::encodeName(QDir(QFile::decodeName(m_home.path())).canonicalPath())));
        fixture::removeTree(m_homePath);
        QVERIFY(QDir().mkpath(QString::fromUtf8(m_homePath)));
    }
    void cleanup() { ::alarm(0); }

    // Missing, empty and zero-byte folders are left out; hidden files count; equal sizes keep
    // table order; each row carries its own icon and the home path.
    void topLevel()
    {
        QVERIFY(macTop().isEmpty());
        QVERIFY(fixture::writeFile(home("Documents/a"), 300));
        QVERIFY(fixture::writeFile(home("Documents/.hidden"), 200)); // counted
        QVERIFY(fixture::writeFile(home("Library/Caches/c"), 100));
        QVERIFY(fixture::writeFile(home("Pictures/p"), 100));      // ties with Library: table order
        QVERIFY(fixture::writeFile(home("Downloads/d/e/f"), 1000));
        QVERIFY(fixture::writeFile(home("Music/empty"), 0));       // only empty files: left out
        QVERIFY(QDir().mkpath(QString::fromUtf8(home("Movies"))));  // empty: left out
        QVERIFY(fixture::writeFile(home("Applications/Tool.app/Contents/x"), 50));
        QVERIFY(fixture::writeFile(home("Other/not-in-table"), 99999));
        // A "Desktop" that is a link to a big folder measures nothing.
        QVERIFY(fixture::writeSparse(home("Other/big"), qint64(1) << 40));
        QVERIFY(fixture::makeSymlink(home("Other"), home("Desktop")));

        const QList<SpaceEntry> entries = macTop();
        QCOMPARE(namesOf(entries), (QStringList{"Downloads", "Documents", "Pictures", "Library", "Applications"}));
        const QList<qint64> sizes{1000, 500, 100, 100, 50};
        const QStringList icons{"arrow.down.circle", "doc", "photo", "books.vertical", "square.grid.2x2"};
        for (qsizetype i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i].sizeInBytes, sizes[i]);
            QCOMPARE(entries[i].icon, icons[i]);
            QCOMPARE(entries[i].url, home(entries[i].name.toUtf8()));
            QVERIFY(entries[i].isDirectory);
        }
        // Each listing has rows of its own, so no row stays hovered across a reload.
        QVERIFY(entries[0].id != macTop()[0].id);
    }

    // On Linux the top level is what the home really holds: every entry of any size, hidden ones
    // included, largest first; the user folders of user-dirs.dirs under their own names with their
    // symbols. A user folder that is a link stays its own small entry (never what it points to),
    // one outside the home marks nothing. Drilling in lists hidden items too; a cancelled
    // measuring gives nothing.
    void linuxHome()
    {
        QVERIFY(topLevelEntries(Platform::linux, dirs()).isEmpty());
        const QByteArray userDirs = "XDG_DOWNLOAD_DIR=\"$HOME/Descargas\"\nXDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n"
                                    "XDG_PICTURES_DIR=\"$HOME/Imágenes\"\nXDG_VIDEOS_DIR=\"$HOME/Vídeos\"\n"
                                    "XDG_DESKTOP_DIR=\"$HOME/Escritorio\"\nXDG_MUSIC_DIR=\"/elsewhere/Música\"\n";
        QVERIFY(fixture::writeBytes(home(".config/user-dirs.dirs"), userDirs));
        QVERIFY(fixture::writeFile(home("Vídeos/v.mkv"), 5000));
        QVERIFY(fixture::writeFile(home(".vagrant.d/boxes/b"), 4000));
        QVERIFY(fixture::writeFile(home(".cache/thumbnails/t"), 2995) && fixture::writeFile(home(".cache/.hidden"), 5));
        QVERIFY(fixture::writeFile(home("Descargas/a.iso"), 1000));
        QVERIFY(fixture::writeFile(home("Documentos/.notas"), 500));
        QVERIFY(fixture::writeFile(home("Música/m"), 300));
        QVERIFY(fixture::writeFile(home("notes.txt"), 10));
        QVERIFY(fixture::makeDirs(home("Imágenes")));
        fixture::TempDir outside;
        QVERIFY(fixture::writeSparse(outside.path() + "/big", qint64(1) << 40));
        QVERIFY(fixture::makeSymlink(outside.path(), home("Escritorio")));

        struct Row {
            QString line; // name icon folder-or-file
            qint64 size;
        };
        QList<Row> expected{{"Vídeos film /", 5000}, {".vagrant.d folder /", 4000}, {".cache folder /", 3000},
                            {"Descargas arrow.down.circle /", 1000}, {"Documentos doc /", 500},
                            {"Música folder /", 300}, {".config folder /", userDirs.size()},
                            {"Escritorio doc", outside.path().size()}, {"notes.txt doc", 10}};
        std::stable_sort(expected.begin(), expected.end(), [](const Row& a, const Row& b) { return a.size > b.size; });
        QStringList want, got;
        for (const Row& row : expected)
            want << row.line + u' ' + QString::number(row.size);
        const QList<SpaceEntry> entries = topLevelEntries(Platform::linux, dirs());
        for (const SpaceEntry& e : entries) {
            got << QStringList{e.name, e.icon, e.isDirectory ? "/" : ""}.join(u' ').trimmed() + u' '
                       + QString::number(e.sizeInBytes);
            QCOMPARE(e.url, home(e.name.toUtf8()));
        }
        QCOMPARE(got, want);
        QCOMPARE(namesOf(childEntries(home(".cache"), Platform::linux)), (QStringList{"thumbnails", ".hidden"}));
        QCOMPARE(namesOf(childEntries(home(".cache"), Platform::macOS)), QStringList{"thumbnails"});
        QVERIFY(macTop().isEmpty()); // macOS keeps its own table of folders
        ScanProgress cancelled;
        cancelled.cancel();
        QVERIFY(topLevelEntries(Platform::linux, dirs(), &cancelled).isEmpty());
        QVERIFY(childEntries(home(".cache"), Platform::linux, &cancelled).isEmpty());
    }

    // On a random tree with every kind of entry, and a few placed on purpose (hidden items, empty
    // files, a bundle, a link to a huge folder elsewhere, a FIFO, ties), the rows are the folder's
    // visible entries of any size, largest first with ties in listing order, each measuring the
    // plain recursive sum: a link its own length, hidden items counted in their folder.
    void matchesReference()
    {
        const QByteArray folder = home("Documents");
        fixture::buildRandomTree(folder, 5, 1200, 1 << 20);
        for (int i = 0; i < 6; ++i)
            QVERIFY(fixture::writeFile(folder + "/tie" + QByteArray::number(i), 64));
        QVERIFY(fixture::writeFile(folder + "/.hidden", 1000));
        QVERIFY(fixture::writeFile(folder + "/zero", 0));
        QVERIFY(fixture::writeFile(folder + "/Editor.app/Contents/MacOS/e", 500));
        QVERIFY(fixture::writeFile(folder + "/Editor.app/.meta", 5));
        QVERIFY(fixture::writeSparse(home("elsewhere/huge"), qint64(1) << 40));
        QVERIFY(fixture::makeSymlink(home("elsewhere"), folder + "/shortcut"));
        QVERIFY(fixture::makeFifo(folder + "/pipe"));
        // Folders are marked with a trailing "/".
        QList<QPair<QByteArray, qint64>> expected, got;
        for (const auto& e : fixture::ref::walk(folder, true)) {
            if (parentPath(e.path) != folder)
                continue;
            const qint64 size = e.isFolder ? fixture::ref::treeSize(e.path) : qint64(e.st.st_size);
            if (size > 0)
                expected.append({e.path + (e.isFolder ? "/" : ""), size});
        }
        std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        for (const SpaceEntry& e : childEntries(folder, Platform::macOS))
            got.append({e.url + (e.isDirectory ? "/" : ""), e.sizeInBytes});
        QVERIFY(got.size() > 9);
        QCOMPARE(got, expected);
        QCOMPARE(namesOf(childEntries(folder + "/Editor.app", Platform::macOS)), QStringList{"Contents"}); // a bundle opens
        QVERIFY(childEntries(home("missing")).isEmpty() && childEntries(folder + "/.hidden").isEmpty());
        const QList<SpaceEntry> top = macTop();
        QCOMPARE(top.size(), 1);
        QCOMPARE(top[0].sizeInBytes, fixture::ref::treeSize(folder));
    }
};

QTEST_GUILESS_MAIN(TestFolderSizes)
#include "tst_folder_sizes.moc"
