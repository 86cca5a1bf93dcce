#include "byte_format.h"
#include "engine.h"
#include "localization_manager.h"
#include "paths.h"
#include "space_controller.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <QThreadPool>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <memory>

using namespace orvane;

namespace {

SpaceEntry entry(const QByteArray& path, qint64 size, bool dir)
{
    SpaceEntry e;
    e.url = path;
    e.name = QString::fromUtf8(lastComponent(path));
    e.icon = dir ? "folder" : "doc";
    e.sizeInBytes = size;
    e.isDirectory = dir;
    return e;
}

// A made-up home whose listings can be held back until the test lets them go.
struct FakeHome {
    DiskInfo disk{1000, 250};
    QList<SpaceEntry> top;
    QHash<FilePath, QList<SpaceEntry>> children;
    QHash<FilePath, QSemaphore*> gates;
    std::atomic<int> diskCalls{0};
    std::atomic<int> childCalls{0};
    QStringList reveals;
    QMutex mutex;

    SpaceBackend backend()
    {
        return {
            [this] {
                ++diskCalls;
                QMutexLocker lock(&mutex);
                return disk;
            },
            [this] {
                QMutexLocker lock(&mutex);
                return top;
            },
            [this](const FilePath& folder) {
                ++childCalls;
                QSemaphore* gate = nullptr;
                {
                    QMutexLocker lock(&mutex);
                    gate = gates.value(folder);
                }
                if (gate)
                    gate->acquire();
                QMutexLocker lock(&mutex);
                return children.value(folder);
            },
            [this](const FilePath& item) { reveals << QString::fromUtf8(item); },
        };
    }
};

std::unique_ptr<FakeHome> sampleHome()
{
    auto home = std::make_unique<FakeHome>();
    home->top = {entry("/h/Downloads", 800, true), entry("/h/Documents", 200, true), entry("/h/Movies", 100, true)};
    home->children["/h/Downloads"] = {entry("/h/Downloads/big.iso", 600, false),
                                      entry("/h/Downloads/Project.app", 150, true),
                                      entry("/h/Downloads/notes.txt", 50, false)};
    home->children["/h/Downloads/Project.app"] = {entry("/h/Downloads/Project.app/Contents", 150, true)};
    home->children["/h/Documents"] = {entry("/h/Documents/only.pdf", 200, false)};
    return home;
}

bool waitLoaded(SpaceController& c)
{
    if (!c.loading())
        return true;
    QSignalSpy spy(&c, &SpaceController::loaded);
    return spy.wait(5000);
}

QStringList names(const SpaceEntriesModel* m)
{
    QStringList out;
    for (int i = 0; i < m->rowCount(); ++i)
        out << m->data(m->index(i), int(SpaceEntriesModel::Role::name)).toString();
    return out;
}

double fraction(const SpaceEntriesModel* m, int row)
{
    return m->data(m->index(row), int(SpaceEntriesModel::Role::fraction)).toDouble();
}

} // namespace

class TestSpaceController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void topLevelFiguresAndRows();
    void drillDownAndBack();
    void fileRowsAndRevealButton();
    void staleResultsAreDropped();
    void rowsIgnoredWhileLoading();
    void emptyAndSingleEntryLists();
    void screenGoneBeforeResult();
    void realHomeFolder();
};

void TestSpaceController::initTestCase()
{
    LocalizationManager::shared().setLanguage(AppLanguage::en);
}

void TestSpaceController::topLevelFiguresAndRows()
{
    auto home = sampleHome();
    SpaceController c(home->backend());
    QAbstractItemModelTester tester(c.entries(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy diskSpy(&c, &SpaceController::diskChanged);
    QSignalSpy loadingSpy(&c, &SpaceController::loadingChanged);
    QVERIFY(c.loading());
    QVERIFY(c.atTopLevel());
    QCOMPARE(c.usedFraction(), 0.0); // total 0 before measuring: no division by zero
    QCOMPARE(home->diskCalls.load(), 0); // nothing measured before the screen asks

    c.reload();
    QVERIFY(waitLoaded(c));
    QVERIFY(!c.loading());
    QCOMPARE(loadingSpy.size(), 1);
    QCOMPARE(diskSpy.size(), 1);
    QCOMPARE(c.diskTotal(), 1000);
    QCOMPARE(c.diskFree(), 250);
    QCOMPARE(c.usedFraction(), 0.75);

    const SpaceEntriesModel* m = c.entries();
    QCOMPARE(names(m), QStringList({"Downloads", "Documents", "Movies"}));
    QCOMPARE(fraction(m, 0), 1.0); // the largest row's bar is full
    QCOMPARE(fraction(m, 1), 0.25);
    QCOMPARE(fraction(m, 2), 0.125);
    QCOMPARE(m->largestSize(), 800);
    QVERIFY(!QUuid::fromString(m->data(m->index(0), int(SpaceEntriesModel::Role::entryId)).toString()).isNull());
}

void TestSpaceController::drillDownAndBack()
{
    auto home = sampleHome();
    SpaceController c(home->backend());
    QSignalSpy pathSpy(&c, &SpaceController::pathChanged);
    c.reload();
    QVERIFY(waitLoaded(c));
    QCOMPARE(home->diskCalls.load(), 1);

    // The volume changes meanwhile; drilled-in levels keep the figures they had.
    home->disk = {1000, 100};
    c.activate(0); // Downloads
    QVERIFY(c.loading());
    QCOMPARE(pathSpy.size(), 1);
    QCOMPARE(c.path(), FilePaths{"/h/Downloads"});
    QVERIFY(waitLoaded(c));
    QVERIFY(!c.atTopLevel());
    QCOMPARE(c.depth(), 1);
    QCOMPARE(c.currentFolderName(), QString("Downloads"));
    QCOMPARE(names(c.entries()), QStringList({"big.iso", "Project.app", "notes.txt"}));
    QCOMPARE(fraction(c.entries(), 0), 1.0);
    QCOMPARE(c.diskFree(), 250);
    QCOMPARE(home->diskCalls.load(), 1);

    // An application bundle is a folder like any other.
    c.activate(1);
    QVERIFY(waitLoaded(c));
    QCOMPARE(c.path(), FilePaths({"/h/Downloads", "/h/Downloads/Project.app"}));
    QCOMPARE(names(c.entries()), QStringList{"Contents"});
    QCOMPARE(c.currentFolderName(), QString("Project.app"));

    c.back();
    QVERIFY(waitLoaded(c));
    QCOMPARE(c.path(), FilePaths{"/h/Downloads"});
    QCOMPARE(home->diskCalls.load(), 1);

    // Back to the top measures the volume again.
    c.back();
    QVERIFY(waitLoaded(c));
    QVERIFY(c.atTopLevel());
    QCOMPARE(home->diskCalls.load(), 2);
    QCOMPARE(c.diskFree(), 100);

    // Back at the top does nothing.
    const int paths = int(pathSpy.size());
    c.back();
    QVERIFY(!c.loading());
    QCOMPARE(pathSpy.size(), paths);
    QCOMPARE(home->diskCalls.load(), 2);
}

void TestSpaceController::fileRowsAndRevealButton()
{
    auto home = sampleHome();
    SpaceController c(home->backend());
    c.reload();
    QVERIFY(waitLoaded(c));
    c.revealCurrentFolder(); // nothing to reveal at the top
    QVERIFY(home->reveals.isEmpty());

    c.activate(0);
    QVERIFY(waitLoaded(c));
    QSignalSpy pathSpy(&c, &SpaceController::pathChanged);
    c.activate(2); // notes.txt: shown in the file manager, nothing changes here
    c.activate(-1);
    c.activate(3);
    QCOMPARE(home->reveals, QStringList{"/h/Downloads/notes.txt"});
    QVERIFY(!c.loading());
    QCOMPARE(pathSpy.size(), 0);
}

void TestSpaceController::staleResultsAreDropped()
{
    auto home = sampleHome();
    QSemaphore slowDownloads;
    home->gates["/h/Downloads"] = &slowDownloads;
    SpaceController c(home->backend());
    c.reload();
    QVERIFY(waitLoaded(c));

    // Into a folder that takes long; the user goes back before it is measured.
    c.activate(0);
    QTRY_COMPARE(home->childCalls.load(), 1);
    c.back();
    QVERIFY(waitLoaded(c)); // the top level arrives first
    QVERIFY(c.atTopLevel());
    QCOMPARE(names(c.entries()), QStringList({"Downloads", "Documents", "Movies"}));

    // Then the old folder's list turns up: it must not replace what is shown.
    QSignalSpy loadedSpy(&c, &SpaceController::loaded);
    slowDownloads.release();
    QThreadPool::globalInstance()->waitForDone(5000);
    QTest::qWait(100);
    QCOMPARE(loadedSpy.size(), 0);
    QVERIFY(c.atTopLevel());
    QVERIFY(!c.loading());
    QCOMPARE(names(c.entries()), QStringList({"Downloads", "Documents", "Movies"}));

    // The same when a slow level is replaced by a quicker sibling.
    c.activate(0); // Downloads, slow again
    QTRY_COMPARE(home->childCalls.load(), 2);
    c.back();
    QVERIFY(waitLoaded(c));
    c.activate(1); // Documents
    QVERIFY(waitLoaded(c));
    QCOMPARE(names(c.entries()), QStringList{"only.pdf"});
    slowDownloads.release();
    QThreadPool::globalInstance()->waitForDone(5000);
    QTest::qWait(100);
    QCOMPARE(c.path(), FilePaths{"/h/Documents"});
    QCOMPARE(names(c.entries()), QStringList{"only.pdf"});
}

void TestSpaceController::rowsIgnoredWhileLoading()
{
    auto home = sampleHome();
    QSemaphore gate;
    home->gates["/h/Downloads"] = &gate;
    SpaceController c(home->backend());
    c.reload();
    QVERIFY(waitLoaded(c));
    c.activate(0);
    QVERIFY(c.loading());
    // The rows still held are the top level's; a click on one must not push it under Downloads.
    c.activate(1);
    QCOMPARE(c.path(), FilePaths{"/h/Downloads"});
    QVERIFY(home->reveals.isEmpty());
    gate.release();
    QVERIFY(waitLoaded(c));
    QCOMPARE(names(c.entries()), QStringList({"big.iso", "Project.app", "notes.txt"}));
}

void TestSpaceController::emptyAndSingleEntryLists()
{
    auto home = std::make_unique<FakeHome>();
    home->disk = {0, 0};
    home->top = {entry("/h/Pictures", 5, true)};
    SpaceController c(home->backend());
    c.reload();
    QVERIFY(waitLoaded(c));
    QCOMPARE(c.usedFraction(), 0.0);
    QCOMPARE(c.entries()->count(), 1);
    QCOMPARE(fraction(c.entries(), 0), 1.0);

    // A folder that cannot be listed any more shows no rows, and still has a way back.
    c.activate(0);
    QVERIFY(waitLoaded(c));
    QCOMPARE(c.entries()->count(), 0);
    QCOMPARE(c.entries()->largestSize(), 1);
    QCOMPARE(c.depth(), 1);

    home->top.clear();
    c.back();
    QVERIFY(waitLoaded(c));
    QCOMPARE(c.entries()->count(), 0);
}

void TestSpaceController::screenGoneBeforeResult()
{
    auto home = sampleHome();
    QSemaphore gate;
    home->gates["/h/Downloads"] = &gate;
    auto* c = new SpaceController(home->backend());
    c->reload();
    QVERIFY(waitLoaded(*c));
    c->activate(0);
    QTRY_COMPARE(home->childCalls.load(), 1);
    delete c; // the user left the screen while its list was being measured
    gate.release();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
    QTest::qWait(50); // a late delivery to the deleted screen would crash here
}

void TestSpaceController::realHomeFolder()
{
    // The engine's own measurements over a home built for this test (CTest's HOME).
    const FilePath home = homeDir();
    QVERIFY(home.contains("test-homes"));
    const QString h = QString::fromUtf8(home);
    for (const char* folder : {"Downloads", "Documents", "Desktop", "Movies", "Music", "Pictures", "Library", "Applications"})
        QDir(h + '/' + folder).removeRecursively();
    auto writeFile = [](const QString& path, qint64 size) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'x'));
    };
    writeFile(h + "/Downloads/big.bin", 30000);
    writeFile(h + "/Downloads/Tool.app/Contents/MacOS/tool", 5000);
    writeFile(h + "/Downloads/.hidden", 7000);
    writeFile(h + "/Documents/letter.txt", 1000);
    writeFile(h + "/Music/empty.mp3", 0);

    SpaceBackend backend = SpaceBackend::system();
    QStringList reveals;
    backend.reveal = [&](const FilePath& p) { reveals << QString::fromUtf8(p); };
    SpaceController c(backend);
    c.reload();
    QVERIFY(waitLoaded(c));
    QVERIFY(c.diskTotal() > 0);
    QCOMPARE(names(c.entries()), QStringList({"Downloads", "Documents"}));
    QCOMPARE(c.entries()->entries().at(0).sizeInBytes, 42000); // hidden files count in sizes

    // A reload gives the rows new identities, so no row stays hovered.
    const auto idOf = [&](int row) {
        return c.entries()->data(c.entries()->index(row), int(SpaceEntriesModel::Role::entryId)).toString();
    };
    const QString id = idOf(0);
    QVERIFY(!QUuid::fromString(id).isNull());
    c.reload();
    QVERIFY(waitLoaded(c));
    QVERIFY(idOf(0) != id);

    c.activate(0);
    QVERIFY(waitLoaded(c));
    QCOMPARE(names(c.entries()), QStringList({"big.bin", "Tool.app"})); // hidden not listed
    c.activate(1);
    QVERIFY(waitLoaded(c));
    QCOMPARE(names(c.entries()), QStringList{"Contents"});
    c.back();
    QVERIFY(waitLoaded(c));
    c.activate(0);
    QCOMPARE(reveals, QStringList{h + "/Downloads/big.bin"});
    // A folder removed while shown: tst_space_ui drives that through the screen.
}

QTEST_MAIN(TestSpaceController)
#include "tst_space_controller.moc"
