#include "localization_manager.h"
#include "paths.h"
#include "space_controller.h"

#include <QAbstractItemModelTester>
#include <QSemaphore>
#include <QThreadPool>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>

using namespace orvane;

namespace {

SpaceEntry entry(const QByteArray& path, qint64 size, bool dir)
{
    const QString name = QString::fromUtf8(lastComponent(path));
    return {.name = name, .icon = dir ? "folder" : "doc", .url = path, .sizeInBytes = size, .isDirectory = dir};
}

// A made-up home whose listings of the `slow` folders wait until the test lets them go. The test
// changes it only while no listing runs; a test that fails halfway still lets them all go.
struct FakeHome {
    FakeHome()
    {
        top = {entry("/h/Downloads", 800, true), entry("/h/Documents", 200, true), entry("/h/Movies", 100, true)};
        children["/h/Downloads"] = {entry("/h/Downloads/big.iso", 600, false), entry("/h/Downloads/Project.app", 150, true),
                                    entry("/h/Downloads/notes.txt", 50, false)};
        children["/h/Downloads/Project.app"] = {entry("/h/Downloads/Project.app/Contents", 150, true)};
        children["/h/Documents"] = {entry("/h/Documents/only.pdf", 200, false)};
    }
    DiskInfo disk{1000, 250};
    QList<SpaceEntry> top;
    QHash<FilePath, QList<SpaceEntry>> children;
    QSet<FilePath> slow;
    QSemaphore gate;
    std::atomic<int> diskCalls{0}, childCalls{0};
    std::atomic<int> cancelledListings{0}; // held-back listings whose measuring was stopped meanwhile
    QStringList reveals;
    QList<QList<FilePath>> removals; // the paths of each removal, in order
    QSet<FilePath> stays;            // removal leaves these where they are
    FilePaths kept;

    ~FakeHome()
    {
        gate.release(100);
        QThreadPool::globalInstance()->waitForDone();
    }
    SpaceBackend backend()
    {
        return {[this] { ++diskCalls; return disk; }, [this](ScanProgress*) { return top; },
                [this](const FilePath& folder, ScanProgress* progress) {
                    ++childCalls;
                    if (slow.contains(folder)) {
                        progress->filesSeen += 1234;
                        gate.acquire();
                        if (progress->cancelled())
                            ++cancelledListings;
                    }
                    return children.value(folder);
                },
                [this](const FilePath& item) { reveals << QString::fromUtf8(item); },
                [this](const QList<RemovalTarget>& targets, RemovalStyle) {
                    QList<FilePath> paths;
                    QList<RemovalResult> results;
                    for (const RemovalTarget& t : targets) {
                        paths << t.path;
                        RemovalResult r;
                        if (!stays.contains(t.path)) {
                            r.outcome = RemovalOutcome::removed;
                            r.freedBytes = t.scanSize;
                            r.forGood = true;
                            for (QList<SpaceEntry>* list : {&top, &children["/h/Downloads"]})
                                list->removeIf([&](const SpaceEntry& e) { return e.url == t.path; });
                        } else {
                            r.reason = RemovalReason::noPermission;
                        }
                        results << r;
                    }
                    removals << paths;
                    disk.free += 10;
                    return results;
                },
                [this](const FilePath& item) { kept << item; return true; }};
    }
};

bool waitLoaded(SpaceController& c)
{
    QSignalSpy spy(&c, &SpaceController::loaded);
    return !c.loading() || spy.wait(30000);
}

// Lets a held-back listing go, and hands the controller whatever that produces: the task has
// ended and its result is delivered, so anything it was going to change has changed.
void release(QSemaphore& gate)
{
    gate.release();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(30000));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

QStringList names(const SpaceEntriesModel* m)
{
    QStringList out;
    for (int i = 0; i < m->rowCount(); ++i)
        out << m->data(m->index(i), int(SpaceEntriesModel::Role::name)).toString();
    return out;
}

} // namespace

class TestSpaceController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LocalizationManager::shared().setLanguage(AppLanguage::en); }

    // Nothing is measured before the screen asks; the volume is measured at the top level only,
    // at every return to it, and drilled-in levels keep the figures they had. Rows out of range,
    // and Back at the top, do nothing. Rows, bars, reveal and Back on screen: tst_space_ui.
    void tour()
    {
        FakeHome home;
        SpaceController c(home.backend());
        QAbstractItemModelTester tester(c.entries(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy pathSpy(&c, &SpaceController::pathChanged);
        QSignalSpy diskSpy(&c, &SpaceController::diskChanged);
        QVERIFY(c.loading() && c.atTopLevel());
        QCOMPARE(home.diskCalls.load(), 0);

        c.reload();
        QVERIFY(waitLoaded(c));
        QCOMPARE(diskSpy.size(), 1);
        QCOMPARE(c.usedFraction(), 0.75);
        home.disk = {1000, 100}; // the volume changes meanwhile
        c.activate(0);
        QVERIFY(waitLoaded(c));
        c.activate(1); // Project.app
        QVERIFY(waitLoaded(c));
        QCOMPARE(c.depth(), 2);
        QCOMPARE(c.currentFolder(), u"/h/Downloads/Project.app");
        QCOMPARE(c.usedFraction(), 0.75);
        c.back();
        QVERIFY(waitLoaded(c));
        QCOMPARE(home.diskCalls.load(), 1);
        c.activate(-1);
        c.activate(3);
        QVERIFY(!c.loading() && home.reveals.isEmpty());

        c.back();
        QVERIFY(waitLoaded(c));
        QCOMPARE(home.diskCalls.load(), 2);
        QCOMPARE(c.usedFraction(), 0.9);
        c.back();
        QVERIFY(!c.loading());
        QCOMPARE(pathSpy.size(), 4);
        QCOMPARE(names(c.entries()), QStringList({"Downloads", "Documents", "Movies"}));

        // Slow folders: a list that arrives after the user moved on never replaces what is shown,
        // rows still on screen take no click while the next level loads, and a screen closed
        // meanwhile is safe.
        home.slow = {"/h/Downloads"};
        const int listed = home.childCalls;
        c.activate(0);
        QVERIFY(c.loading());
        QTRY_COMPARE(c.progressText(), QStringLiteral("1,234 files seen")); // how far the measuring got
        c.activate(1); // still the top level's row: must not push it under Downloads
        QCOMPARE(c.depth(), 1);
        QTRY_COMPARE(home.childCalls.load(), listed + 1);
        c.back();
        QVERIFY(waitLoaded(c)); // the top level arrives first
        QSignalSpy loadedSpy(&c, &SpaceController::loaded);
        release(home.gate);
        QCOMPARE(loadedSpy.size(), 0);
        QCOMPARE(home.cancelledListings.load(), 1); // stopped once the user went back
        QVERIFY(c.atTopLevel() && !c.loading() && c.progressText().isEmpty());
        QCOMPARE(names(c.entries()), QStringList({"Downloads", "Documents", "Movies"}));

        // The same when the slow level is replaced by a quicker sibling.
        c.activate(0);
        QTRY_COMPARE(home.childCalls.load(), listed + 2);
        c.back();
        QVERIFY(waitLoaded(c));
        c.activate(1); // Documents
        QVERIFY(waitLoaded(c));
        release(home.gate);
        QCOMPARE(c.currentFolder(), u"/h/Documents");
        QCOMPARE(names(c.entries()), QStringList{"only.pdf"});

        // The user leaves the screen while a list is being measured.
        auto* gone = new SpaceController(home.backend());
        gone->reload();
        QVERIFY(waitLoaded(*gone));
        gone->activate(0);
        QTRY_COMPARE(home.childCalls.load(), listed + 4);
        delete gone;
        release(home.gate); // a late delivery to the deleted screen would crash here
        QCOMPARE(home.cancelledListings.load(), 3); // and its measuring stopped when it went
    }

    // Ticked rows go through the executor after the plans' confirmation; the level and the
    // volume are then measured again (inside a folder too), and what stayed is said. Cancel
    // removes nothing; nothing can be asked while a list loads. "Never offer this" stores the
    // row's path.
    void removal()
    {
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        FakeHome home;
        home.stays = {"/h/Downloads/notes.txt"};
        SpaceController c(home.backend());
        QSignalSpy removed(&c, &SpaceController::removed);
        c.reload();
        QVERIFY(waitLoaded(c));
        c.requestRemoval(false);
        QVERIFY(!c.showConfirm()); // nothing ticked
        c.toggleSelected(2);
        c.toggleSelected(1);
        c.toggleSelected(2);
        QCOMPARE(c.selectedCount(), 1);
        QCOMPARE(c.selectedText(), QStringLiteral("Selected: 1 item · 200 bytes"));
        c.requestRemoval(true);
        QVERIFY(c.showConfirm() && c.confirmsDeletion());
        QCOMPARE(c.confirmTitle(), QStringLiteral("Delete permanently?"));
        QCOMPARE(c.confirmMessage(), QStringLiteral("200 bytes will be freed. This action cannot be undone."));
        c.cancelRemoval();
        QVERIFY(!c.showConfirm() && home.removals.isEmpty());
        c.requestRemoval(false);
        QCOMPARE(c.confirmTitle(), QStringLiteral("Move to Trash?"));
        c.confirmRemoval();
        QVERIFY(c.removing());
        QVERIFY(removed.wait(30000));
        QVERIFY(waitLoaded(c));
        QCOMPARE(home.removals, (QList<QList<FilePath>>{{"/h/Documents"}}));
        QCOMPARE(names(c.entries()), (QStringList{"Downloads", "Movies"}));
        QCOMPARE(c.selectedCount(), 0);
        QCOMPARE(c.usedFraction(), 0.74);

        c.activate(0);
        QVERIFY(waitLoaded(c));
        const int diskCalls = home.diskCalls;
        c.toggleSelected(0);
        c.toggleSelected(2);
        c.requestRemoval(true);
        c.confirmRemoval();
        QVERIFY(removed.wait(30000));
        QVERIFY(waitLoaded(c));
        QCOMPARE(home.removals.last(), (QList<FilePath>{"/h/Downloads/big.iso", "/h/Downloads/notes.txt"}));
        QCOMPARE(names(c.entries()), (QStringList{"Project.app", "notes.txt"}));
        QCOMPARE(home.diskCalls.load(), diskCalls + 1);
        QCOMPARE(c.usedFraction(), 0.73);
        QVERIFY2(c.doneText().contains(QStringLiteral("notes.txt")) && c.doneText().contains(QStringLiteral("no permission")),
                 qPrintable(c.doneText()));

        c.keep(1);
        c.keep(7);
        QCOMPARE(home.kept, FilePaths{"/h/Downloads/notes.txt"});
        QCOMPARE(c.doneText(), QStringLiteral("Never offered again: notes.txt"));
        home.slow = {"/h/Downloads/Project.app"};
        c.activate(0);
        c.toggleSelected(0);
        c.requestRemoval(false);
        QVERIFY(!c.showConfirm() && c.selectedCount() == 0);
        release(home.gate);
    }
};

QTEST_MAIN(TestSpaceController)
#include "tst_space_controller.moc"
