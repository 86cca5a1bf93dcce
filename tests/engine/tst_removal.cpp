#include "engine.h"
#include "fixture.h"
#include "paths.h"
#include "removal.h"
#include "removal_p.h"
#include "locations.h"
#include "trash.h"
#include "walker.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <pwd.h>
#include <unistd.h>

using namespace orvane;

namespace {

using fixture::exists;
using fixture::writeBytes;
using fixture::ref::allocatedSize;

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

QList<RemovalResult> removePaths(const FilePaths& paths, RemovalStyle style)
{
    QList<RemovalTarget> targets;
    for (const FilePath& path : paths)
        targets << target(path);
    return removeItems(targets, style);
}

// What a folder source offers from `folder`.
QList<CleanupFile> folderItems(const FilePath& folder)
{
    return scanFolderSource({{{SourceLocation::Kind::folder, folder}}, {}}, true);
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

constexpr RemovalStyle bothStyles[] = {RemovalStyle::permanent, RemovalStyle::trash};

QByteArray trashDir()
{
    return qgetenv("XDG_DATA_HOME") + "/Trash";
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
    bool m_mediaMounted = false;

private slots:
    void initTestCase();
    void permanentFolderKeepsLinkTargets();
    void refusedLocations();
    void oddNamesRemovedExactly();
    void trashTour();
    void freedPerLocation();
    void mountsAndTheDisk();
    void targetsFromSelection();
    void duplicateCopiesAreChecked();
    void deepTreesStayLinear_data();
    void deepTreesStayLinear();
    void swappedBeforeTheTrash_data();
    void swappedBeforeTheTrash();
    void itemsInTheTrashGoForGood();
    void trashOnVolumes_data();
    void trashOnVolumes();
};

void TestRemoval::initTestCase()
{
    // Never run against a real home.
    QVERIFY(homeDir().contains("test-homes"));
    fixture::removeTree(trashDir());
    // Mounts made by the tests stay private to this process and vanish with it.
    m_privateMounts = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

void TestRemoval::permanentFolderKeepsLinkTargets()
{
    const QByteArray dir = fresh();
    QVERIFY(writeBytes(dir + "/outside/keep.txt", "precious"));
    QVERIFY(writeBytes(dir + "/chosen/a/b/c/deep.bin", QByteArray(10000, 'x')));
    QVERIFY(writeBytes(dir + "/chosen/top.txt", "t"));
    QVERIFY(fixture::makeDirs(dir + "/chosen/empty"));
    QVERIFY(fixture::makeSymlink(dir + "/outside", dir + "/chosen/to-outside"));
    QVERIFY(fixture::makeSymlink(dir + "/outside/keep.txt", dir + "/chosen/a/to-file"));
    QVERIFY(fixture::makeSymlink("/nonexistent", dir + "/chosen/dangling"));
    QVERIFY(fixture::makeFifo(dir + "/chosen/a/fifo"));
    QVERIFY(writeBytes(dir + "/file.txt", "f"));
    QVERIFY(fixture::makeSymlink(dir + "/outside", dir + "/link"));

    // A link chosen itself goes as a link.
    const qint64 disk = allocatedSize(dir + "/chosen") + allocatedSize(dir + "/file.txt") + allocatedSize(dir + "/link");
    const QList<RemovalResult> done =
        removePaths(FilePaths{dir + "/chosen", dir + "/file.txt", dir + "/link"}, RemovalStyle::permanent);
    QCOMPARE(went(done), (QList<bool>{true, true, true}));
    // Files, folders and links went, counted as the disk space they took; the link targets stay.
    QCOMPARE(freedBytes(done), disk);
    QVERIFY(done[0].forGood);
    QVERIFY(!exists(dir + "/chosen") && !exists(dir + "/file.txt") && !exists(dir + "/link"));
    QVERIFY(exists(dir + "/outside/keep.txt"));
}

// Refused either way, and nothing at or behind them changes: the home itself, "/", Trash folders,
// anything outside the home and the Applications folders, paths that are not spelled plainly, and
// paths that pass through a link (to a folder outside or inside the home).
void TestRemoval::refusedLocations()
{
    const QByteArray home = homeDir();
    const QByteArray dir = fresh();
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    QVERIFY(!dataHome.isEmpty());
    const QByteArray volumeTrash = dir + "/.Trash-" + QByteArray::number(::getuid());
    const QByteArray sibling = home + "X"; // a sibling of the home whose name merely starts like it
    QTemporaryDir outside;
    const QByteArray out = QFile::encodeName(outside.path());
    for (const QByteArray& folder : {dataHome + "/Trash/files", dataHome + "/Trash/info", home + "/.Trash",
                                     home + "/Applications", volumeTrash + "/files"})
        QVERIFY(fixture::makeDirs(folder));
    QVERIFY(writeBytes(dir + "/victim", "v"));
    QVERIFY(writeBytes(dir + "/real/inner", "i"));
    QVERIFY(writeBytes(sibling + "/file", "s"));
    QVERIFY(writeBytes(out + "/secret", "o"));
    QVERIFY(fixture::makeSymlink(out, dir + "/to-outside"));
    QVERIFY(fixture::makeSymlink(dir + "/real", dir + "/to-real"));

    const QByteArray name = lastComponent(dir);
    const FilePaths refused{home, home + "/", "/", "", "/tmp", "/Applications", home + "/Applications",
                            home + "/.Trash", dataHome + "/Trash", dataHome + "/Trash/files", dataHome + "/Trash/info",
                            home + "/.local/share/Trash/", volumeTrash, volumeTrash + "/files",
                            sibling, sibling + "/file", out + "/secret",
                            dir + "/../" + name + "/victim", dir + "/./victim", "victim", name + "/victim",
                            dir + QByteArray("/victim\0.txt", 12)}; // a NUL would cut the path to "victim"
    const FilePaths throughLinks{dir + "/to-outside/secret", dir + "/to-real/inner"};
    for (RemovalStyle style : bothStyles) {
        const QList<RemovalResult> done = removePaths(refused + throughLinks, style);
        QCOMPARE(went(done), QList<bool>(done.size(), false));
        for (qsizetype i = 0; i < done.size(); ++i)
            QCOMPARE(done[i].reason, i < refused.size() ? RemovalReason::protectedLocation : RemovalReason::changed);
    }
    for (const QByteArray& p : {home, dataHome + "/Trash/files", home + "/.Trash", home + "/Applications",
                                sibling + "/file", out + "/secret", dir + "/victim", dir + "/real/inner"})
        QVERIFY2(exists(p), p.constData());
    fixture::removeTree(sibling);

    // Items inside those folders are fine.
    QVERIFY(writeBytes(home + "/.Trash/old", "o"));
    QVERIFY(writeBytes(home + "/Applications/Tool.app/Contents/Info.plist", "p"));
    const FilePaths inside{home + "/.Trash/old", home + "/Applications/Tool.app"};
    QCOMPARE(went(removePaths(inside, RemovalStyle::permanent)), (QList<bool>{true, true}));

    // Locked entries (chattr +i, +a) say so, whichever of the entry or its folder is locked.
    const auto setFlag = [](const QByteArray& path, int flag, bool on) {
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        int flags = 0;
        const bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
                        && (flags = on ? flags | flag : flags & ~flag, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        if (fd >= 0)
            ::close(fd);
        return ok;
    };
    const struct {
        const char* locked; // what carries the flag, inside the fixture
        int flag;
        const char* removed; // what is removed
    } rows[] = {
        {"/i-file", FS_IMMUTABLE_FL, "/i-file"},
        {"/a-file", FS_APPEND_FL, "/a-file"},
        {"/i-folder", FS_IMMUTABLE_FL, "/i-folder"},
        {"/a-folder", FS_APPEND_FL, "/a-folder"},    // its file cannot go
        {"/i-parent", FS_IMMUTABLE_FL, "/i-parent/x"}, // its folder is locked
    };
    for (RemovalStyle style : bothStyles) {
        for (const auto& row : rows) {
            const QByteArray locked = dir + row.locked, removed = dir + row.removed;
            QVERIFY(writeBytes(QByteArray(row.locked).endsWith("file") ? locked : locked + "/x", "l"));
            if (!setFlag(locked, row.flag, true))
                QSKIP("this file system does not take the immutable or append-only flag");
            const auto unlock = qScopeGuard([&] { setFlag(locked, row.flag, false); });
            const QList<RemovalResult> done = removePaths(FilePaths{removed}, style);
            QVERIFY2(!done[0].gone() && exists(removed), row.removed);
            QCOMPARE(done[0].reason, RemovalReason::immutable);
        }
    }
}

// Any bytes of a name are removed exactly, and a sibling whose name a lossy conversion would make of
// it stays. A folder holding such a name goes either way; the Trash needs room for ".trashinfo"
// after the name, so a 255-byte name cannot be trashed.
void TestRemoval::oddNamesRemovedExactly()
{
    const struct {
        QByteArray name, sibling;
        bool trashable;
    } rows[] = {{"two\nlines", "two", true},
                {"caf\xe9 \xff.txt", "caf\xef\xbf\xbd \xef\xbf\xbd.txt", true},
                {"100% done %20.txt", "100% done  .txt", true},
                {QByteArray(255, 'n'), QByteArray(254, 'n'), false}};
    const QByteArray dir = fresh();
    for (const auto& row : rows) {
        for (RemovalStyle style : bothStyles) {
            QVERIFY(writeBytes(dir + '/' + row.name, "x"));
            QVERIFY(writeBytes(dir + '/' + row.sibling, "y"));
            QVERIFY(writeBytes(dir + "/folder/" + row.name, "z"));
            const qint64 disk = allocatedSize(dir + '/' + row.name);
            const QList<RemovalResult> done = removePaths(FilePaths{dir + '/' + row.name, dir + "/folder"}, style);
            const bool expected = style == RemovalStyle::permanent || row.trashable;
            QCOMPARE(went(done), (QList<bool>{expected, true}));
            QCOMPARE(done[0].reason, expected ? RemovalReason::none : RemovalReason::noTrash);
            QCOMPARE(done[0].freedBytes, !expected ? 0 : style == RemovalStyle::permanent ? disk : 1);
            QCOMPARE(exists(dir + '/' + row.name), !expected);
            QVERIFY(exists(dir + '/' + row.sibling) && !exists(dir + "/folder"));
            if (style == RemovalStyle::trash && row.trashable)
                QVERIFY(exists(trashDir() + "/files/" + row.name));
            ::unlink((dir + '/' + row.name).constData());
        }
    }
}

// A folder goes to the Trash whole, with an info file that names its place; another item of the
// same name gets a name of its own there; a link goes as the link. Every item in the Trash has its
// info file.
void TestRemoval::trashTour()
{
    const QByteArray dir = fresh();
    const QByteArray trash = trashDir();
    const QByteArray name = "Trash me " + QByteArray::number(QDateTime::currentMSecsSinceEpoch());
    QVERIFY(writeBytes(dir + '/' + name + "/sub/data.bin", QByteArray(5000, 'd')));
    QVERIFY(writeBytes(dir + '/' + name + "/note.txt", "n"));
    const QList<RemovalResult> done = removePaths(FilePaths{dir + '/' + name}, RemovalStyle::trash);
    QCOMPARE(went(done), QList<bool>{true});
    QCOMPARE(done[0].freedBytes, 5001);
    QVERIFY(!done[0].forGood && !exists(dir + '/' + name));
    QVERIFY(exists(trash + "/files/" + name + "/sub/data.bin") && exists(trash + "/files/" + name + "/note.txt"));
    QFile info(QString::fromLocal8Bit(trash + "/info/" + name + ".trashinfo"));
    QVERIFY(info.open(QIODevice::ReadOnly));
    const QByteArray text = info.readAll();
    const QByteArray escaped = QUrl::toPercentEncoding(QString::fromUtf8(dir + '/' + name), "/");
    QVERIFY2(text.startsWith("[Trash Info]\n") && text.contains("\nPath=" + escaped + "\n"), text.constData());
    QVERIFY(text.contains("\nDeletionDate="));

    QVERIFY(writeBytes(dir + '/' + name, "again"));
    QCOMPARE(went(removePaths(FilePaths{dir + '/' + name}, RemovalStyle::trash)), QList<bool>{true});
    QVERIFY(exists(trash + "/files/" + name + "/note.txt"));
    const QStringList inTrash =
        QDir(QString::fromLocal8Bit(trash + "/files")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    QCOMPARE(inTrash.filter(QString::fromUtf8(name)).size(), 2);

    QVERIFY(fixture::makeSymlink(dir + "/target", dir + "/a-link"));
    QVERIFY(writeBytes(dir + "/target/inside", "i"));
    QCOMPARE(went(removePaths(FilePaths{dir + "/a-link"}, RemovalStyle::trash)), QList<bool>{true});
    struct stat st;
    QCOMPARE(::lstat((trash + "/files/a-link").constData(), &st), 0);
    QVERIFY(S_ISLNK(st.st_mode) && exists(dir + "/target/inside"));

    const std::vector<ListedEntry> trashed = listFolder(trash + "/files", false).value_or(std::vector<ListedEntry>{});
    QVERIFY(trashed.size() > 4);
    for (const ListedEntry& entry : trashed)
        QVERIFY2(exists(trash + "/info/" + entry.name + ".trashinfo"), entry.name.constData());
}

// Lists of locations over one small tree, both ways: what went, and what each location freed: its
// own bytes (never the scan's figure), nothing again for a location listed twice (however spelled)
// or inside one that went, for a file with other links only with its last link. -1: it stayed,
// for it was gone already. Deleted for good, the bytes are the disk's: whole pages on a tmpfs
// (where folders take none); moved to the Trash, the sizes the lists show.
void TestRemoval::freedPerLocation()
{
    const struct {
        QList<QByteArray> targets;
        QList<qint64> freed;
    } rows[] = {
        {{}, {}},
        {{"one", "two", "three"}, {1, -1, 1}},
        {{"one", "//one/", "other", "other"}, {1, 0, 7, 0}},
        {{"outer/inner", "outer", "other", "outer/g"}, {100, 50, 7, 0}},
        {{"other-link", "both-a", "folder", "both-b"}, {0, 0, 70, 5000}},
    };
    const QList<QPair<QByteArray, qint64>> tree{{"one", 1},       {"three/x", 1},      {"outer/inner/f", 100},
                                                {"outer/g", 50},  {"other", 7},        {"keep/lone", 3000},
                                                {"both-a", 5000}, {"folder/own", 70}};
    const QList<QPair<QByteArray, QByteArray>> hardLinks{
        {"keep/lone", "other-link"}, {"keep/lone", "folder/linked"}, {"both-a", "both-b"}};
    for (const auto& row : rows) {
        for (RemovalStyle style : bothStyles) {
            const QByteArray dir = fresh();
            const bool pages = style == RemovalStyle::permanent;
            if (pages && (!m_privateMounts || ::mount("tmpfs", dir.constData(), "tmpfs", 0, "size=4m") != 0))
                QSKIP("mounting is not permitted here");
            const auto unmount = qScopeGuard([&] {
                if (pages)
                    ::umount2(dir.constData(), MNT_DETACH);
            });
            for (const auto& [path, size] : tree)
                QVERIFY(fixture::writeFile(dir + '/' + path, size));
            for (const auto& [existing, link] : hardLinks)
                QCOMPARE(::link((dir + '/' + existing).constData(), (dir + '/' + link).constData()), 0);
            QList<RemovalTarget> targets;
            for (const QByteArray& path : row.targets)
                targets << target(dir + '/' + path, 999);
            const QList<RemovalResult> done = removeItems(targets, style);
            QCOMPARE(done.size(), row.freed.size());
            for (qsizetype i = 0; i < done.size(); ++i) {
                QCOMPARE(done[i].gone(), row.freed[i] >= 0);
                QCOMPARE(done[i].reason, row.freed[i] >= 0 ? RemovalReason::none : RemovalReason::gone);
                const qint64 freed = qMax<qint64>(row.freed[i], 0);
                const qint64 page = ::sysconf(_SC_PAGESIZE);
                QCOMPARE(done[i].freedBytes, pages ? (freed + page - 1) / page * page : freed);
                QVERIFY(!exists(targets[i].path));
            }
            // Nothing else went: neither a parent nor another link of a file.
            for (const auto& entry : tree) {
                const QByteArray& path = entry.first; // not a structured binding: Clang 14 lets no lambda capture one
                if (!std::any_of(row.targets.begin(), row.targets.end(),
                                 [&](const QByteArray& t) { return path == t || path.startsWith(t + '/'); }))
                    QVERIFY2(exists(dir + '/' + path), path.constData());
            }
        }
    }
}

// On a disk of its own: the scan offers what removal will do (no mount point, no other disk's bytes
// in a size); a folder holding a mount and a bind mount is emptied around them and a mount point
// is left alone; and the freed figure is what the disk got back (statvfs): whole pages of files,
// nothing for a file whose other link stays, once for both links of another, the written page of
// a sparse gigabyte, a page for each of 2000 one-byte files. The list keeps the logical sizes.
void TestRemoval::mountsAndTheDisk()
{
    const QByteArray dir = fresh();
    if (!m_privateMounts || ::mount("tmpfs", dir.constData(), "tmpfs", 0, "size=64m") != 0)
        QSKIP("mounting is not permitted here");
    const QByteArray mnt = dir + "/cache/a/mnt", bind = dir + "/cache/bind", mounted = dir + "/mounted";
    const auto unmount = qScopeGuard([&] {
        for (const QByteArray& point : {mnt, bind, mounted, dir})
            ::umount2(point.constData(), MNT_DETACH);
    });
    constexpr qint64 page = 4096;
    QVERIFY(fixture::writeFile(dir + "/cache/a/b/one", page * 25));
    QVERIFY(fixture::writeFile(dir + "/cache/two", page * 3));
    QVERIFY(fixture::writeFile(dir + "/kept/linked", page * 7));
    QCOMPARE(::link((dir + "/kept/linked").constData(), (dir + "/cache/linked").constData()), 0);
    QVERIFY(fixture::writeFile(dir + "/pair-a", page * 11));
    QCOMPARE(::link((dir + "/pair-a").constData(), (dir + "/pair-b").constData()), 0);
    QVERIFY(fixture::writeFile(dir + "/bindsrc/kept", page));
    for (const QByteArray& point : {mnt, bind, mounted})
        QVERIFY(fixture::makeDirs(point));
    QCOMPARE(::mount("tmpfs", mnt.constData(), "tmpfs", 0, "size=1m"), 0);
    QCOMPARE(::mount("tmpfs", mounted.constData(), "tmpfs", 0, "size=1m"), 0);
    QCOMPARE(::mount((dir + "/bindsrc").constData(), bind.constData(), nullptr, MS_BIND, nullptr), 0);
    QVERIFY(fixture::writeFile(mnt + "/elsewhere", page * 5) && fixture::makeDirs(mnt + "/empty"));
    QVERIFY(fixture::writeFile(mounted + "/x", page));
    QVERIFY(fixture::writeSparse(dir + "/sparse", qint64(1) << 30));
    {
        QFile sparse(QString::fromUtf8(dir + "/sparse"));
        QVERIFY(sparse.open(QIODevice::ReadWrite) && sparse.seek(qint64(1) << 29) && sparse.write("x", 1) == 1);
    }
    for (int i = 0; i < 2000; ++i)
        QVERIFY(writeBytes(dir + "/tiny/" + QByteArray::number(i), "t"));
    QVERIFY(fixture::writeFile(dir + "/odd", page + 904));

    QHash<QString, qint64> offered;
    for (const CleanupFile& f : folderItems(dir))
        offered.insert(f.name, f.sizeInBytes);
    QCOMPARE(offered.size(), 8);
    QVERIFY(!offered.contains("mounted"));
    QCOMPARE(offered.value("cache"), page * (25 + 3 + 7));
    QCOMPARE(offered.value("sparse"), qint64(1) << 30);
    QCOMPARE(offered.value("tiny"), 2000);

    struct statvfs before, after;
    QCOMPARE(::statvfs(dir.constData(), &before), 0);
    const QList<RemovalResult> done = removePaths(FilePaths{dir + "/cache", mounted, dir + "/pair-a", dir + "/pair-b",
                                                            dir + "/sparse", dir + "/tiny", dir + "/odd"},
                                                  RemovalStyle::permanent);
    QCOMPARE(::statvfs(dir.constData(), &after), 0);
    QCOMPARE(done[0].outcome, RemovalOutcome::partlyRemoved);
    QCOMPARE(done[0].reason, RemovalReason::otherDisk);
    QCOMPARE(done[1].outcome, RemovalOutcome::notRemoved);
    QCOMPARE(done[1].reason, RemovalReason::otherDisk);
    QVERIFY(exists(mnt + "/elsewhere") && exists(mnt + "/empty") && exists(bind + "/kept") && exists(mounted + "/x"));
    QVERIFY(exists(dir + "/kept/linked") && !exists(dir + "/cache/two") && !exists(dir + "/cache/a/b"));
    const qint64 diskFreed = qint64(after.f_bfree - before.f_bfree) * qint64(after.f_frsize);
    QCOMPARE(freedBytes(done), diskFreed);
    QCOMPARE(diskFreed, page * (25 + 3 + 11 + 1 + 2000 + 2));
}

// The selected files in display order, each with its extras; a path met again is left out.
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

    QList<QByteArray> paths;
    QList<qint64> sizes;
    for (const RemovalTarget& t : removalTargets(cats)) {
        paths << t.path;
        sizes << t.scanSize;
        QVERIFY(!t.expected && t.keptCopies.isEmpty());
    }
    QCOMPARE(paths, (QList<QByteArray>{"/h/Applications/A.app", "/h/Library/Caches/a", "/h/Library/Prefs/a.plist",
                                       "/h/shared", "/h/y", "/h/B.app", "/h/b-only"}));
    // The item's own share, then each extra's own scan size; a missing size counts 0.
    QCOMPARE(sizes, (QList<qint64>{58, 30, 5, 7, 2, 41, 0}));
}

// A duplicate copy goes only while it and every copy that stays look as the scan saw them, and a
// group never loses its last copy. Each row changes one file after the scan ("edit": other bytes
// and time, "swap": another file of the same size and time, "drop": deleted) and leaves one copy
// unselected (-1: none, so the first copy stays anyway; -2: none, and the caller hands every copy
// over as a target with no kept copy).
void TestRemoval::duplicateCopiesAreChecked()
{
    enum Change { none, edit, swap, drop };
    const auto permanent = RemovalStyle::permanent, trash = RemovalStyle::trash;
    const struct {
        const char* file;
        Change change;
        int kept;
        RemovalStyle style;
        QList<bool> went; // per target
        RemovalReason reason; // of the first target
    } rows[] = {
        {"", none, 0, permanent, {true, true}, RemovalReason::none},
        {"2-copy", edit, 0, trash, {false, true}, RemovalReason::changed},
        {"3-copy", swap, 0, permanent, {true, false}, RemovalReason::none},
        {"1-kept", drop, 0, permanent, {false, false}, RemovalReason::keptCopyChanged},
        {"1-kept", edit, 0, trash, {false, false}, RemovalReason::keptCopyChanged},
        {"1-kept", swap, 2, permanent, {false, true}, RemovalReason::changed}, // another copy kept
        {"", none, -1, permanent, {true, true}, RemovalReason::none},
        {"", none, -1, trash, {true, true}, RemovalReason::none},
        {"1-kept", drop, -1, permanent, {false, false}, RemovalReason::keptCopyChanged},
        {"", none, -2, permanent, {false, false, false}, RemovalReason::lastCopy},
        {"", none, -2, trash, {false, false, false}, RemovalReason::lastCopy},
    };
    const QByteArray content(20000, 'c');
    for (const auto& row : rows) {
        const QByteArray dir = fresh();
        for (const char* name : {"/1-kept", "/2-copy", "/3-copy"})
            QVERIFY(writeBytes(dir + name, content));
        QList<CleanupCategory> cats = findDuplicates({dir}, 1, "doc.on.doc");
        QCOMPARE(cats.size(), 1);
        for (qsizetype i = 0; i < cats[0].files.size(); ++i)
            cats[0].files[i].isSelected = i != row.kept;
        const QByteArray path = dir + '/' + row.file;
        struct stat st;
        QCOMPARE(::stat(path.constData(), &st), 0);
        timespec times[2] = {st.st_atim, st.st_mtim};
        if (row.change == edit) {
            QVERIFY(writeBytes(path, content.left(19999) + 'X'));
            ++times[1].tv_sec; // as an edit a second later would leave it
            QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
        } else if (row.change == swap) {
            QVERIFY(writeBytes(path + ".new", content));
            QCOMPARE(::utimensat(AT_FDCWD, (path + ".new").constData(), times, 0), 0);
            QCOMPARE(::rename((path + ".new").constData(), path.constData()), 0);
        } else if (row.change == drop) {
            QCOMPARE(::unlink(path.constData()), 0);
        }
        QList<RemovalTarget> targets = removalTargets(cats);
        if (row.kept == -2) {
            targets.clear();
            for (const CleanupFile& f : std::as_const(cats[0].files)) {
                targets << target(f.url, f.sizeInBytes);
                targets.last().expected = f.stamp;
            }
        }
        // Each copy takes as much disk as the kept one (the same size).
        const qint64 each = row.style == permanent ? allocatedSize(dir + "/1-kept") : content.size();
        const QList<RemovalResult> done = removeItems(targets, row.style);
        QCOMPARE(went(done), row.went);
        QCOMPARE(done[0].reason, row.reason);
        QCOMPARE(freedBytes(done), each * row.went.count(true));
        for (qsizetype i = 0; i < done.size(); ++i)
            QCOMPARE(exists(targets[i].path), !row.went[i]);
        const QByteArray stays = cats[0].files[std::max(row.kept, 0)].url;
        QCOMPARE(exists(stays), !(row.change == drop && stays == path));
    }
}

// Whatever stays deep down, each folder is listed at most twice, the walk holds a bounded number
// of descriptors, what could go went, and the rest is reported once with its reason.
void TestRemoval::deepTreesStayLinear_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("blocker"); // what keeps the deepest folder in place
    QTest::addColumn<RemovalStyle>("style");
    QTest::addColumn<RemovalOutcome>("outcome");
    QTest::addColumn<RemovalReason>("reason");
    const auto permanent = RemovalStyle::permanent, trash = RemovalStyle::trash;
    const auto removed = RemovalOutcome::removed, partly = RemovalOutcome::partlyRemoved;
    // Far deeper than the 16 descriptors the walk may hold (bench/ times 2000 levels).
    QTest::newRow("400 levels") << 400 << "" << permanent << removed << RemovalReason::none;
    QTest::newRow("100 levels to the Trash") << 100 << "" << trash << removed << RemovalReason::none;
    // The owner's read-only folders (Go's module cache) are made writable inside the item and go;
    // another user's stay.
    QTest::newRow("read-only folder 100 down") << 100 << "read-only" << permanent << removed << RemovalReason::none;
    QTest::newRow("another user's read-only folder 100 down")
        << 100 << "read-only, not ours" << permanent << partly << RemovalReason::noPermission;
    QTest::newRow("mount 100 down") << 100 << "mount" << permanent << partly << RemovalReason::otherDisk;
    QTest::newRow("mount 22 down to the Trash") << 22 << "mount" << trash << RemovalOutcome::notRemoved
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
    // (Not for the Trash: the moved tree is looked for in the home Trash.)
    const bool ownDisk = style == RemovalStyle::permanent && m_privateMounts
                         && ::mount("tmpfs", dir.constData(), "tmpfs", 0, "size=64m,mode=0777") == 0;
    const auto unmount = qScopeGuard([&] {
        if (ownDisk)
            ::umount2(dir.constData(), MNT_DETACH);
    });
    const QByteArray top = dir + "/chosen";
    const int deepest = fixture::makeDeepTree(top, depth);
    QVERIFY(deepest >= 0);
    const qint64 diskBefore = allocatedSize(top);
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
    if (blocker.startsWith("read-only")) {
        // Permission bits bind a process without root's capabilities only: the removal runs as one.
        if (blocker.endsWith("not ours") && ::chown(stuck.constData(), 65534, 65534) != 0)
            QSKIP("cannot give a folder to another user here");
        QCOMPARE(::chmod(stuck.constData(), 0555), 0);
        QCOMPARE(::chmod(parentPath(stuck).constData(), 0555), 0); // the item's own folders only
        const std::optional<QByteArray> answer = fixture::runUnprivileged([&] {
            const RemovalResult r = run().value(0);
            return QByteArray(reinterpret_cast<const char*>(&r), sizeof r)
                   + QByteArray(reinterpret_cast<const char*>(&stats), sizeof stats);
        });
        if (!answer)
            QSKIP("cannot run without root's capabilities here");
        QCOMPARE(answer->size(), qsizetype(sizeof(RemovalResult) + sizeof stats));
        results = {RemovalResult{}};
        std::memcpy(&results[0], answer->constData(), sizeof(RemovalResult));
        std::memcpy(&stats, answer->constData() + sizeof(RemovalResult), sizeof stats);
        if (exists(stuck)) {
            QCOMPARE(::chmod(stuck.constData(), 0755), 0);
            QCOMPARE(::chown(stuck.constData(), ::geteuid(), ::getegid()), 0);
        }
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
    // For good: the disk space of what went; to the Trash: the sizes the lists show.
    const qint64 diskWent = diskBefore - allocatedSize(top);
    switch (outcome) {
    case RemovalOutcome::removed:
        QCOMPARE(results[0].freedBytes, style == RemovalStyle::trash ? bytes : diskWent);
        QVERIFY(!exists(top));
        break;
    case RemovalOutcome::partlyRemoved: // everything but the way down to what stays
        QCOMPARE(results[0].freedBytes, diskWent);
        QCOMPARE(results[0].stayedBytes, blocker.startsWith("read-only") ? 100 : 0);
        QVERIFY(exists(top + "/d") && !exists(top + "/f") && !exists(top + "/s"));
        break;
    case RemovalOutcome::notRemoved: // the Trash takes all or nothing
        QCOMPARE(results[0].freedBytes, 0);
        QVERIFY(exists(top + "/f") && exists(top + "/d/d/s"));
        break;
    }
    if (style == RemovalStyle::trash && outcome == RemovalOutcome::removed) {
        // Restorable as a whole; then cleared from the Trash for good.
        const QByteArray trashed = trashDir() + "/files/chosen";
        QVERIFY(exists(trashed + "/d/d/d/f"));
        QCOMPARE(went(removePaths(FilePaths{trashed}, RemovalStyle::trash)), QList<bool>{true});
    }
}

// The move to the Trash starts from the folder that was checked: a folder on the path (the
// parent, the one above, or the cache folder itself, as in a cache swapped for a link to a
// victim folder holding the same names) swapped for a link after the checks sends the checked
// item, never what the link leads to; later items find the link and stay.
void TestRemoval::swappedBeforeTheTrash_data()
{
    QTest::addColumn<QByteArray>("swapped"); // below the fixture, swapped for a link to `victim`
    QTest::addColumn<QByteArray>("victim");  // the folder the link leads to (below the fixture)
    QTest::addColumn<QByteArray>("items");   // the folder of the chosen items
    QTest::addColumn<int>("count");
    QTest::newRow("parent") << QByteArray("box/parent") << QByteArray("outside/parent") << QByteArray("box/parent") << 1;
    QTest::newRow("grandparent") << QByteArray("box") << QByteArray("outside") << QByteArray("box/parent") << 1;
    QTest::newRow("cache for a link to Documents/victim")
        << QByteArray(".cache") << QByteArray("Documents/victim") << QByteArray(".cache") << 300;
}

void TestRemoval::swappedBeforeTheTrash()
{
    QFETCH(QByteArray, swapped);
    QFETCH(QByteArray, victim);
    QFETCH(QByteArray, items);
    QFETCH(int, count);
    const QByteArray dir = fresh();
    const QByteArray tag = lastComponent(dir); // names of this run only, in the shared Trash
    QList<RemovalTarget> targets;
    for (int i = 0; i < count; ++i) {
        const QByteArray name = tag + '-' + QByteArray::number(i);
        QVERIFY(writeBytes(dir + '/' + items + '/' + name, "mine"));
        QVERIFY(writeBytes(dir + '/' + victim + items.mid(swapped.size()) + '/' + name, "victim's"));
        targets << target(dir + '/' + items + '/' + name, 4);
    }
    removal::Options options;
    int calls = 0;
    options.beforeTrash = [&](const FilePath&) {
        if (calls++ > 0)
            return;
        QCOMPARE(::rename((dir + '/' + swapped).constData(), (dir + '/' + swapped + "-moved").constData()), 0);
        QVERIFY(fixture::makeSymlink(dir + '/' + victim, dir + '/' + swapped));
    };
    const QList<RemovalResult> done = removal::removeItems(targets, RemovalStyle::trash, options);
    QCOMPARE(calls, 1);
    QList<bool> expected(count, false);
    expected[0] = true;
    QCOMPARE(went(done), expected);
    for (int i = 1; i < count; ++i)
        QCOMPARE(done[i].reason, RemovalReason::changed);
    const QByteArray first = tag + "-0";
    QFile trashed(QString::fromUtf8(trashDir() + "/files/" + first));
    QVERIFY(trashed.open(QIODevice::ReadOnly));
    QCOMPARE(trashed.readAll(), QByteArray("mine"));
    QVERIFY(exists(trashDir() + "/info/" + first + ".trashinfo"));
    for (int i = 0; i < count; ++i) {
        const QByteArray name = tag + '-' + QByteArray::number(i);
        QFile kept(QString::fromUtf8(dir + '/' + victim + items.mid(swapped.size()) + '/' + name));
        QVERIFY2(kept.open(QIODevice::ReadOnly) && kept.readAll() == "victim's", name.constData());
        QCOMPARE(exists(dir + '/' + swapped + "-moved" + items.mid(swapped.size()) + '/' + name), i > 0);
    }
}

// Moving what is already in a Trash to the Trash again would free nothing: it goes for good. An
// entry that goes only in part (a disk mounted inside) keeps its info file.
void TestRemoval::itemsInTheTrashGoForGood()
{
    const QByteArray home = homeDir();
    const QByteArray trash = trashDir();
    const QByteArray dir = fresh();
    const QByteArray volumeTrash = dir + "/.Trash-" + QByteArray::number(::getuid());
    QVERIFY(writeBytes(trash + "/files/old folder/x", QByteArray(400, 'o')));
    QVERIFY(writeBytes(trash + "/info/old folder.trashinfo", QByteArray(20, 'i')));
    QVERIFY(writeBytes(home + "/.Trash/from-a-mac", QByteArray(30, 'm')));
    QVERIFY(writeBytes(volumeTrash + "/files/v", QByteArray(9, 'v')));
    QVERIFY(writeBytes(dir + "/plain", QByteArray(5, 'p')));
    QList<RemovalTarget> targets{target(trash + "/files/old folder", 400),
                                 target(trash + "/info/old folder.trashinfo", 20),
                                 target(home + "/.Trash/from-a-mac", 30), target(volumeTrash + "/files/v", 9),
                                 target(dir + "/plain", 5)};
    QCOMPARE(forGoodBytes(targets, RemovalStyle::trash), 400 + 20 + 30 + 9);
    QCOMPARE(forGoodBytes(targets, RemovalStyle::permanent), 400 + 20 + 30 + 9 + 5);
    qint64 disk = 0;
    for (const RemovalTarget& t : targets.first(4))
        disk += allocatedSize(t.path);
    const QByteArray held = trash + "/files/held", heldInfo = trash + "/info/held.trashinfo";
    QVERIFY(writeBytes(held + "/own", "o") && fixture::makeDirs(held + "/mnt") && writeBytes(heldInfo, "[Trash Info]\n"));
    const bool heldMounted = m_privateMounts && ::mount("tmpfs", (held + "/mnt").constData(), "tmpfs", 0, "size=1m") == 0;
    const auto unmount = qScopeGuard([&] {
        if (heldMounted)
            ::umount2((held + "/mnt").constData(), MNT_DETACH);
    });
    if (heldMounted) {
        disk += allocatedSize(held + "/own");
        targets << target(held, 1) << target(heldInfo, 13);
    }
    auto inTrash = [&] {
        QStringList names =
            QDir(QFile::decodeName(trash + "/files")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names.sort();
        return names;
    };
    QStringList expected = inTrash();
    expected.removeOne(QStringLiteral("old folder"));
    expected.append(QStringLiteral("plain"));
    expected.sort();
    const QList<RemovalResult> done = removeItems(targets, RemovalStyle::trash);
    QCOMPARE(went(done).first(5), QList<bool>(5, true));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(done[i].forGood, i < 4);
    QCOMPARE(diskFreedBytes(done), disk);
    QCOMPARE(trashedBytes(done), 5);
    if (heldMounted) {
        QCOMPARE(done[5].outcome, RemovalOutcome::partlyRemoved);
        QCOMPARE(done[6].outcome, RemovalOutcome::notRemoved);
        QCOMPARE(done[6].reason, RemovalReason::entryStays);
        QVERIFY(exists(heldInfo) && exists(held + "/mnt") && !exists(held + "/own"));
    }
    // Nothing came back into the Trash under another name; the plain file went there.
    QCOMPARE(inTrash(), expected);
    QVERIFY(!exists(home + "/.Trash/from-a-mac") && !exists(trash + "/info/old folder.trashinfo"));
}

// A volume mounted inside the home (a cache on its own disk) or one of the user's own mounted
// volumes (/media/$USER/*): a move to the Trash goes to the volume's own Trash, whose info file is
// written whole or not at all (a full disk moves nothing and leaves no info file). That Trash
// belongs to the Trash category, is never offered as an item of the volume's folder, and removal
// takes its files/ and info/ entries (on the user's volumes exactly those), never the folder.
void TestRemoval::trashOnVolumes_data()
{
    QTest::addColumn<QByteArray>("where"); // "home" or "media"
    QTest::addColumn<QByteArray>("setup"); // the volume's .Trash: "", "sticky", "plain", "linked"; or "full"
    QTest::addColumn<RemovalReason>("reason");
    QTest::addColumn<QByteArray>("trashIn"); // where the entry goes, below the volume ($uid for the uid)
    QTest::newRow("cache on its own volume") << QByteArray("home") << QByteArray() << RemovalReason::none
                                             << QByteArray(".Trash-$uid");
    QTest::newRow("sticky .Trash") << QByteArray("home") << QByteArray("sticky") << RemovalReason::none
                                   << QByteArray(".Trash/$uid");
    QTest::newRow(".Trash not sticky") << QByteArray("home") << QByteArray("plain") << RemovalReason::none
                                       << QByteArray(".Trash-$uid");
    QTest::newRow(".Trash a link") << QByteArray("home") << QByteArray("linked") << RemovalReason::none
                                   << QByteArray(".Trash-$uid");
    QTest::newRow("full disk") << QByteArray("home") << QByteArray("full") << RemovalReason::diskFull << QByteArray();
    QTest::newRow("the user's volume") << QByteArray("media") << QByteArray() << RemovalReason::none
                                       << QByteArray(".Trash-$uid");
}

void TestRemoval::trashOnVolumes()
{
    QFETCH(QByteArray, where);
    QFETCH(QByteArray, setup);
    QFETCH(RemovalReason, reason);
    QFETCH(QByteArray, trashIn);
    if (!m_privateMounts)
        QSKIP("mounting is not permitted here");
    const QByteArray uid = QByteArray::number(quint64(::getuid()));
    trashIn.replace("$uid", uid);
    QByteArray volume = fresh() + "/vol";
    if (where == "media") {
        // A tmpfs over /media, seen by this process only.
        if (!m_mediaMounted && (!exists("/media") || ::mount("tmpfs", "/media", "tmpfs", 0, "size=1m") != 0))
            QSKIP("cannot mount over /media here");
        m_mediaMounted = true;
        volume = QByteArray("/media/") + ::getpwuid(::getuid())->pw_name + '/' + lastComponent(parentPath(volume));
    }
    QVERIFY(fixture::makeDirs(volume));
    QCOMPARE(::mount("tmpfs", volume.constData(), "tmpfs", 0, setup == "full" ? "size=64k" : "size=4m"), 0);
    const auto unmount = qScopeGuard([&] { ::umount2(volume.constData(), MNT_DETACH); });
    const QByteArray item = volume + "/cache/item";
    QVERIFY(writeBytes(item, QByteArray(3000, 'i')) && writeBytes(volume + "/cache/folder/x", "x"));
    if (setup == "sticky" || setup == "plain")
        QVERIFY(fixture::makeDirs(volume + "/.Trash")
                && ::chmod((volume + "/.Trash").constData(), setup == "sticky" ? 01777 : 0777) == 0);
    if (setup == "linked")
        QVERIFY(fixture::makeDirs(volume + "/elsewhere") && ::chmod((volume + "/elsewhere").constData(), 01777) == 0
                && fixture::makeSymlink(volume + "/elsewhere", volume + "/.Trash"));
    const QByteArray ownTrash = volume + "/.Trash-" + uid;
    if (setup == "full") {
        QVERIFY(fixture::makeDirs(ownTrash + "/files") && fixture::makeDirs(ownTrash + "/info"));
        QFile filler(QString::fromUtf8(volume + "/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'f')) == 4096) {
        }
    }

    const FilePaths chosen{item, volume + "/cache/folder"};
    QList<TrashFailure> failures;
    QList<RemovalReason> reasons;
    if (where == "home") {
        for (const RemovalResult& r : removePaths(chosen, RemovalStyle::trash))
            reasons << r.reason;
    } else { // outside the home, only the Trash itself takes things there
        for (const FilePath& path : chosen) {
            TrashFailure failure = TrashFailure::other;
            moveToTrash(path, nullptr, &failure);
            reasons << (failure == TrashFailure::none ? RemovalReason::none : RemovalReason::failed);
        }
    }
    QCOMPARE(reasons.value(0), reason);
    if (reason != RemovalReason::none) {
        QVERIFY(exists(item));
        QVERIFY(listFolder(ownTrash + "/info", false).value_or(std::vector<ListedEntry>{{}}).empty());
        QVERIFY(listFolder(ownTrash + "/files", false).value_or(std::vector<ListedEntry>{{}}).empty());
        return;
    }
    const QByteArray trash = volume + '/' + trashIn;
    QVERIFY(!exists(item) && exists(trash + "/files/item") && exists(trash + "/files/folder/x"));
    if (setup == "linked")
        QVERIFY(QDir(QString::fromUtf8(volume + "/elsewhere")).isEmpty());
    QFile info(QString::fromUtf8(trash + "/info/item.trashinfo"));
    QVERIFY(info.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(info.readAll());
    QVERIFY2(QRegularExpression(QStringLiteral("^\\[Trash Info\\]\nPath=cache/item\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n$"))
                 .match(text)
                 .hasMatch(),
             qPrintable(text));

    // The Trash category has it; the volume's own folder never offers its Trash.
    const Locations locations = currentLocations();
    QVERIFY(locations.trash.contains(SourceLocation{SourceLocation::Kind::trash, trash}));
    for (const FilePath& folder : {volume, volume + "/.Trash"})
        for (const CleanupFile& f : folderItems(folder))
            QVERIFY2(!f.name.startsWith(QStringLiteral(".Trash")), qPrintable(f.name));
    CleanupCategory category;
    category.files = scanFolderSource({locations.trash, {}}, true);
    category.files.removeIf([&](const CleanupFile& f) { return !f.url.startsWith(trash + '/'); });
    QCOMPARE(category.files.size(), 2);
    const CleanupFile& entry = category.files[0].url.endsWith("/item") ? category.files[0] : category.files[1];
    QCOMPARE(entry.extraURLs, FilePaths{trash + "/info/item.trashinfo"});
    QCOMPARE(entry.name, QStringLiteral("item"));

    // Removal takes the entries and their info files for good, never the Trash or its folders, and
    // on the user's volumes nothing but those entries.
    const FilePaths refused = where == "media" ? FilePaths{trash, trash + "/files", trash + "/info", volume + "/cache",
                                                           trash + "/files/folder/x"}
                                               : FilePaths{trash, trash + "/files", trash + "/info"};
    const QList<RemovalResult> stays = removePaths(refused, RemovalStyle::permanent);
    QCOMPARE(went(stays), QList<bool>(refused.size(), false));
    QCOMPARE(stays[0].reason, RemovalReason::protectedLocation);
    QCOMPARE(stays.last().reason, RemovalReason::protectedLocation);
    const QList<RemovalResult> done = removeItems(removalTargets({category}), RemovalStyle::trash);
    QCOMPARE(went(done), QList<bool>(4, true));
    QVERIFY(std::all_of(done.cbegin(), done.cend(), [](const RemovalResult& r) { return r.forGood; }));
    QVERIFY(listFolder(trash + "/files", false)->empty() && listFolder(trash + "/info", false)->empty());
}

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
