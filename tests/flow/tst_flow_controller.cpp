#include "background_work.h"
#include "byte_format.h"
#include "catalogue.h"
#include "category_model.h"
#include "localization_manager.h"
#include "paths.h"
#include "section_flow_controller.h"
#include "test_home.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

using namespace orvane;

namespace {

CleanupFile file(const QString& name, qint64 size, bool selected, const FilePaths& extras = {},
                 const QList<qint64>& extraSizes = {})
{
    CleanupFile f;
    f.name = name;
    f.url = QByteArrayLiteral("/nowhere/") + name.toUtf8();
    f.sizeInBytes = size;
    f.isSelected = selected;
    f.extraURLs = extras;
    f.extraSizes = extraSizes;
    return f;
}

CleanupCategory category(const QString& name, QList<CleanupFile> files)
{
    CleanupCategory c;
    c.name = name;
    c.icon = QStringLiteral("shippingbox");
    c.files = std::move(files);
    return c;
}

// Services with a scan that returns `results` and a removal that records its input.
struct Fake {
    QList<CleanupCategory> results;
    QList<RemovalTarget> removed;
    RemovalStyle style = RemovalStyle::trash;
    std::function<QList<RemovalResult>(const QList<RemovalTarget>&)> outcome;
    DiskInfo disk{500'000'000'000, 123'400'000'000};

    FlowServices services()
    {
        FlowServices s;
        s.plan = [](const QString& id) { return planFor(id); };
        s.scan = [this](const CleanupPlan&, ScanProgress*) { return results; };
        s.disk = [this] { return disk; };
        s.remove = [this](const QList<RemovalTarget>& targets, RemovalStyle st) {
            removed = targets;
            style = st;
            if (outcome)
                return outcome(targets);
            QList<RemovalResult> all; // everything goes, as scanned
            for (const RemovalTarget& t : targets)
                all << RemovalResult{RemovalOutcome::removed, RemovalReason::none, t.scanSize, 0, forGoodBytes({t}, st) > 0};
            return all;
        };
        s.settleMs = 50;
        return s;
    }
};

QString idOf(const CleanupCategory& c)
{
    return c.id.toString(QUuid::WithoutBraces);
}

QString idOf(const CleanupFile& f)
{
    return f.id.toString(QUuid::WithoutBraces);
}

void writeFile(const QString& path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
}

} // namespace

class TestFlowController : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SectionFlowController> scanned(Fake& fake, const QString& section = QStringLiteral("smart"))
    {
        auto flow = std::make_unique<SectionFlowController>(section, fake.services());
        flow->startScan();
        [&] { QTRY_COMPARE(flow->scanState(), ScanState::results); }();
        return flow;
    }

private slots:
    void init()
    {
        LocalizationManager::shared().setLanguage(AppLanguage::en);
    }

    void startsIdleAndRoutesSections()
    {
        Fake fake;
        SectionFlowController flow(QStringLiteral("smart"), fake.services());
        QCOMPARE(flow.scanState(), ScanState::idle);
        QCOMPARE(flow.screen(), QStringLiteral("idle"));
        QCOMPARE(flow.removalStyle(), RemovalStyle::permanent);
        QCOMPARE(flow.freedBytes(), 0);
        QVERIFY(!flow.showDeleteConfirm());
        QVERIFY(flow.hoveredID().isEmpty());
        QVERIFY(!flow.hasDisk());
        QCOMPARE(flow.diskHeadline(), QStringLiteral("Calculating space…"));
        for (const char* id : {"space", "settings", "about"})
            QCOMPARE(SectionFlowController(QString::fromLatin1(id), fake.services()).screen(), QString::fromLatin1(id));
        SectionFlowController unknown(QStringLiteral("Smart"), fake.services());
        QCOMPARE(unknown.screen(), QStringLiteral("comingSoon"));
        // No plan: starting a scan changes nothing.
        QSignalSpy stateSpy(&unknown, &SectionFlowController::stateChanged);
        unknown.startScan();
        QCOMPARE(unknown.scanState(), ScanState::idle);
        QCOMPARE(stateSpy.count(), 0);
    }

    void fullCycleThroughEveryState()
    {
        Fake fake;
        fake.results = {category(QStringLiteral("Caches"), {file(QStringLiteral("a"), 300, true), file(QStringLiteral("b"), 200, false)}),
                        category(QStringLiteral("Logs"), {file(QStringLiteral("c"), 100, true)})};
        SectionFlowController flow(QStringLiteral("cleanup"), fake.services());
        QAbstractItemModelTester tester(flow.categories(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy states(&flow, &SectionFlowController::stateChanged);

        flow.startScan();
        QCOMPARE(flow.scanState(), ScanState::scanning);
        QCOMPARE(flow.categories()->count(), 0);
        flow.startScan(); // a second request while scanning is ignored
        QTRY_COMPARE(flow.scanState(), ScanState::results);
        QCOMPARE(flow.categories()->count(), 2);
        // Shown exactly as delivered.
        QCOMPARE(flow.categories()->categories()[0].name, QStringLiteral("Caches"));
        QCOMPARE(flow.categories()->categories()[1].name, QStringLiteral("Logs"));
        QCOMPARE(flow.selectedTotal(), 400);

        flow.performClean(); // honoured over results; the dialog path follows below
        QTRY_COMPARE(flow.scanState(), ScanState::done);
        flow.back();
        QCOMPARE(flow.scanState(), ScanState::idle);
        flow.startScan();
        QTRY_COMPARE(flow.scanState(), ScanState::results);

        flow.requestClean();
        QVERIFY(flow.showDeleteConfirm());
        flow.cancelClean();
        QVERIFY(!flow.showDeleteConfirm());
        QCOMPARE(flow.scanState(), ScanState::results);

        flow.requestClean();
        flow.performClean();
        QVERIFY(!flow.showDeleteConfirm());
        QCOMPARE(flow.scanState(), ScanState::cleaning);
        flow.back(); // not honoured while cleaning
        QCOMPARE(flow.scanState(), ScanState::cleaning);
        QTRY_COMPARE(flow.scanState(), ScanState::done);
        QCOMPARE(flow.screen(), QStringLiteral("done"));
        QCOMPARE(flow.freedBytes(), 400);
        QCOMPARE(flow.doneText(), QStringLiteral("You freed 400 bytes"));

        flow.back();
        QCOMPARE(flow.scanState(), ScanState::idle);
        // Back changes nothing else.
        QCOMPARE(flow.freedBytes(), 400);
        QCOMPARE(flow.categories()->count(), 1);

        // Analyze again goes straight to scanning with no old results in between.
        flow.startScan();
        QCOMPARE(flow.scanState(), ScanState::scanning);
        QCOMPARE(flow.categories()->count(), 0);
        QTRY_COMPARE(flow.scanState(), ScanState::results);
        QVERIFY(states.count() >= 10);
    }

    void cleaningWaitsAfterTheRemoval()
    {
        Fake fake;
        fake.results = {category(QStringLiteral("Caches"), {file(QStringLiteral("a"), 300, true)})};
        auto services = fake.services();
        services.settleMs = 400;
        SectionFlowController flow(QStringLiteral("smart"), services);
        flow.startScan();
        QTRY_COMPARE(flow.scanState(), ScanState::results);
        QElapsedTimer clock;
        clock.start();
        flow.performClean();
        QTRY_COMPARE(flow.scanState(), ScanState::done);
        QVERIFY(clock.elapsed() >= 400);
    }

    void selectionRules()
    {
        Fake fake;
        fake.results = {category(QStringLiteral("Mixed"), {file(QStringLiteral("a"), 10, true), file(QStringLiteral("b"), 20, false)}),
                        category(QStringLiteral("Empty"), {}),
                        category(QStringLiteral("None"), {file(QStringLiteral("c"), 5, false)})};
        auto flow = scanned(fake);
        const QList<CleanupCategory> cats = flow->categories()->categories();
        const QString mixed = idOf(cats[0]), empty = idOf(cats[1]), none = idOf(cats[2]);

        QCOMPARE(flow->checkState(mixed), QStringLiteral("minus.square.fill"));
        QCOMPARE(flow->checkState(empty), QStringLiteral("checkmark.square.fill"));
        QCOMPARE(flow->checkState(none), QStringLiteral("square"));
        QCOMPARE(flow->selectedTotal(), 10);

        // Some selected: select all; again: clear all.
        flow->toggleAll(mixed);
        QCOMPARE(flow->checkState(mixed), QStringLiteral("checkmark.square.fill"));
        QCOMPARE(flow->selectedTotal(), 30);
        flow->toggleAll(mixed);
        QCOMPARE(flow->checkState(mixed), QStringLiteral("square"));
        QCOMPARE(flow->selectedTotal(), 0);

        // A category without files counts as all selected and toggleAll leaves it so.
        QSignalSpy changed(flow->categories(), &QAbstractItemModel::dataChanged);
        flow->toggleAll(empty);
        QCOMPARE(flow->checkState(empty), QStringLiteral("checkmark.square.fill"));

        // Nothing selected: the dialog cannot open.
        flow->requestClean();
        QVERIFY(!flow->showDeleteConfirm());
        flow->setShowDeleteConfirm(true);
        QVERIFY(!flow->showDeleteConfirm());

        // Selecting one file of an unselected category makes it partial.
        flow->toggleFile(none, idOf(cats[2].files[0]));
        QCOMPARE(flow->checkState(none), QStringLiteral("checkmark.square.fill"));
        flow->toggleFile(mixed, idOf(cats[0].files[1]));
        QCOMPARE(flow->checkState(mixed), QStringLiteral("minus.square.fill"));
        QCOMPARE(flow->selectedTotal(), 25);
        flow->requestClean();
        QVERIFY(flow->showDeleteConfirm());

        // Unknown ids are ignored.
        flow->toggleFile(mixed, QStringLiteral("nope"));
        flow->toggleAll(QStringLiteral("nope"));
        QCOMPARE(flow->selectedTotal(), 25);

        // Expansion and hover.
        QVERIFY(!flow->categories()->categories()[0].isExpanded);
        flow->toggleExpanded(mixed);
        QVERIFY(flow->categories()->categories()[0].isExpanded);
        flow->toggleExpanded(mixed);
        QVERIFY(!flow->categories()->categories()[0].isExpanded);
        flow->hoverCategory(mixed);
        flow->hoverCategory(none); // entered the next card before leaving the first
        flow->unhoverCategory(mixed);
        QCOMPARE(flow->hoveredID(), none);
        flow->unhoverCategory(none);
        QVERIFY(flow->hoveredID().isEmpty());
    }

    // Long results: selection, tri-state and every total stay exact, and a category-wide toggle
    // sends one change notice, not one per row.
    void longListSelectionAndTotals_data()
    {
        QTest::addColumn<int>("groups");
        QTest::addColumn<int>("perGroup");
        QTest::newRow("20,000 cache entries") << 1 << 20000;
        QTest::newRow("3,000 duplicate groups") << 3000 << 2;
    }

    void longListSelectionAndTotals()
    {
        QFETCH(int, groups);
        QFETCH(int, perGroup);
        Fake fake;
        qint64 selected = 0, lastSelected = 0, lastTotal = 0;
        for (int g = 0; g < groups; ++g) {
            QList<CleanupFile> files;
            for (int i = 0; i < perGroup; ++i) {
                const int n = g * perGroup + i;
                files.append(file(QString::number(n), 1 + n % 1000, n % 3 != 1));
                selected += files.last().isSelected ? files.last().sizeInBytes : 0;
            }
            fake.results.append(category(QString::number(g), files));
        }
        for (const CleanupFile& f : std::as_const(fake.results.last().files)) {
            lastTotal += f.sizeInBytes;
            lastSelected += f.isSelected ? f.sizeInBytes : 0;
        }
        auto flow = scanned(fake, QStringLiteral("dup"));
        CategoryListModel* model = flow->categories();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const int last = groups - 1;
        FileListModel* files = model->filesAt(last);
        QAbstractItemModelTester fileTester(files, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString lastId = idOf(fake.results.last());
        auto lastRole = [&](CategoryListModel::Role role) { return model->data(model->index(last), int(role)); };
        QCOMPARE(flow->selectedTotal(), selected);
        QCOMPARE(lastRole(CategoryListModel::Role::totalSize).toLongLong(), lastTotal);
        QCOMPARE(lastRole(CategoryListModel::Role::fileCount).toInt(), perGroup);
        QCOMPARE(lastRole(CategoryListModel::Role::checkState).toString(), QStringLiteral("minus.square.fill"));

        QSignalSpy rowChanges(files, &QAbstractItemModel::dataChanged);
        flow->toggleAll(lastId);
        QCOMPARE(rowChanges.count(), 1);
        QCOMPARE(flow->selectedTotal(), selected - lastSelected + lastTotal);
        QCOMPARE(lastRole(CategoryListModel::Role::checkState).toString(), QStringLiteral("checkmark.square.fill"));
        const qint64 lastFileSize = fake.results.last().files.last().sizeInBytes;
        flow->toggleFile(lastId, idOf(fake.results.last().files.last()));
        QVERIFY(!files->data(files->index(perGroup - 1), int(FileListModel::Role::selected)).toBool());
        QCOMPARE(flow->selectedTotal(), selected - lastSelected + lastTotal - lastFileSize);
        QCOMPARE(lastRole(CategoryListModel::Role::selectedSize).toLongLong(), lastTotal - lastFileSize);
        flow->toggleAll(lastId);
        flow->toggleAll(lastId);
        QCOMPARE(lastRole(CategoryListModel::Role::checkState).toString(), QStringLiteral("square"));
        QCOMPARE(flow->selectedTotal(), selected - lastSelected);
        QCOMPARE(flow->selectedText(), QStringLiteral("Selected: ") + formatBytes(selected - lastSelected));
    }

    void removalListIsUrlThenExtras()
    {
        Fake fake;
        const FilePaths extras = {QByteArrayLiteral("/nowhere/extra1"), QByteArrayLiteral("/nowhere/extra2")};
        fake.results = {category(QStringLiteral("Apps"),
                                 {file(QStringLiteral("Editor.app"), 300, true, extras, {50, 25}),
                                  file(QStringLiteral("Other.app"), 100, false, {QByteArrayLiteral("/nowhere/extra3")}, {10}),
                                  file(QStringLiteral("Third.app"), 7, true)})};
        auto flow = scanned(fake, QStringLiteral("apps"));
        flow->requestClean();
        flow->performClean();
        QTRY_COMPARE(flow->scanState(), ScanState::done);
        QCOMPARE(fake.style, RemovalStyle::trash);
        QStringList paths;
        for (const RemovalTarget& t : fake.removed)
            paths << QString::fromUtf8(t.path);
        QCOMPARE(paths, (QStringList{"/nowhere/Editor.app", "/nowhere/extra1", "/nowhere/extra2", "/nowhere/Third.app"}));
    }

    void removalStyleResetsOnEveryScan()
    {
        Fake fake;
        fake.results = {category(QStringLiteral("Caches"), {file(QStringLiteral("a"), 1, true)})};
        auto flow = scanned(fake, QStringLiteral("dup"));
        QCOMPARE(flow->removalStyle(), RemovalStyle::trash);
        flow->setRemovalStyleName(QStringLiteral("permanent"));
        QCOMPARE(flow->removalStyle(), RemovalStyle::permanent);
        flow->setRemovalStyleName(QStringLiteral("Trash")); // not a style: ignored
        QCOMPARE(flow->removalStyle(), RemovalStyle::permanent);
        flow->startScan();
        QCOMPARE(flow->removalStyle(), RemovalStyle::trash);
        QTRY_COMPARE(flow->scanState(), ScanState::results);

        auto smart = scanned(fake, QStringLiteral("smart"));
        QCOMPARE(smart->removalStyle(), RemovalStyle::permanent);
        smart->setRemovalStyle(RemovalStyle::trash);
        smart->startScan();
        QCOMPARE(smart->removalStyle(), RemovalStyle::permanent);
    }

    // Items already in a Trash go for good whatever the style: the texts never say otherwise.
    void dialogTextsFollowTheStyle_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<qint64>("plain");   // bytes selected outside any Trash
        QTest::addColumn<qint64>("inTrash"); // bytes selected inside the Trash
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("done");
        QTest::newRow("trash") << "trash" << 1'500'000LL << 0LL << "Move to Trash?"
                               << "1.5 MB will be moved to the Trash. You can restore them from there."
                               << "Move to Trash" << "You moved 1.5 MB to the Trash";
        QTest::newRow("permanent") << "permanent" << 1'000'000LL << 500'000LL << "Delete permanently?"
                                   << "1.5 MB will be freed. This action cannot be undone." << "Delete"
                                   << "You freed 1.5 MB";
        QTest::newRow("trash, all in the Trash") << "trash" << 0LL << 1'500'000LL << "Delete permanently?"
                                                 << "1.5 MB will be freed. This action cannot be undone." << "Delete"
                                                 << "You freed 1.5 MB";
        QTest::newRow("trash, some in the Trash")
            << "trash" << 1'000'000LL << 500'000LL << "Move to Trash?"
            << "1 MB will be moved to the Trash; you can restore them from there. What is already in the Trash "
               "(500 KB) will be deleted for good."
            << "Move to Trash" << "You moved 1 MB to the Trash and freed 500 KB";
    }

    void dialogTextsFollowTheStyle()
    {
        QFETCH(QString, style);
        QFETCH(qint64, plain);
        QFETCH(qint64, inTrash);
        Fake fake;
        QList<CleanupFile> files;
        if (plain > 0)
            files << file(QStringLiteral("a"), plain, true);
        if (inTrash > 0) {
            files << file(QStringLiteral("b"), inTrash, true);
            files.last().url = qgetenv("XDG_DATA_HOME") + "/Trash/files/b";
        }
        fake.results = {category(QStringLiteral("Caches"), files)};
        auto flow = scanned(fake);
        flow->setRemovalStyleName(style);
        QCOMPARE(flow->primaryActionText(), style == u"trash" ? QStringLiteral("Move to Trash") : QStringLiteral("Delete"));
        flow->requestClean();
        QTEST(flow->dialogTitle(), "title");
        QTEST(flow->dialogMessage(), "message");
        QTEST(flow->dialogConfirmText(), "button");
        flow->performClean();
        QTRY_COMPARE(flow->scanState(), ScanState::done);
        QTEST(flow->doneText(), "done");
    }

    // Removed files and emptied categories leave the list; failed ones stay, uncounted; what went
    // of a folder partly removed counts, and it stays with what is left. The done screen says why.
    void failedRemovalsStayAndAreNotCounted()
    {
        Fake fake;
        const FilePaths extras = {QByteArrayLiteral("/nowhere/support"), QByteArrayLiteral("/nowhere/prefs")};
        fake.results = {category(QStringLiteral("Apps"),
                                 {file(QStringLiteral("Gone.app"), 100, true),
                                  file(QStringLiteral("Stuck.app"), 200, true),
                                  file(QStringLiteral("Half.app"), 370, true, extras, {50, 20})}),
                        category(QStringLiteral("All"), {file(QStringLiteral("a"), 10, true)}),
                        category(QStringLiteral("None"), {file(QStringLiteral("e"), 5, false)})};
        // Gone.app goes; Stuck.app stays; Half.app's bundle and first extra go, 5 bytes of its prefs
        // go and 15 stay.
        fake.outcome = [](const QList<RemovalTarget>& targets) {
            QList<RemovalResult> r;
            for (const RemovalTarget& t : targets) {
                if (t.path.endsWith("Stuck.app"))
                    r << RemovalResult{RemovalOutcome::notRemoved, RemovalReason::noPermission, 0, 0, false};
                else if (t.path.endsWith("prefs"))
                    r << RemovalResult{RemovalOutcome::partlyRemoved, RemovalReason::inUse, 5, 15, false};
                else
                    r << RemovalResult{RemovalOutcome::removed, RemovalReason::none, t.scanSize, 0, false};
            }
            return r;
        };
        auto flow = scanned(fake, QStringLiteral("apps"));
        QAbstractItemModelTester tester(flow->categories(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(flow->selectedTotal(), 680);
        flow->requestClean();
        QVERIFY(flow->dialogMessage().startsWith(QStringLiteral("680 bytes"))); // the selection, as confirmed
        flow->performClean();
        QTRY_COMPARE(flow->scanState(), ScanState::done);
        QCOMPARE(flow->freedBytes(), 100 + 300 + 50 + 10 + 5);
        QCOMPARE(flow->doneNotes(), (QStringList{QStringLiteral("Stuck.app: no permission"),
                                                 QStringLiteral("prefs: partly removed, 15 bytes stayed (in use)")}));
        const auto cats = flow->categories()->categories();
        QCOMPARE(cats.size(), 2);
        QCOMPARE(cats[1].name, QStringLiteral("None"));
        QCOMPARE(cats[1].files.size(), 1);
        const auto files = cats[0].files;
        QCOMPARE(files.size(), 2);
        QCOMPARE(files[0].name, QStringLiteral("Stuck.app"));
        QCOMPARE(files[0].sizeInBytes, 200);
        // What is left of Half.app: what stayed of its prefs.
        QCOMPARE(files[1].name, QStringLiteral("Half.app"));
        QCOMPARE(files[1].extraURLs, FilePaths{QByteArrayLiteral("/nowhere/prefs")});
        QCOMPARE(files[1].sizeInBytes, 15);
        QCOMPARE(files[1].ownSize(), 0);
    }

    void honestFigureWithTheRealEngine()
    {
        // A fixture in the test's own home: one file vanishes between scan and clean, one
        // location lies outside the home folder (refused), the rest goes to the Trash.
        const QString home = QDir::homePath();
        QVERIFY(testing::inOwnTestHome());
        const QString base = home + QStringLiteral("/honest");
        QDir(base).removeRecursively();
        writeFile(base + QStringLiteral("/keep.bin"), 1000);
        writeFile(base + QStringLiteral("/vanishes.bin"), 2000);
        writeFile(base + QStringLiteral("/goes.bin"), 3000);
        QTemporaryDir outside;
        QVERIFY(outside.isValid());
        writeFile(outside.filePath(QStringLiteral("outside.bin")), 4000);

        auto real = [](const QString& path, qint64 size) {
            CleanupFile f;
            f.name = QFileInfo(path).fileName();
            f.url = QFile::encodeName(path);
            f.sizeInBytes = size;
            f.isSelected = true;
            return f;
        };
        Fake fake;
        fake.results = {category(QStringLiteral("Fixture"),
                                 {real(base + QStringLiteral("/goes.bin"), 3000), real(base + QStringLiteral("/vanishes.bin"), 2000),
                                  real(outside.filePath(QStringLiteral("outside.bin")), 4000)})};
        fake.results[0].files.append(real(base + QStringLiteral("/keep.bin"), 1000));
        fake.results[0].files.last().isSelected = false;
        FlowServices services = fake.services();
        services.remove = FlowServices::engine().remove;
        SectionFlowController flow(QStringLiteral("apps"), services); // Trash by default
        flow.startScan();
        QTRY_COMPARE(flow.scanState(), ScanState::results);
        QVERIFY(QFile::remove(base + QStringLiteral("/vanishes.bin")));
        flow.requestClean();
        flow.performClean();
        QTRY_COMPARE_WITH_TIMEOUT(flow.scanState(), ScanState::done, 10000);

        QCOMPARE(flow.freedBytes(), 3000);
        QVERIFY(!QFile::exists(base + QStringLiteral("/goes.bin")));
        QVERIFY(QFile::exists(outside.filePath(QStringLiteral("outside.bin"))));
        QVERIFY(QFile::exists(base + QStringLiteral("/keep.bin")));
        const QString trash = qEnvironmentVariable("XDG_DATA_HOME", home + QStringLiteral("/.local/share")) + QStringLiteral("/Trash/files");
        QVERIFY(QFile::exists(trash + QStringLiteral("/goes.bin")));
        QStringList left;
        for (const CleanupFile& f : flow.categories()->categories().value(0).files)
            left << f.name;
        QCOMPARE(left, (QStringList{"vanishes.bin", "outside.bin", "keep.bin"}));
    }

    void languageSwitchWhileResultsAreShown()
    {
        Fake fake;
        fake.results = {category(QStringLiteral("Apps"), {file(QStringLiteral("Editor.app"), 1'500'000, true,
                                                               {QByteArrayLiteral("/nowhere/x")}, {10}),
                                                          file(QStringLiteral("b"), 2'000, false)})};
        auto flow = scanned(fake, QStringLiteral("apps"));
        CategoryListModel* model = flow->categories();
        FileListModel* files = model->filesAt(0);
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        auto role = [](QAbstractItemModel* m, int row, auto r) { return m->data(m->index(row, 0), int(r)).toString(); };
        QCOMPARE(role(model, 0, CategoryListModel::Role::elementsText), QStringLiteral("2 items"));
        QCOMPARE(role(model, 0, CategoryListModel::Role::totalSizeText), QStringLiteral("1.5 MB"));
        QCOMPARE(role(files, 0, FileListModel::Role::leftoversText), QStringLiteral("· 1 leftovers"));
        QCOMPARE(role(files, 1, FileListModel::Role::leftoversText), QString());
        QCOMPARE(flow->selectedText(), QStringLiteral("Selected: 1.5 MB"));
        QCOMPARE(flow->planTitle(), QStringLiteral("Applications"));
        const QString expandedId = idOf(model->categories()[0]);
        flow->toggleExpanded(expandedId);

        QSignalSpy catChanged(model, &QAbstractItemModel::dataChanged);
        QSignalSpy fileChanged(files, &QAbstractItemModel::dataChanged);
        QSignalSpy texts(flow.get(), &SectionFlowController::textsChanged);
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QVERIFY(catChanged.count() >= 1);
        QVERIFY(fileChanged.count() >= 1);
        QVERIFY(texts.count() >= 1);
        QCOMPARE(role(model, 0, CategoryListModel::Role::elementsText), QStringLiteral("2 elementos"));
        QCOMPARE(role(model, 0, CategoryListModel::Role::totalSizeText), QStringLiteral("1,5 MB"));
        QCOMPARE(role(files, 0, FileListModel::Role::leftoversText), QStringLiteral("· 1 restos"));
        QCOMPARE(flow->selectedText(), QStringLiteral("Seleccionado: 1,5 MB"));
        QCOMPARE(flow->planTitle(), QStringLiteral("Aplicaciones"));
        QCOMPARE(flow->removalStyleLabels(), (QStringList{"Papelera", "Permanente"}));
        // Results, selection and expansion survive the switch.
        QCOMPARE(flow->scanState(), ScanState::results);
        QCOMPARE(flow->selectedTotal(), 1'500'000);
        QVERIFY(model->categories()[0].isExpanded);
    }

    void diskCaptionAndRing()
    {
        Fake fake;
        SectionFlowController flow(QStringLiteral("smart"), fake.services());
        flow.refreshDisk();
        QCOMPARE(flow.ringFill(), 0.0);
        QCOMPARE(flow.diskHeadline(), QStringLiteral("75% in use"));
        QCOMPARE(flow.diskDetail(), QStringLiteral("123.4 GB free of 500 GB"));
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(flow.ringFill() - 0.7532) < 1e-9, 3000);

        // A volume reporting no capacity: 0 % and an empty ring.
        fake.disk = DiskInfo{0, 0};
        flow.refreshDisk();
        QCOMPARE(flow.diskHeadline(), QStringLiteral("0% in use"));
        QTRY_COMPARE_WITH_TIMEOUT(flow.ringFill(), 0.0, 3000);
        QCOMPARE(percentInUse(DiskInfo{1000, 1}), 99);
    }

    // A scan stops when it is cancelled, by the Cancel button or by leaving the section: its
    // worker winds down and nothing of it is shown. Meanwhile the scanning texts follow its counters.
    void stoppingAScan_data()
    {
        QTest::addColumn<bool>("leave");
        QTest::newRow("cancel") << false;
        QTest::newRow("leave the section") << true;
    }

    void stoppingAScan()
    {
        QFETCH(bool, leave);
        std::atomic<bool> stopped = false;
        FlowServices services = Fake().services();
        services.scan = [&](const CleanupPlan&, ScanProgress* progress) {
            progress->source = 0;
            while (!progress->cancelled()) {
                progress->filesSeen += 1000;
                QThread::msleep(2);
            }
            stopped = true;
            return QList<CleanupCategory>{category(QStringLiteral("late"), {file(QStringLiteral("x"), 1, true)})};
        };
        auto flow = std::make_unique<SectionFlowController>(QStringLiteral("smart"), services);
        flow->startScan();
        QTRY_VERIFY(flow->scanCountsText().endsWith(QStringLiteral("files seen")));
        QCOMPARE(flow->scanSourceText(), QStringLiteral("Looking at: ") + planFor(QStringLiteral("smart"))->sources[0].name);
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QVERIFY(flow->scanCountsText().endsWith(QStringLiteral("archivos vistos")));
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        if (leave)
            flow.reset();
        else
            flow->cancelScan();
        QTRY_VERIFY(stopped.load());
        QTRY_COMPARE(background::running(background::Kind::scan), 0);
        QCoreApplication::processEvents(); // the worker's late answer is dropped
        if (!leave) {
            QCOMPARE(flow->screen(), QStringLiteral("idle"));
            QVERIFY(flow->scanCountsText().isEmpty());
            QCOMPARE(flow->categories()->count(), 0);
        }
    }

    void leavingDuringCleaningStillRemoves()
    {
        QSemaphore release;
        std::atomic<int> removedCount = 0;
        Fake fake;
        fake.results = {category(QStringLiteral("Caches"), {file(QStringLiteral("a"), 1, true), file(QStringLiteral("b"), 1, true)})};
        FlowServices services = fake.services();
        services.remove = [&](const QList<RemovalTarget>& targets, RemovalStyle) {
            release.acquire();
            removedCount = int(targets.size());
            return QList<RemovalResult>(targets.size());
        };
        auto flow = std::make_unique<SectionFlowController>(QStringLiteral("smart"), services);
        flow->startScan();
        QTRY_COMPARE(flow->scanState(), ScanState::results);
        flow->requestClean();
        flow->performClean();
        flow.reset();
        // However this test ends, the worker must not stay blocked (the pool waits for it on exit).
        const auto unblock = qScopeGuard([&] { if (release.available() == 0 && removedCount == 0) release.release(); });
        QTRY_COMPARE(background::running(background::Kind::removal), 1);
        release.release();
        background::waitForRemovals();
        QCOMPARE(removedCount.load(), 2);
    }
};

QTEST_GUILESS_MAIN(TestFlowController)
#include "tst_flow_controller.moc"
