#include "engine.h"
#include "fixture.h"
#include "paths.h"
#include "removal.h"
#include "trash.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;

namespace {

using fixture::exists;
using fixture::writeBytes;

RemovalTarget target(const QByteArray& path, qint64 size = 0)
{
    RemovalTarget t;
    t.path = path;
    t.scanSize = size;
    return t;
}

CleanupFile file(const QByteArray& url, qint64 size, bool selected)
{
    CleanupFile f;
    f.name = QString::fromUtf8(lastComponent(url));
    f.url = url;
    f.sizeInBytes = size;
    f.isSelected = selected;
    return f;
}

} // namespace

class TestRemoval : public QObject
{
    Q_OBJECT

private:
    // Fixtures live inside the test's own home: removal refuses anything outside it.
    QByteArray fresh()
    {
        m_dirs.push_back(std::make_unique<fixture::TempDir>(QString::fromLocal8Bit(homeDir()) + "/fixture-XXXXXX"));
        return m_dirs.back()->path();
    }
    std::vector<std::unique_ptr<fixture::TempDir>> m_dirs;
    bool m_privateMounts = false;

private slots:
    void initTestCase();
    void emptyList();
    void permanentFolderKeepsLinkTargets();
    void carriesOnPastFailures();
    void pathListedTwice();
    void protectedPathsAreRefused();
    void noPathThroughALink();
    void oddNamesRemovedExactly_data();
    void oddNamesRemovedExactly();
    void trashFolderWithContent();
    void mountsAreNotCrossed();
    void targetsFromSelection();
    void duplicateCopiesAreChecked();
    void freedCountsEachLocationOnce();
};

void TestRemoval::initTestCase()
{
    // Never run against a real home.
    QVERIFY(homeDir().contains("test-homes"));
    fixture::removeTree(qgetenv("XDG_DATA_HOME") + "/Trash");
    // Mounts made by the tests stay private to this process and vanish with it.
    m_privateMounts = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

void TestRemoval::emptyList()
{
    QVERIFY(removeItems(QList<RemovalTarget>{}, RemovalStyle::trash).isEmpty());
    QVERIFY(removeItems(FilePaths{}, RemovalStyle::permanent).isEmpty());
    QCOMPARE(freedBytes({}, {}), 0);
}

void TestRemoval::permanentFolderKeepsLinkTargets()
{
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/outside/keep.txt", "precious"));
    QVERIFY(writeBytes(dir + "/chosen/a/b/c/deep.bin", QByteArray(10000, 'x')));
    QVERIFY(writeBytes(dir + "/chosen/top.txt", "t"));
    QVERIFY(fixture::makeDirs(dir + "/chosen/empty"));
    QCOMPARE(::symlink((dir + "/outside").constData(), (dir + "/chosen/to-outside").constData()), 0);
    QCOMPARE(::symlink((dir + "/outside/keep.txt").constData(), (dir + "/chosen/a/to-file").constData()), 0);
    QCOMPARE(::symlink("/nonexistent", (dir + "/chosen/dangling").constData()), 0);
    QCOMPARE(::mkfifo((dir + "/chosen/a/fifo").constData(), 0644), 0);
    QVERIFY(writeBytes(dir + "/file.txt", "f"));

    const QList<bool> done = removeItems(FilePaths{dir + "/chosen", dir + "/file.txt"}, RemovalStyle::permanent);
    QCOMPARE(done, (QList<bool>{true, true}));
    QVERIFY(!exists(dir + "/chosen"));
    QVERIFY(!exists(dir + "/file.txt"));
    QVERIFY(exists(dir + "/outside/keep.txt"));
    QFile keep(QString::fromLocal8Bit(dir + "/outside/keep.txt"));
    QVERIFY(keep.open(QIODevice::ReadOnly));
    QCOMPARE(keep.readAll(), QByteArray("precious"));

    // A link chosen itself goes as a link.
    QCOMPARE(::symlink((dir + "/outside").constData(), (dir + "/link").constData()), 0);
    QCOMPARE(removeItems(FilePaths{dir + "/link"}, RemovalStyle::permanent), QList<bool>{true});
    QVERIFY(!exists(dir + "/link"));
    QVERIFY(exists(dir + "/outside/keep.txt"));
}

void TestRemoval::carriesOnPastFailures()
{
    const QByteArray dir = fresh();
    for (RemovalStyle style : {RemovalStyle::permanent, RemovalStyle::trash}) {
        QVERIFY(writeBytes(dir + "/one", "1"));
        QVERIFY(writeBytes(dir + "/three/x", "3"));
        const QList<RemovalTarget> targets{target(dir + "/one", 1), target(dir + "/two", 2), target(dir + "/three", 3)};
        const QList<bool> done = removeItems(targets, style);
        QCOMPARE(done, (QList<bool>{true, false, true}));
        QCOMPARE(freedBytes(targets, done), 4);
        QVERIFY(!exists(dir + "/one"));
        QVERIFY(!exists(dir + "/three"));
    }
}

void TestRemoval::pathListedTwice()
{
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/a", "a"));
    QVERIFY(writeBytes(dir + "/b", "b"));
    // The same location spelled twice is still one location.
    const QList<RemovalTarget> targets{target(dir + "/a", 10), target(dir + "//a/", 10), target(dir + "/b", 5),
                                       target(dir + "/b", 5)};
    const QList<bool> done = removeItems(targets, RemovalStyle::trash);
    QCOMPARE(done, (QList<bool>{true, false, true, false}));
    QCOMPARE(freedBytes(targets, done), 15);
}

void TestRemoval::protectedPathsAreRefused()
{
    const QByteArray home = homeDir();
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/victim", "v"));
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    QVERIFY(!dataHome.isEmpty());
    QVERIFY(fixture::makeDirs(dataHome + "/Trash/files"));
    QVERIFY(fixture::makeDirs(dataHome + "/Trash/info"));
    QVERIFY(fixture::makeDirs(home + "/.Trash"));
    QVERIFY(fixture::makeDirs(home + "/Applications"));
    QVERIFY(fixture::makeDirs(dir + "/.Trash-" + QByteArray::number(::getuid()) + "/files"));
    // A sibling of the home whose name merely starts like it.
    const QByteArray sibling = home + "X";
    QVERIFY(writeBytes(sibling + "/file", "s"));
    QTemporaryDir outside;
    const QByteArray out = QFile::encodeName(outside.path()) + "/out";
    QVERIFY(writeBytes(out, "o"));

    const FilePaths refused{home,
                            home + "/",
                            "/",
                            "",
                            dataHome + "/Trash",
                            dataHome + "/Trash/files",
                            dataHome + "/Trash/info",
                            home + "/.local/share/Trash/",
                            home + "/.Trash",
                            home + "/Applications",
                            "/Applications",
                            dir + "/.Trash-" + QByteArray::number(::getuid()),
                            dir + "/.Trash-" + QByteArray::number(::getuid()) + "/files",
                            sibling,
                            sibling + "/file",
                            out,
                            dir + "/../" + lastComponent(dir) + "/victim",
                            dir + "/./victim",
                            "victim",
                            dir + QByteArray("/victim\0.txt", 12), // a NUL would cut the path to "victim"
                            lastComponent(dir) + "/victim",
                            "/tmp"};
    for (RemovalStyle style : {RemovalStyle::permanent, RemovalStyle::trash}) {
        const QList<bool> done = removeItems(refused, style);
        QCOMPARE(done, QList<bool>(refused.size(), false));
    }
    for (const QByteArray& p : {home, dataHome + "/Trash/files", home + "/.Trash", home + "/Applications", sibling + "/file", out,
                                dir + "/victim"})
        QVERIFY2(exists(p), p.constData());
    QVERIFY(QDir(QString::fromLocal8Bit(sibling)).removeRecursively());

    // Items inside those folders are fine.
    QVERIFY(writeBytes(home + "/.Trash/old", "o"));
    QVERIFY(writeBytes(home + "/Applications/Tool.app/Contents/Info.plist", "p"));
    QCOMPARE(removeItems(FilePaths{home + "/.Trash/old", home + "/Applications/Tool.app"}, RemovalStyle::permanent),
             (QList<bool>{true, true}));
}

void TestRemoval::noPathThroughALink()
{
    const QByteArray dir = fresh();
    QTemporaryDir outside;
    const QByteArray out = QFile::encodeName(outside.path());
    QVERIFY(writeBytes(out + "/secret", "s"));
    QVERIFY(writeBytes(dir + "/real/inner", "i"));
    QCOMPARE(::symlink(out.constData(), (dir + "/to-outside").constData()), 0);
    QCOMPARE(::symlink((dir + "/real").constData(), (dir + "/to-real").constData()), 0);
    for (RemovalStyle style : {RemovalStyle::permanent, RemovalStyle::trash}) {
        const QList<bool> done = removeItems(FilePaths{dir + "/to-outside/secret", dir + "/to-real/inner"}, style);
        QCOMPARE(done, (QList<bool>{false, false}));
        QVERIFY(exists(out + "/secret"));
        QVERIFY(exists(dir + "/real/inner"));
    }
}

void TestRemoval::oddNamesRemovedExactly_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("sibling");
    QTest::addColumn<bool>("trashable");
    QTest::newRow("newline") << QByteArray("two\nlines") << QByteArray("two") << true;
    QTest::newRow("not UTF-8") << QByteArray("caf\xe9 \xff.txt") << QByteArray("caf\xef\xbf\xbd \xef\xbf\xbd.txt") << true;
    QTest::newRow("percent and spaces") << QByteArray("100% done %20.txt") << QByteArray("100% done  .txt") << true;
    // The trash needs room for ".trashinfo" after the name, so 255 bytes cannot be trashed.
    QTest::newRow("255 bytes") << QByteArray(255, 'n') << QByteArray(254, 'n') << false;
}

void TestRemoval::oddNamesRemovedExactly()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, sibling);
    QFETCH(bool, trashable);
    const QByteArray dir = fresh();
    for (RemovalStyle style : {RemovalStyle::permanent, RemovalStyle::trash}) {
        QVERIFY(writeBytes(dir + '/' + name, "x"));
        QVERIFY(writeBytes(dir + '/' + sibling, "y"));
        QVERIFY(writeBytes(dir + "/folder/" + name, "z"));
        const QList<bool> done = removeItems(FilePaths{dir + '/' + name, dir + "/folder"}, style);
        const bool expected = style == RemovalStyle::permanent || trashable;
        // A folder holding such a name goes either way.
        QCOMPARE(done, (QList<bool>{expected, true}));
        QCOMPARE(exists(dir + '/' + name), !expected);
        QVERIFY(exists(dir + '/' + sibling));
        QVERIFY(!exists(dir + "/folder"));
        if (style == RemovalStyle::trash && trashable) {
            const QByteArray files = qgetenv("XDG_DATA_HOME") + "/Trash/files/";
            QVERIFY(exists(files + name));
        }
        ::unlink((dir + '/' + name).constData());
        fixture::removeTree(dir + "/folder");
    }
}

void TestRemoval::trashFolderWithContent()
{
    const QByteArray dir = fresh();
    const QByteArray trash = qgetenv("XDG_DATA_HOME") + "/Trash";
    const QByteArray name = "Trash me " + QByteArray::number(QDateTime::currentMSecsSinceEpoch());
    QVERIFY(writeBytes(dir + '/' + name + "/sub/data.bin", QByteArray(5000, 'd')));
    QVERIFY(writeBytes(dir + '/' + name + "/note.txt", "n"));
    const QList<bool> done = removeItems(FilePaths{dir + '/' + name}, RemovalStyle::trash);
    QCOMPARE(done, QList<bool>{true});
    QVERIFY(!exists(dir + '/' + name));

    // In the Trash with its content and an info file that names the original place.
    QVERIFY(exists(trash + "/files/" + name + "/sub/data.bin"));
    QVERIFY(exists(trash + "/files/" + name + "/note.txt"));
    QFile info(QString::fromLocal8Bit(trash + "/info/" + name + ".trashinfo"));
    QVERIFY(info.open(QIODevice::ReadOnly));
    const QByteArray text = info.readAll();
    QVERIFY(text.startsWith("[Trash Info]"));
    const QByteArray escaped = QUrl::toPercentEncoding(QString::fromUtf8(dir + '/' + name), "/");
    QVERIFY2(text.contains("Path=" + escaped + "\n"), text.constData());
    QVERIFY(text.contains("DeletionDate="));

    // Restorable: moved back, it is whole again.
    QCOMPARE(::rename((trash + "/files/" + name).constData(), (dir + '/' + name).constData()), 0);
    QCOMPARE(::unlink((trash + "/info/" + name + ".trashinfo").constData()), 0);
    QFile data(QString::fromLocal8Bit(dir + '/' + name + "/sub/data.bin"));
    QVERIFY(data.open(QIODevice::ReadOnly));
    QCOMPARE(data.readAll(), QByteArray(5000, 'd'));

    // A second item of the same name gets a name of its own in the Trash.
    QCOMPARE(removeItems(FilePaths{dir + '/' + name}, RemovalStyle::trash), QList<bool>{true});
    QVERIFY(writeBytes(dir + '/' + name, "again"));
    QCOMPARE(removeItems(FilePaths{dir + '/' + name}, RemovalStyle::trash), QList<bool>{true});
    QVERIFY(exists(trash + "/files/" + name + "/note.txt"));
    int named = 0;
    for (const QString& entry : QDir(QString::fromLocal8Bit(trash + "/files")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (entry.startsWith(QString::fromUtf8(name)))
            ++named;
    QCOMPARE(named, 2);

    // The trash layer says why it failed.
    QString error;
    QVERIFY(!moveToTrash(dir + "/missing", &error));
    QVERIFY(!error.isEmpty());

    // A link goes to the Trash as the link itself; its target stays.
    QVERIFY(fixture::makeSymlink(dir + "/target", dir + "/a-link"));
    QVERIFY(writeBytes(dir + "/target/inside", "i"));
    QCOMPARE(removeItems(FilePaths{dir + "/a-link"}, RemovalStyle::trash), QList<bool>{true});
    struct stat st;
    QCOMPARE(::lstat((trash + "/files/a-link").constData(), &st), 0);
    QVERIFY(S_ISLNK(st.st_mode));
    QVERIFY(exists(dir + "/target/inside"));
}

void TestRemoval::mountsAreNotCrossed()
{
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/chosen/plain.txt", "p"));
    QVERIFY(fixture::makeDirs(dir + "/chosen/mnt"));
    QVERIFY(fixture::makeDirs(dir + "/bindsrc"));
    QVERIFY(writeBytes(dir + "/bindsrc/kept.txt", "k"));
    QVERIFY(fixture::makeDirs(dir + "/chosen/bind"));
    QVERIFY(fixture::makeDirs(dir + "/mounted"));
    if (!m_privateMounts || ::mount("tmpfs", (dir + "/chosen/mnt").constData(), "tmpfs", 0, "size=1m") != 0)
        QSKIP("mounting is not permitted here");
    QVERIFY(writeBytes(dir + "/chosen/mnt/on-other-fs.txt", "o"));
    const bool bound = ::mount((dir + "/bindsrc").constData(), (dir + "/chosen/bind").constData(), nullptr, MS_BIND, nullptr) == 0;
    QVERIFY(::mount("tmpfs", (dir + "/mounted").constData(), "tmpfs", 0, "size=1m") == 0);

    const QList<bool> done = removeItems(FilePaths{dir + "/chosen", dir + "/mounted"}, RemovalStyle::permanent);
    const bool mntStill = exists(dir + "/chosen/mnt/on-other-fs.txt");
    const bool bindStill = !bound || exists(dir + "/chosen/bind/kept.txt");
    ::umount((dir + "/chosen/mnt").constData());
    if (bound)
        ::umount((dir + "/chosen/bind").constData());
    ::umount((dir + "/mounted").constData());

    QCOMPARE(done, (QList<bool>{false, false}));
    QVERIFY(mntStill);
    QVERIFY(bindStill);
    QVERIFY(exists(dir + "/bindsrc/kept.txt"));
    // What lies on the chosen folder's own file system went.
    QVERIFY(!exists(dir + "/chosen/plain.txt"));
}

void TestRemoval::targetsFromSelection()
{
    QList<CleanupCategory> cats(2);
    CleanupFile app = file("/h/Applications/A.app", 100, true);
    app.extraURLs = {"/h/Library/Caches/a", "/h/Library/Prefs/a.plist", "/h/shared"};
    app.extraSizes = {30, 5, 7};
    cats[0].files = {file("/h/x", 1, false), app, file("/h/y", 2, true)};
    CleanupFile other = file("/h/B.app", 50, true);
    other.extraURLs = {"/h/shared", "/h/y", "/h/b-only"};
    other.extraSizes = {7, 2};
    cats[1].files = {other};

    const QList<RemovalTarget> targets = removalTargets(cats);
    QList<QByteArray> paths;
    QList<qint64> sizes;
    for (const RemovalTarget& t : targets) {
        paths << t.path;
        sizes << t.scanSize;
        QVERIFY(!t.expected);
        QVERIFY(t.keptCopies.isEmpty());
    }
    QCOMPARE(paths, (QList<QByteArray>{"/h/Applications/A.app", "/h/Library/Caches/a", "/h/Library/Prefs/a.plist",
                                       "/h/shared", "/h/y", "/h/B.app", "/h/b-only"}));
    // The item's own share, then each extra's own scan size; a missing size counts 0.
    QCOMPARE(sizes, (QList<qint64>{58, 30, 5, 7, 2, 41, 0}));

    // Duplicate copies carry their stamps and the copies that stay at this moment.
    CleanupCategory dup;
    for (int i = 0; i < 3; ++i) {
        CleanupFile copy = file("/h/copy" + QByteArray::number(i), 10, i != 1);
        copy.stamp = FileStamp{10, i, 1, quint64(100 + i)};
        dup.files.push_back(copy);
    }
    const QList<RemovalTarget> dupTargets = removalTargets({dup});
    QCOMPARE(dupTargets.size(), 2);
    QCOMPARE(dupTargets[0].path, QByteArray("/h/copy0"));
    QCOMPARE(dupTargets[0].expected->inode, 100u);
    QCOMPARE(dupTargets[1].expected->inode, 102u);
    for (const RemovalTarget& t : dupTargets) {
        QCOMPARE(t.keptCopies.size(), 1);
        QCOMPARE(t.keptCopies[0].first, QByteArray("/h/copy1"));
        QCOMPARE(t.keptCopies[0].second.inode, 101u);
    }
}

void TestRemoval::duplicateCopiesAreChecked()
{
    const QByteArray dir = fresh();
    const QByteArray content(20000, 'c');
    auto scan = [&] {
        const QList<CleanupCategory> cats = findDuplicates({dir}, 1, "doc.on.doc");
        return cats.size() == 1 ? cats : QList<CleanupCategory>{};
    };
    auto reset = [&] {
        for (const char* name : {"/1-kept", "/2-copy", "/3-copy"})
            QVERIFY(writeBytes(dir + name, content));
    };

    // Unchanged copies go; the kept one stays.
    reset();
    QList<CleanupCategory> cats = scan();
    QCOMPARE(cats.size(), 1);
    QList<RemovalTarget> targets = removalTargets(cats);
    QCOMPARE(targets.size(), 2);
    QList<bool> done = removeItems(targets, RemovalStyle::permanent);
    QCOMPARE(done, (QList<bool>{true, true}));
    QCOMPARE(freedBytes(targets, done), 40000);
    QVERIFY(exists(dir + "/1-kept"));

    // A copy changed since the scan stays; the other still goes.
    reset();
    cats = scan();
    QThread::msleep(30); // past the file system's clock tick
    QVERIFY(writeBytes(dir + "/2-copy", content.left(19999) + 'X'));
    done = removeItems(removalTargets(cats), RemovalStyle::trash);
    QCOMPARE(done, (QList<bool>{false, true}));
    QVERIFY(exists(dir + "/2-copy"));

    // A copy replaced by another file of the same size and time is not the scanned file.
    reset();
    cats = scan();
    struct stat st;
    QCOMPARE(::stat((dir + "/3-copy").constData(), &st), 0);
    QVERIFY(writeBytes(dir + "/3-copy.new", content));
    const timespec times[2] = {st.st_atim, st.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, (dir + "/3-copy.new").constData(), times, 0), 0);
    QCOMPARE(::rename((dir + "/3-copy.new").constData(), (dir + "/3-copy").constData()), 0);
    done = removeItems(removalTargets(cats), RemovalStyle::permanent);
    QCOMPARE(done, (QList<bool>{true, false}));

    // The kept copy vanished: nothing is removed.
    reset();
    cats = scan();
    QCOMPARE(::unlink((dir + "/1-kept").constData()), 0);
    done = removeItems(removalTargets(cats), RemovalStyle::permanent);
    QCOMPARE(done, (QList<bool>{false, false}));
    QVERIFY(exists(dir + "/2-copy") && exists(dir + "/3-copy"));

    // The kept copy changed: nothing is removed.
    reset();
    cats = scan();
    QVERIFY(writeBytes(dir + "/1-kept", content + "more"));
    done = removeItems(removalTargets(cats), RemovalStyle::trash);
    QCOMPARE(done, (QList<bool>{false, false}));

    // The user kept a different copy: that one is checked instead.
    reset();
    cats = scan();
    cats[0].files[0].isSelected = true;
    cats[0].files[2].isSelected = false;
    QCOMPARE(::unlink((dir + "/1-kept").constData()), 0);
    QVERIFY(writeBytes(dir + "/1-kept", content));
    done = removeItems(removalTargets(cats), RemovalStyle::permanent);
    QCOMPARE(done, (QList<bool>{false, true}));
    QVERIFY(exists(dir + "/1-kept") && exists(dir + "/3-copy") && !exists(dir + "/2-copy"));

    // Every copy chosen: each copy's own check only, and they all go.
    reset();
    cats = scan();
    for (CleanupFile& f : cats[0].files)
        f.isSelected = true;
    done = removeItems(removalTargets(cats), RemovalStyle::permanent);
    QCOMPARE(done, (QList<bool>{true, true, true}));
}

void TestRemoval::freedCountsEachLocationOnce()
{
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/outer/inner/f", QByteArray(100, 'f')));
    QVERIFY(writeBytes(dir + "/outer/g", QByteArray(50, 'g')));
    QVERIFY(writeBytes(dir + "/other", QByteArray(7, 'o')));
    // The inner folder goes first, then the folder that held it: its scan size covered both.
    const QList<RemovalTarget> targets{target(dir + "/outer/inner", 100), target(dir + "/outer", 150),
                                       target(dir + "/other", 7), target(dir + "/outer/g", 50)};
    const QList<bool> done = removeItems(targets, RemovalStyle::permanent);
    QCOMPARE(done, (QList<bool>{true, true, true, false}));
    QCOMPARE(freedBytes(targets, done), 157);
    QCOMPARE(freedBytes(targets, {true, false, false, false}), 100);
}

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
