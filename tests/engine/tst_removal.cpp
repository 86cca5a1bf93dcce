#include "engine.h"
#include "fixture.h"
#include "paths.h"
#include "removal.h"
#include "removal_p.h"
#include "trash.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace orvane;

namespace {

using fixture::exists;
using fixture::writeBytes;

// Whether each location went.
QList<bool> went(const QList<RemovalResult>& results)
{
    QList<bool> out;
    for (const RemovalResult& r : results)
        out << r.gone();
    return out;
}

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
    void deepTreesStayLinear_data();
    void deepTreesStayLinear();
    void swappedBeforeTheTrash_data();
    void swappedBeforeTheTrash();
    void hardLinksFreeOnlyWithTheLastLink();
    void itemsInTheTrashGoForGood();
    void freedMatchesTheDisk();
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
    QCOMPARE(freedBytes({}), 0);
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

    const QList<RemovalResult> done = removeItems(FilePaths{dir + "/chosen", dir + "/file.txt"}, RemovalStyle::permanent);
    QCOMPARE(went(done), (QList<bool>{true, true}));
    // Files and links (their own length) went; the link targets stay.
    QCOMPARE(freedBytes(done), 10000 + 1 + 1 + (dir + "/outside").size() + (dir + "/outside/keep.txt").size() + 12);
    QVERIFY(done[0].forGood);
    QVERIFY(!exists(dir + "/chosen"));
    QVERIFY(!exists(dir + "/file.txt"));
    QVERIFY(exists(dir + "/outside/keep.txt"));
    QFile keep(QString::fromLocal8Bit(dir + "/outside/keep.txt"));
    QVERIFY(keep.open(QIODevice::ReadOnly));
    QCOMPARE(keep.readAll(), QByteArray("precious"));

    // A link chosen itself goes as a link.
    QCOMPARE(::symlink((dir + "/outside").constData(), (dir + "/link").constData()), 0);
    QCOMPARE(went(removeItems(FilePaths{dir + "/link"}, RemovalStyle::permanent)), QList<bool>{true});
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
        const QList<RemovalResult> done = removeItems(targets, style);
        QCOMPARE(went(done), (QList<bool>{true, false, true}));
        QCOMPARE(done[1].reason, RemovalReason::gone);
        QCOMPARE(freedBytes(done), 2); // what really went, not the scan's figures
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
    const QList<RemovalResult> done = removeItems(targets, RemovalStyle::trash);
    QCOMPARE(went(done), (QList<bool>{true, true, true, true})); // gone, counted once
    QCOMPARE(freedBytes(done), 2);
    QCOMPARE(done[1].freedBytes, 0);
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
        const QList<RemovalResult> done = removeItems(refused, style);
        QCOMPARE(went(done), QList<bool>(refused.size(), false));
        QCOMPARE(done[0].reason, RemovalReason::protectedLocation);
    }
    for (const QByteArray& p : {home, dataHome + "/Trash/files", home + "/.Trash", home + "/Applications", sibling + "/file", out,
                                dir + "/victim"})
        QVERIFY2(exists(p), p.constData());
    QVERIFY(QDir(QString::fromLocal8Bit(sibling)).removeRecursively());

    // Items inside those folders are fine.
    QVERIFY(writeBytes(home + "/.Trash/old", "o"));
    QVERIFY(writeBytes(home + "/Applications/Tool.app/Contents/Info.plist", "p"));
    QCOMPARE(went(removeItems(FilePaths{home + "/.Trash/old", home + "/Applications/Tool.app"}, RemovalStyle::permanent)),
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
        const QList<RemovalResult> done = removeItems(FilePaths{dir + "/to-outside/secret", dir + "/to-real/inner"}, style);
        QCOMPARE(went(done), (QList<bool>{false, false}));
        QCOMPARE(done[0].reason, RemovalReason::changed);
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
        const QList<RemovalResult> done = removeItems(FilePaths{dir + '/' + name, dir + "/folder"}, style);
        const bool expected = style == RemovalStyle::permanent || trashable;
        // A folder holding such a name goes either way.
        QCOMPARE(went(done), (QList<bool>{expected, true}));
        QCOMPARE(done[0].reason, expected ? RemovalReason::none : RemovalReason::noTrash);
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
    const QList<RemovalResult> done = removeItems(FilePaths{dir + '/' + name}, RemovalStyle::trash);
    QCOMPARE(went(done), QList<bool>{true});
    QCOMPARE(done[0].freedBytes, 5001);
    QVERIFY(!done[0].forGood);
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
    QCOMPARE(went(removeItems(FilePaths{dir + '/' + name}, RemovalStyle::trash)), QList<bool>{true});
    QVERIFY(writeBytes(dir + '/' + name, "again"));
    QCOMPARE(went(removeItems(FilePaths{dir + '/' + name}, RemovalStyle::trash)), QList<bool>{true});
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
    QCOMPARE(went(removeItems(FilePaths{dir + "/a-link"}, RemovalStyle::trash)), QList<bool>{true});
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
    QVERIFY(writeBytes(dir + "/mounted/x", "x"));

    // The scan offers what removal will do: no mount point, no other mount's bytes in a size.
    QList<CleanupFile> offered = scanFolder(dir, true);
    QCOMPARE(offered.size(), 2);
    if (offered[0].name != u"chosen")
        offered.swapItemsAt(0, 1);
    QCOMPARE(fixture::namesOf(offered), (QStringList{"chosen", "bindsrc"}));
    QCOMPARE(offered[0].sizeInBytes, 1);

    const QList<RemovalResult> done = removeItems(FilePaths{dir + "/chosen", dir + "/mounted"}, RemovalStyle::permanent);
    const bool mntStill = exists(dir + "/chosen/mnt/on-other-fs.txt");
    const bool bindStill = !bound || exists(dir + "/chosen/bind/kept.txt");
    ::umount((dir + "/chosen/mnt").constData());
    if (bound)
        ::umount((dir + "/chosen/bind").constData());
    ::umount((dir + "/mounted").constData());

    QCOMPARE(done[0].outcome, RemovalOutcome::partlyRemoved);
    QCOMPARE(done[0].reason, RemovalReason::otherDisk);
    QCOMPARE(done[0].freedBytes, 1);
    QCOMPARE(done[1].outcome, RemovalOutcome::notRemoved);
    QCOMPARE(done[1].reason, RemovalReason::otherDisk);
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
    QList<RemovalResult> done = removeItems(targets, RemovalStyle::permanent);
    QCOMPARE(went(done), (QList<bool>{true, true}));
    QCOMPARE(freedBytes(done), 40000);
    QVERIFY(exists(dir + "/1-kept"));

    // A copy changed since the scan stays; the other still goes.
    reset();
    cats = scan();
    QThread::msleep(30); // past the file system's clock tick
    QVERIFY(writeBytes(dir + "/2-copy", content.left(19999) + 'X'));
    done = removeItems(removalTargets(cats), RemovalStyle::trash);
    QCOMPARE(went(done), (QList<bool>{false, true}));
    QCOMPARE(done[0].reason, RemovalReason::changed);
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
    QCOMPARE(went(done), (QList<bool>{true, false}));

    // The kept copy vanished: nothing is removed.
    reset();
    cats = scan();
    QCOMPARE(::unlink((dir + "/1-kept").constData()), 0);
    done = removeItems(removalTargets(cats), RemovalStyle::permanent);
    QCOMPARE(went(done), (QList<bool>{false, false}));
    QCOMPARE(done[0].reason, RemovalReason::keptCopyChanged);
    QVERIFY(exists(dir + "/2-copy") && exists(dir + "/3-copy"));

    // The kept copy changed: nothing is removed.
    reset();
    cats = scan();
    QVERIFY(writeBytes(dir + "/1-kept", content + "more"));
    done = removeItems(removalTargets(cats), RemovalStyle::trash);
    QCOMPARE(went(done), (QList<bool>{false, false}));

    // The user kept a different copy: that one is checked instead.
    reset();
    cats = scan();
    cats[0].files[0].isSelected = true;
    cats[0].files[2].isSelected = false;
    QCOMPARE(::unlink((dir + "/1-kept").constData()), 0);
    QVERIFY(writeBytes(dir + "/1-kept", content));
    done = removeItems(removalTargets(cats), RemovalStyle::permanent);
    QCOMPARE(went(done), (QList<bool>{false, true}));
    QVERIFY(exists(dir + "/1-kept") && exists(dir + "/3-copy") && !exists(dir + "/2-copy"));

    // Every copy chosen: each copy's own check only, and they all go.
    reset();
    cats = scan();
    for (CleanupFile& f : cats[0].files)
        f.isSelected = true;
    done = removeItems(removalTargets(cats), RemovalStyle::permanent);
    QCOMPARE(went(done), (QList<bool>{true, true, true}));
}

void TestRemoval::freedCountsEachLocationOnce()
{
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/outer/inner/f", QByteArray(100, 'f')));
    QVERIFY(writeBytes(dir + "/outer/g", QByteArray(50, 'g')));
    QVERIFY(writeBytes(dir + "/other", QByteArray(7, 'o')));
    // The inner folder goes first, then what is left of the folder that held it; a location
    // inside one that went went with it.
    const QList<RemovalTarget> targets{target(dir + "/outer/inner", 100), target(dir + "/outer", 150),
                                       target(dir + "/other", 7), target(dir + "/outer/g", 50)};
    const QList<RemovalResult> done = removeItems(targets, RemovalStyle::permanent);
    QCOMPARE(went(done), (QList<bool>{true, true, true, true}));
    QCOMPARE(done[1].freedBytes, 50);
    QCOMPARE(done[3].freedBytes, 0);
    QCOMPARE(freedBytes(done), 157);
}

namespace {

// `depth` nested folders "d" below `top`, each level with a 1000-byte file "f" and an empty
// folder "s", built fd by fd (the path outgrows PATH_MAX); the deepest folder holds a folder
// "stuck" with a 100-byte file. Returns an open descriptor of the deepest folder, or -1.
int makeDeepTree(const QByteArray& top, int depth)
{
    auto file = [](int dirFd, const char* name, int size) {
        const int fd = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool ok = fd >= 0 && ::write(fd, QByteArray(size, 'x').constData(), size_t(size)) == size;
        ::close(fd);
        return ok;
    };
    int fd = fixture::makeDirs(top) ? ::open(top.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    for (int level = 0; fd >= 0 && level < depth; ++level) {
        const bool ok = file(fd, "f", 1000) && ::mkdirat(fd, "s", 0755) == 0 && ::mkdirat(fd, "d", 0755) == 0;
        const int child = ok ? ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        ::close(fd);
        fd = child;
    }
    const int stuck = fd >= 0 && ::mkdirat(fd, "stuck", 0755) == 0 ? ::openat(fd, "stuck", O_RDONLY | O_DIRECTORY) : -1;
    const bool ok = stuck >= 0 && file(stuck, "f", 100);
    ::close(stuck);
    if (!ok && fd >= 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

// Whatever stays deep down, each folder is listed at most twice, the walk holds a bounded number
// of descriptors, what could go went, and the rest is reported once with its reason.
void TestRemoval::deepTreesStayLinear_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("blocker"); // what keeps the deepest folder in place
    QTest::addColumn<RemovalStyle>("style");
    QTest::addColumn<RemovalOutcome>("outcome");
    QTest::addColumn<RemovalReason>("reason");
    const auto permanent = RemovalStyle::permanent;
    // Far deeper than the 16 descriptors the walk may hold (bench/ times 2000 levels).
    QTest::newRow("400 levels") << 400 << "" << permanent << RemovalOutcome::removed << RemovalReason::none;
    QTest::newRow("100 levels to the Trash") << 100 << "" << RemovalStyle::trash << RemovalOutcome::removed
                                             << RemovalReason::none;
    QTest::newRow("read-only folder 100 down") << 100 << "read-only" << permanent << RemovalOutcome::partlyRemoved
                                               << RemovalReason::noPermission;
    QTest::newRow("mount 100 down") << 100 << "mount" << permanent << RemovalOutcome::partlyRemoved
                                    << RemovalReason::otherDisk;
    QTest::newRow("mount 22 down to the Trash") << 22 << "mount" << RemovalStyle::trash << RemovalOutcome::notRemoved
                                                << RemovalReason::otherDisk;
}

void TestRemoval::deepTreesStayLinear()
{
    QFETCH(int, depth);
    QFETCH(QString, blocker);
    QFETCH(RemovalStyle, style);
    QFETCH(RemovalOutcome, outcome);
    QFETCH(RemovalReason, reason);
    const QByteArray dir = fresh();
    // A disk of its own where possible: deep trees are made much faster there than on most disks.
    // (Not for the Trash: GIO keeps no Trash on a tmpfs.)
    const bool ownDisk = style == RemovalStyle::permanent && m_privateMounts && ::mount("tmpfs", dir.constData(), "tmpfs", 0, "size=64m,mode=0777") == 0;
    const auto unmount = qScopeGuard([&] {
        if (ownDisk)
            ::umount2(dir.constData(), MNT_DETACH);
    });
    const QByteArray top = dir + "/chosen";
    const int deepest = makeDeepTree(top, depth);
    QVERIFY(deepest >= 0);
    const auto closeDeepest = qScopeGuard([&] { ::close(deepest); });
    const QByteArray stuck = "/proc/self/fd/" + QByteArray::number(deepest) + "/stuck";
    const bool mounted = blocker == "mount";
    if (mounted) {
        if (!m_privateMounts || ::mount("tmpfs", stuck.constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP("mounting is not permitted here");
        QVERIFY(writeBytes(stuck + "/on-other-disk", "kept"));
    }
    const qint64 folders = 2 * qint64(depth) + 2;
    const qint64 bytes = qint64(depth) * 1000 + 100;

    removal::Stats stats;
    removal::Options options;
    options.stats = &stats;
    options.maxOpenFolders = 16;
    auto run = [&] { return removal::removeItems({target(top, bytes)}, style, options); };
    QList<RemovalResult> results;
    if (blocker == "read-only") {
        // Permission bits bind a plain user only: the removal runs as one (as it is, when not root).
        QCOMPARE(::chmod(stuck.constData(), 0555), 0);
        if (::geteuid() == 0) {
            QCOMPARE(::chmod(dir.constData(), 0777), 0);
            QCOMPARE(::system(("chown -R 65534:65534 '" + top + "'").constData()), 0);
        }
        const std::optional<QByteArray> answer = fixture::runUnprivileged([&] {
            const RemovalResult r = run().value(0);
            return QByteArray(reinterpret_cast<const char*>(&r), sizeof r)
                + QByteArray(reinterpret_cast<const char*>(&stats), sizeof stats);
        });
        if (!answer)
            QSKIP("cannot run as a plain user here (the test home must be reachable by user 65534)");
        QCOMPARE(answer->size(), qsizetype(sizeof(RemovalResult) + sizeof stats));
        results = {RemovalResult{}};
        std::memcpy(&results[0], answer->constData(), sizeof(RemovalResult));
        std::memcpy(&stats, answer->constData() + sizeof(RemovalResult), sizeof stats);
        QCOMPARE(::chmod(stuck.constData(), 0755), 0);
    } else {
        results = run();
    }
    if (mounted) {
        const bool kept = exists(stuck + "/on-other-disk");
        QCOMPARE(::umount2(stuck.constData(), MNT_DETACH), 0);
        QVERIFY2(kept, "the other disk's file is still there");
    }

    QCOMPARE(results.size(), 1);
    QCOMPARE(results[0].outcome, outcome);
    QCOMPARE(results[0].reason, reason);
    QVERIFY2(stats.folderReads <= 2 * folders, QByteArray::number(stats.folderReads).constData());
    QVERIFY(stats.mostOpenFolders <= options.maxOpenFolders + 1);
    switch (outcome) {
    case RemovalOutcome::removed:
        QCOMPARE(results[0].freedBytes, bytes);
        QVERIFY(!exists(top));
        break;
    case RemovalOutcome::partlyRemoved: // everything but the way down to what stays
        QCOMPARE(results[0].freedBytes, bytes - 100);
        QCOMPARE(results[0].stayedBytes, blocker == "read-only" ? 100 : 0);
        QVERIFY(exists(top + "/d") && !exists(top + "/f") && !exists(top + "/s"));
        break;
    case RemovalOutcome::notRemoved: // the Trash takes all or nothing
        QCOMPARE(results[0].freedBytes, 0);
        QVERIFY(exists(top + "/f") && exists(top + "/d/d/s"));
        break;
    }
    if (style == RemovalStyle::trash && outcome == RemovalOutcome::removed) {
        // Restorable as a whole; then cleared from the Trash for good.
        const QByteArray trashed = qgetenv("XDG_DATA_HOME") + "/Trash/files/chosen";
        QVERIFY(exists(trashed + "/d/d/d/f"));
        QCOMPARE(went(removeItems(FilePaths{trashed}, RemovalStyle::trash)), QList<bool>{true});
    }
}

// GIO is given a path: a folder on it swapped after the checks must not send another item.
void TestRemoval::swappedBeforeTheTrash_data()
{
    QTest::addColumn<QByteArray>("swapped"); // what the hook swaps for a link to an outside folder
    QTest::newRow("parent folder") << QByteArray("/parent");
    QTest::newRow("folder above it") << QByteArray("");
}

void TestRemoval::swappedBeforeTheTrash()
{
    QFETCH(QByteArray, swapped);
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/box/parent/item", "mine"));
    QTemporaryDir outsideDir;
    const QByteArray outside = QFile::encodeName(outsideDir.path());
    QVERIFY(writeBytes(outside + "/parent/item", "not mine"));
    QVERIFY(writeBytes(outside + "/item", "not mine"));
    const QByteArray swap = dir + "/box" + swapped;
    removal::Options options;
    options.beforeTrash = [&](const FilePath&) {
        QCOMPARE(::rename(swap.constData(), (swap + "-moved").constData()), 0);
        QVERIFY(fixture::makeSymlink(outside, swap));
    };
    const QList<RemovalResult> done = removal::removeItems({target(dir + "/box/parent/item", 4)}, RemovalStyle::trash, options);
    QCOMPARE(went(done), QList<bool>{false});
    QCOMPARE(done[0].reason, RemovalReason::changed);
    QVERIFY(exists(outside + "/parent/item") && exists(outside + "/item"));
    QVERIFY(!exists(qgetenv("XDG_DATA_HOME") + "/Trash/files/item"));
}

// A file with other links frees nothing until its last link goes; several links going in one
// run count its bytes once.
void TestRemoval::hardLinksFreeOnlyWithTheLastLink()
{
    const QByteArray dir = fresh();
    for (RemovalStyle style : {RemovalStyle::permanent, RemovalStyle::trash}) {
        QVERIFY(writeBytes(dir + "/keep/lone", QByteArray(3000, 'l')));
        QVERIFY(writeBytes(dir + "/both-a", QByteArray(5000, 'b')));
        QVERIFY(writeBytes(dir + "/folder/own", QByteArray(70, 'o')));
        QCOMPARE(::link((dir + "/keep/lone").constData(), (dir + "/other-link").constData()), 0);
        QCOMPARE(::link((dir + "/keep/lone").constData(), (dir + "/folder/linked").constData()), 0);
        QCOMPARE(::link((dir + "/both-a").constData(), (dir + "/both-b").constData()), 0);
        const QList<RemovalResult> done = removeItems(
            FilePaths{dir + "/other-link", dir + "/both-a", dir + "/folder", dir + "/both-b"}, style);
        QCOMPARE(went(done), (QList<bool>{true, true, true, true}));
        QCOMPARE(done[0].freedBytes, 0);  // "keep/lone" still holds it
        QCOMPARE(done[2].freedBytes, 70); // the same for the folder's linked file
        QCOMPARE(done[1].freedBytes + done[3].freedBytes, 5000);
        QVERIFY(exists(dir + "/keep/lone"));
        fixture::removeTree(dir + "/keep");
    }
}

// Moving what is already in a Trash to the Trash again would free nothing: it goes for good.
void TestRemoval::itemsInTheTrashGoForGood()
{
    const QByteArray home = homeDir();
    const QByteArray trash = qgetenv("XDG_DATA_HOME") + "/Trash";
    QVERIFY(writeBytes(trash + "/files/old folder/x", QByteArray(400, 'o')));
    QVERIFY(writeBytes(trash + "/info/old folder.trashinfo", QByteArray(20, 'i')));
    QVERIFY(writeBytes(home + "/.Trash/from-a-mac", QByteArray(30, 'm')));
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/.Trash-" + QByteArray::number(::getuid()) + "/files/v", QByteArray(9, 'v')));
    QVERIFY(writeBytes(dir + "/plain", QByteArray(5, 'p')));
    const QList<RemovalTarget> targets{target(trash + "/files/old folder", 400), target(trash + "/info/old folder.trashinfo", 20),
                                       target(home + "/.Trash/from-a-mac", 30),
                                       target(dir + "/.Trash-" + QByteArray::number(::getuid()) + "/files/v", 9),
                                       target(dir + "/plain", 5)};
    QCOMPARE(forGoodBytes(targets, RemovalStyle::trash), 400 + 20 + 30 + 9);
    QCOMPARE(forGoodBytes(targets, RemovalStyle::permanent), 400 + 20 + 30 + 9 + 5);
    auto inTrash = [&] {
        return QDir(QFile::decodeName(trash + "/files")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    };
    QStringList expected = inTrash();
    expected.removeOne(QStringLiteral("old folder"));
    expected.append(QStringLiteral("plain"));
    const QList<RemovalResult> done = removeItems(targets, RemovalStyle::trash);
    QCOMPARE(went(done), QList<bool>(5, true));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(done[i].forGood, i < 4);
    QCOMPARE(freedBytes(done), 400 + 20 + 30 + 9 + 5);
    // Nothing came back into the Trash under another name; the plain file went there.
    QStringList now = inTrash();
    now.sort();
    expected.sort();
    QCOMPARE(now, expected);
    QVERIFY(!exists(home + "/.Trash/from-a-mac") && !exists(trash + "/info/old folder.trashinfo"));
}

// On a disk of its own, the freed figure is what the disk got back: whole pages of files, a
// file whose other link stays (nothing), both links of another (once), a folder with a mount.
void TestRemoval::freedMatchesTheDisk()
{
    const QByteArray dir = fresh();
    if (!m_privateMounts || ::mount("tmpfs", dir.constData(), "tmpfs", 0, "size=64m") != 0)
        QSKIP("mounting is not permitted here");
    const auto unmount = qScopeGuard([&] { ::umount2(dir.constData(), MNT_DETACH); });
    QVERIFY(fixture::writeFile(dir + "/cache/a/b/one", 4096 * 25));
    QVERIFY(fixture::writeFile(dir + "/cache/two", 4096 * 3));
    QVERIFY(fixture::writeFile(dir + "/kept/linked", 4096 * 7));
    QCOMPARE(::link((dir + "/kept/linked").constData(), (dir + "/cache/linked").constData()), 0);
    QVERIFY(fixture::writeFile(dir + "/pair-a", 4096 * 11));
    QCOMPARE(::link((dir + "/pair-a").constData(), (dir + "/pair-b").constData()), 0);
    QVERIFY(fixture::makeDirs(dir + "/cache/a/mnt"));
    QCOMPARE(::mount("tmpfs", (dir + "/cache/a/mnt").constData(), "tmpfs", 0, "size=1m"), 0);
    const auto unmountInner = qScopeGuard([&] { ::umount2((dir + "/cache/a/mnt").constData(), MNT_DETACH); });
    QVERIFY(fixture::writeFile(dir + "/cache/a/mnt/elsewhere", 4096 * 5));

    struct statvfs before, after;
    QCOMPARE(::statvfs(dir.constData(), &before), 0);
    const QList<RemovalResult> done =
        removeItems(FilePaths{dir + "/cache", dir + "/pair-a", dir + "/pair-b"}, RemovalStyle::permanent);
    QCOMPARE(::statvfs(dir.constData(), &after), 0);
    QCOMPARE(done[0].outcome, RemovalOutcome::partlyRemoved);
    const qint64 diskFreed = qint64(after.f_bfree - before.f_bfree) * qint64(after.f_frsize);
    QCOMPARE(freedBytes(done), diskFreed);
    QCOMPARE(diskFreed, 4096 * (25 + 3 + 11));
}

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
