#include "engine.h"
#include "fixture.h"
#include "paths.h"

#include <QTest>

using namespace orvane;

using fixture::namesOf;

class TestFolderSizes : public QObject
{
    Q_OBJECT

    fixture::TempDir m_home;
    QByteArray m_homePath;

    QByteArray home(const QByteArray& relative) const { return m_homePath + '/' + relative; }

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

        const QList<SpaceEntry> entries = topLevelEntries();
        QCOMPARE(namesOf(entries), (QStringList{"Downloads", "Documents", "Pictures", "Library", "Applications"}));
        const QList<qint64> sizes{1000, 500, 100, 100, 50};
        const QStringList icons{"arrow.down.circle", "doc", "photo", "books.vertical", "square.grid.2x2"};
        for (qsizetype i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i].sizeInBytes, sizes[i]);
            QCOMPARE(entries[i].icon, icons[i]);
            QCOMPARE(entries[i].url, home(entries[i].name.toUtf8()));
            QVERIFY(entries[i].isDirectory);
        }
        QVERIFY(entries[0].id != topLevelEntries()[0].id);
    }

    void emptyHome() { QVERIFY(topLevelEntries().isEmpty()); }

    // Drill-down lists visible items only (hidden ones still count in the folder's own size),
    // a bundle is a folder, a link is an item of its own length, and empty files are left out.
    void children()
    {
        const QByteArray folder = home("Documents");
        QVERIFY(fixture::writeFile(folder + "/.hidden", 1000));
        QVERIFY(fixture::writeFile(folder + "/one-byte", 1));
        QVERIFY(fixture::writeFile(folder + "/zero", 0));
        QVERIFY(fixture::writeFile(folder + "/Editor.app/Contents/MacOS/e", 500));
        QVERIFY(fixture::writeFile(folder + "/Editor.app/.meta", 5));
        QVERIFY(fixture::writeFile(folder + "/plain.txt", 300));
        QVERIFY(fixture::writeSparse(home("elsewhere/huge"), qint64(1) << 40));
        QVERIFY(fixture::makeSymlink(home("elsewhere"), folder + "/shortcut"));
        QVERIFY(fixture::makeFifo(folder + "/pipe"));

        const QList<SpaceEntry> entries = childEntries(folder);
        QCOMPARE(namesOf(entries), (QStringList{"Editor.app", "plain.txt", "shortcut", "one-byte"}));
        QCOMPARE(entries[0].sizeInBytes, qint64(505));
        QCOMPARE(entries[0].icon, QStringLiteral("folder"));
        QVERIFY(entries[0].isDirectory);
        QCOMPARE(entries[1].icon, QStringLiteral("doc"));
        QVERIFY(!entries[1].isDirectory);
        QCOMPARE(entries[2].sizeInBytes, qint64(home("elsewhere").size()));
        QCOMPARE(entries[2].icon, QStringLiteral("doc"));
        QVERIFY(!entries[2].isDirectory);
        QCOMPARE(entries[3].sizeInBytes, qint64(1));
        QCOMPARE(entries[0].url, folder + "/Editor.app");
        // The bundle can be drilled into.
        QCOMPARE(namesOf(childEntries(entries[0].url)), QStringList{"Contents"});

        qint64 shown = 0;
        for (const SpaceEntry& e : entries)
            shown += e.sizeInBytes;
        QCOMPARE(folderSize(folder), shown + 1000);
    }

    void childrenTiesKeepListingOrder()
    {
        const QByteArray folder = home("Downloads");
        for (int i = 0; i < 12; ++i)
            QVERIFY(fixture::writeFile(folder + "/item" + QByteArray::number(i), 64));
        QList<QByteArray> listing;
        for (const SpaceEntry& e : childEntries(folder))
            listing.append(e.url);
        QStringList raw = QDir(QString::fromUtf8(folder)).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
        QList<QByteArray> expected;
        for (const QString& name : raw)
            expected.append(folder + '/' + QFile::encodeName(name));
        QCOMPARE(listing, expected);
    }

    void childrenOfWhatCannotBeListed()
    {
        QVERIFY(childEntries(home("missing")).isEmpty());
        QVERIFY(fixture::writeFile(home("file"), 10));
        QVERIFY(childEntries(home("file")).isEmpty());
    }

    void itemAndFolderSize()
    {
        QVERIFY(fixture::writeFile(home("f"), 123));
        QVERIFY(fixture::writeFile(home("d/a"), 10));
        QVERIFY(fixture::writeFile(home("d/b/c"), 20));
        QCOMPARE(itemSize(home("f")), qint64(123));
        QCOMPARE(itemSize(home("d")), qint64(30));
        QCOMPARE(folderSize(home("d")), qint64(30));
        QCOMPARE(folderSize(home("f")), qint64(0)); // nothing below a file
        QCOMPARE(itemSize(home("missing")), qint64(0));
        QCOMPARE(folderSize(home("missing")), qint64(0));
    }

    // Every size equals the plain recursive sum, on random trees.
    void matchesReference()
    {
        const QByteArray folder = home("Documents");
        fixture::buildRandomTree(folder, 5, 1200, 1 << 20);
        const QList<SpaceEntry> entries = childEntries(folder);
        QVERIFY(entries.size() > 3);
        for (const SpaceEntry& e : entries) {
            QVERIFY(!lastComponent(e.url).startsWith('.'));
            struct stat st;
            QVERIFY(::lstat(e.url.constData(), &st) == 0);
            QCOMPARE(e.isDirectory, S_ISDIR(st.st_mode));
            QCOMPARE(e.sizeInBytes, e.isDirectory ? fixture::ref::treeSize(e.url) : qint64(st.st_size));
        }
        QCOMPARE(folderSize(folder), fixture::ref::treeSize(folder));
        const QList<SpaceEntry> top = topLevelEntries();
        QCOMPARE(top.size(), 1);
        QCOMPARE(top[0].sizeInBytes, fixture::ref::treeSize(folder));
    }
};

QTEST_GUILESS_MAIN(TestFolderSizes)
#include "tst_folder_sizes.moc"
