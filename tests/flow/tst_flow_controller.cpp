#include "background_work.h"
#include "byte_format.h"
#include "catalogue.h"
#include "category_model.h"
#include "localization_manager.h"
#include "paths.h"
#include "section_flow_controller.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

CleanupFile file(const QString& name, qint64 size, bool selected, const FilePaths& extras = {},
                 const QList<qint64>& extraSizes = {})
{
    CleanupFile f;
    f.name = name;
    f.url = name.startsWith(u'/') ? QFile::encodeName(name) : "/nowhere/" + name.toUtf8();
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
    c.icon = u"shippingbox"_s;
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
    FilePaths kept;
    bool keepFails = false;

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
        s.keep = [this](const FilePath& path) {
            if (!keepFails)
                kept << path;
            return !keepFails;
        };
        return s;
    }
};

template<typename Item> // a category or a file
QString idOf(const Item& item)
{
    return item.id.toString(QUuid::WithoutBraces);
}

// The cleaning screen's part: once the removal has answered, it settles the flow on the done screen.
void settle(SectionFlowController& flow, int timeoutMs = 5000)
{
    QTRY_VERIFY_WITH_TIMEOUT(flow.removalDone(), timeoutMs);
    flow.settle();
    QCOMPARE(flow.scanState(), ScanState::done);
}

// The state of category `row`'s box.
Qt::CheckState box(SectionFlowController& flow, int row)
{
    CategoryListModel* model = flow.categories();
    return Qt::CheckState(model->data(model->index(row), int(CategoryListModel::Role::checkState)).toInt());
}

} // namespace

class TestFlowController : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SectionFlowController> scanned(Fake& fake, const QString& section = u"smart"_s)
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

    // Sections without a plan never scan.
    void sectionsWithoutAPlan()
    {
        Fake fake;
        SectionFlowController unknown(u"Smart"_s, fake.services());
        QVERIFY(!unknown.hasPlan());
        QSignalSpy stateSpy(&unknown, &SectionFlowController::stateChanged);
        unknown.startScan();
        QCOMPARE(unknown.scanState(), ScanState::idle);
        QCOMPARE(stateSpy.count(), 0);
    }

    // Idle → scanning → results → (dialog) → cleaning → done → idle, twice; what each state
    // honours, the style each scan starts with, and the wait on the cleaning screen.
    void fullCycleThroughEveryState()
    {
        Fake fake;
        fake.results = {category(u"Caches"_s, {file(u"a"_s, 300, true), file(u"b"_s, 200, false)}),
                        category(u"Logs"_s, {file(u"c"_s, 100, true)})};
        SectionFlowController flow(u"cleanup"_s, fake.services());
        QAbstractItemModelTester tester(flow.categories(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(flow.stateName(), u"idle"_s);
        QCOMPARE(flow.diskHeadline(), u"Calculating space…"_s);

        flow.startScan();
        QCOMPARE(flow.scanState(), ScanState::scanning);
        flow.startScan(); // a second request while scanning is ignored
        QTRY_COMPARE(flow.scanState(), ScanState::results);
        QCOMPARE(flow.categories()->count(), 2);
        QCOMPARE(flow.selectedTotal(), 400);
        flow.performClean(); // honoured over results; the dialog path follows below
        settle(flow);
        flow.back();
        QCOMPARE(flow.scanState(), ScanState::idle);

        // Each scan starts with the plan's style, whatever was chosen before; a name that is not a
        // style is ignored.
        flow.setRemovalStyleName(u"trash"_s);
        flow.setRemovalStyleName(u"Permanent"_s);
        QCOMPARE(flow.removalStyle(), RemovalStyle::trash);
        flow.startScan();
        QCOMPARE(flow.removalStyle(), RemovalStyle::permanent);
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
        // The cleaning screen stays until it settles, however early the removal answered.
        QTRY_VERIFY(flow.removalDone());
        QCOMPARE(flow.scanState(), ScanState::cleaning);
        settle(flow);
        flow.settle(); // once only
        QCOMPARE(flow.scanState(), ScanState::done);
        QVERIFY(!flow.removalDone());
        QCOMPARE(fake.style, RemovalStyle::permanent);
        QCOMPARE(flow.doneText(), u"You freed 400 bytes"_s);

        flow.back();
        QCOMPARE(flow.scanState(), ScanState::idle);
        QCOMPARE(flow.doneText(), u"You freed 400 bytes"_s); // back changes nothing else
        QCOMPARE(flow.categories()->count(), 1);
        // Analyze again goes straight to scanning with no old results in between.
        flow.startScan();
        QCOMPARE(flow.scanState(), ScanState::scanning);
        QCOMPARE(flow.categories()->count(), 0);
        QTRY_COMPARE(flow.scanState(), ScanState::results);
    }

    void selectionRules()
    {
        Fake fake;
        fake.results = {category(u"Mixed"_s, {file(u"a"_s, 10, true), file(u"b"_s, 20, false)}),
                        category(u"Empty"_s, {}), category(u"None"_s, {file(u"c"_s, 5, false)})};
        auto flow = scanned(fake);
        const QList<CleanupCategory> cats = flow->categories()->categories();
        const QString mixed = idOf(cats[0]), empty = idOf(cats[1]), none = idOf(cats[2]);

        // A category without files counts as all selected, and toggling all leaves it so.
        flow->toggleAll(empty);
        QCOMPARE(box(*flow, 1), Qt::Checked);
        QCOMPARE(box(*flow, 2), Qt::Unchecked);
        // Some selected: select all; again: clear all.
        flow->toggleAll(mixed);
        QCOMPARE(flow->selectedTotal(), 30);
        flow->toggleAll(mixed);
        QCOMPARE(box(*flow, 0), Qt::Unchecked);
        QCOMPARE(flow->selectedTotal(), 0);
        // Nothing selected: the dialog cannot open.
        flow->requestClean();
        QVERIFY(!flow->showDeleteConfirm());
        flow->setShowDeleteConfirm(true);
        QVERIFY(!flow->showDeleteConfirm());

        flow->toggleFile(none, idOf(cats[2].files[0]));
        QCOMPARE(box(*flow, 2), Qt::Checked);
        flow->toggleFile(mixed, idOf(cats[0].files[1]));
        QCOMPARE(box(*flow, 0), Qt::PartiallyChecked);
        QCOMPARE(flow->selectedTotal(), 25);
        flow->requestClean();
        QVERIFY(flow->showDeleteConfirm());
        // Unknown ids are ignored.
        flow->toggleFile(mixed, u"nope"_s);
        flow->toggleAll(u"nope"_s);
        QCOMPARE(flow->selectedTotal(), 25);

        flow->toggleExpanded(mixed);
        QVERIFY(flow->categories()->categories()[0].isExpanded);
        flow->toggleExpanded(mixed);
        QVERIFY(!flow->categories()->categories()[0].isExpanded);

        // "Never offer this": the file goes on the keep-list and leaves the results with its share
        // of the totals (an emptied category with it); one the list could not take stays offered.
        fake.keepFails = true;
        flow->keepFile(none, idOf(cats[2].files[0]));
        QCOMPARE(flow->categories()->count(), 3);
        fake.keepFails = false;
        flow->keepFile(none, u"nope"_s);
        flow->keepFile(none, idOf(cats[2].files[0]));
        QCOMPARE(fake.kept, FilePaths{"/nowhere/c"});
        QCOMPARE(flow->categories()->count(), 2);
        QCOMPARE(flow->selectedTotal(), 20);
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
        auto flow = scanned(fake, u"dup"_s);
        CategoryListModel* model = flow->categories();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const int last = groups - 1;
        ResultRowsModel* rows = model->rows();
        QAbstractItemModelTester rowTester(rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString lastId = idOf(fake.results.last());
        // Opening and closing a card inserts and removes its rows in the one list, never resets it.
        QSignalSpy resets(rows, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(rows, &QAbstractItemModel::rowsInserted);
        flow->toggleExpanded(idOf(fake.results.first()));
        flow->toggleExpanded(lastId);
        flow->toggleExpanded(idOf(fake.results.first()));
        QCOMPARE(rows->rowCount(), groups + perGroup);
        QCOMPARE(rows->rowAt(last, -1), last);
        QCOMPARE(rows->rowAt(last, perGroup - 1), rows->rowCount() - 1);
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(resets.count(), 0);
        const auto fileRole = [&](int file, ResultRowsModel::Role role) {
            return rows->data(rows->index(rows->rowAt(last, file)), int(role));
        };
        QCOMPARE(fileRole(perGroup - 1, ResultRowsModel::Role::fileId).toString(),
                 idOf(fake.results.last().files.last()));
        QVERIFY(fileRole(perGroup - 1, ResultRowsModel::Role::cardEnd).toBool());
        QVERIFY(!fileRole(-1, ResultRowsModel::Role::cardEnd).toBool());
        auto lastRole = [&](CategoryListModel::Role role) { return model->data(model->index(last), int(role)); };
        QCOMPARE(flow->selectedTotal(), selected);
        QCOMPARE(lastRole(CategoryListModel::Role::totalSize).toLongLong(), lastTotal);
        QCOMPARE(lastRole(CategoryListModel::Role::fileCount).toInt(), perGroup);
        QCOMPARE(box(*flow, last), Qt::PartiallyChecked);

        QSignalSpy rowChanges(rows, &QAbstractItemModel::dataChanged);
        flow->toggleAll(lastId);
        QCOMPARE(rowChanges.count(), 2); // the files' boxes in one notice, and their header's
        QCOMPARE(Qt::CheckState(fileRole(-1, ResultRowsModel::Role::checkState).toInt()), Qt::Checked);
        QCOMPARE(flow->selectedTotal(), selected - lastSelected + lastTotal);
        QCOMPARE(box(*flow, last), Qt::Checked);
        const qint64 lastFileSize = fake.results.last().files.last().sizeInBytes;
        flow->toggleFile(lastId, idOf(fake.results.last().files.last()));
        QVERIFY(!fileRole(perGroup - 1, ResultRowsModel::Role::selected).toBool());
        QCOMPARE(flow->selectedTotal(), selected - lastSelected + lastTotal - lastFileSize);
        QCOMPARE(lastRole(CategoryListModel::Role::selectedSize).toLongLong(), lastTotal - lastFileSize);
        flow->toggleAll(lastId);
        flow->toggleAll(lastId);
        QCOMPARE(box(*flow, last), Qt::Unchecked);
        QCOMPARE(flow->selectedTotal(), selected - lastSelected);
        QCOMPARE(flow->selectedText(), u"Selected: "_s + formatBytes(selected - lastSelected));
    }

    // A duplicate group never loses its last copy: its box selects every copy but the first (and
    // shows full when they are), and with every copy ticked by hand the first stays, uncounted,
    // as the confirmation and the done screen say. Two groups of three 100-byte copies, the first
    // unselected as scanned; each step toggles a group's box ("g1") or one copy ("g1c0").
    void duplicateGroupsKeepACopy_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<Qt::CheckState>("box"); // of the first group
        QTest::addColumn<qint64>("selected");
        QTest::addColumn<QString>("note"); // the confirmation's line about kept copies
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("doneNotes");
        const Qt::CheckState full = Qt::Checked;
        const QStringList standard{"a2.bin", "a3.bin", "b2.bin", "b3.bin"};
        QTest::newRow("as scanned") << QStringList{} << full << 400LL << "" << standard << QStringList{};
        QTest::newRow("box clears") << QStringList{"g0"} << Qt::Unchecked << 200LL << "" << QStringList{"b2.bin", "b3.bin"}
                                    << QStringList{};
        QTest::newRow("box again: all but the first") << QStringList{"g0", "g0"} << full << 400LL << "" << standard
                                                      << QStringList{};
        QTest::newRow("box after the first was ticked")
            << QStringList{"g0c0", "g0c1", "g0"} << full << 400LL << "" << standard << QStringList{};
        QTest::newRow("every copy by hand")
            << QStringList{"g0c0"} << full << 400LL << "Every copy of “a1.bin” is selected: the one in ~/dups/a stays."
            << standard << QStringList{"a1.bin in ~/dups/a: kept, the last copy of its group"};
        QTest::newRow("every copy of two groups")
            << QStringList{"g0c0", "g1c0"} << full << 400LL
            << "Every copy of 2 duplicate groups is selected: the first copy of each stays." << standard
            << QStringList{"a1.bin in ~/dups/a: kept, the last copy of its group",
                           "b1.bin in ~/dups/b: kept, the last copy of its group"};
    }

    void duplicateGroupsKeepACopy()
    {
        QFETCH(QStringList, steps);
        QFETCH(qint64, selected);
        Fake fake;
        for (const QString& group : {u"a"_s, u"b"_s}) {
            QList<CleanupFile> copies;
            for (int i = 1; i <= 3; ++i) {
                const QString path = QDir::homePath() + u"/dups/%1/%1%2.bin"_s.arg(group).arg(i);
                copies << file(path, 100, i > 1);
                copies.last().name = QFileInfo(path).fileName();
                copies.last().stamp = FileStamp{100, 0, 1, quint64(i)};
            }
            fake.results << category(group + u"1.bin"_s, copies);
        }
        auto flow = scanned(fake, u"dup"_s);
        const QList<CleanupCategory> cats = flow->categories()->categories();
        for (const QString& step : std::as_const(steps)) {
            const CleanupCategory& c = cats[step.mid(1, 1).toInt()];
            if (step.size() == 2)
                flow->toggleAll(idOf(c));
            else
                flow->toggleFile(idOf(c), idOf(c.files[step.mid(3).toInt()]));
        }
        QTEST(box(*flow, 0), "box");
        QCOMPARE(flow->selectedTotal(), selected);
        QCOMPARE(flow->categories()->data(flow->categories()->index(0), int(CategoryListModel::Role::selectedSize)).toLongLong()
                     + flow->categories()->data(flow->categories()->index(1), int(CategoryListModel::Role::selectedSize)).toLongLong(),
                 selected);
        flow->requestClean();
        QVERIFY(flow->dialogMessage().startsWith(formatBytes(selected) + u" will be moved to the Trash"_s));
        QTEST(flow->dialogMessage().section(u"\n\n"_s, 1), "note");
        flow->performClean();
        settle(*flow);
        QStringList removed;
        for (const RemovalTarget& t : std::as_const(fake.removed))
            removed << QString::fromUtf8(lastComponent(t.path));
        QTEST(removed, "removed");
        QCOMPARE(flow->doneText(), u"You moved "_s + formatBytes(selected) + u" to the Trash"_s);
        QTEST(flow->doneNotes(), "doneNotes");
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
            files << file(u"a"_s, plain, true);
        if (inTrash > 0)
            files << file(qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash/files/b"_s, inTrash, true);
        fake.results = {category(u"Caches"_s, files)};
        auto flow = scanned(fake);
        flow->setRemovalStyleName(style);
        QCOMPARE(flow->primaryActionText(), style == u"trash" ? u"Move to Trash"_s : u"Delete"_s);
        flow->requestClean();
        QTEST(flow->dialogTitle(), "title");
        QTEST(flow->dialogMessage(), "message");
        QTEST(flow->dialogConfirmText(), "button");
        flow->performClean();
        settle(*flow);
        QTEST(flow->doneText(), "done");
    }

    // What is selected goes, each file then its extra locations; unselected files stay out.
    // Removed files and emptied categories leave the list; failed ones stay, uncounted; what went
    // of a folder partly removed counts, and it stays with what is left. The done screen says why.
    void removalOutcomes()
    {
        Fake fake;
        const FilePaths extras = {"/nowhere/support", "/nowhere/prefs"};
        fake.results = {category(u"Apps"_s, {file(u"Gone.app"_s, 100, true), file(u"Stuck.app"_s, 200, true),
                                             file(u"Half.app"_s, 370, true, extras, {50, 20})}),
                        category(u"All"_s, {file(u"a"_s, 10, true)}),
                        category(u"None"_s, {file(u"Other.app"_s, 15, false, {"/nowhere/other"}, {10})})};
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
        auto flow = scanned(fake, u"apps"_s);
        QAbstractItemModelTester tester(flow->categories(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(flow->selectedTotal(), 680);
        flow->requestClean();
        QVERIFY(flow->dialogMessage().startsWith(u"680 bytes"_s)); // the selection, as confirmed
        flow->performClean();
        settle(*flow);
        QCOMPARE(fake.style, RemovalStyle::trash); // the plan's style
        QStringList paths;
        for (const RemovalTarget& t : fake.removed)
            paths << QString::fromUtf8(t.path);
        QCOMPARE(paths, (QStringList{"/nowhere/Gone.app", "/nowhere/Stuck.app", "/nowhere/Half.app", "/nowhere/support",
                                     "/nowhere/prefs", "/nowhere/a"}));
        QCOMPARE(flow->doneText(), u"You moved 465 bytes to the Trash"_s);
        QCOMPARE(flow->doneNotes(), (QStringList{u"Stuck.app: no permission"_s,
                                                 u"prefs: partly removed, 15 bytes stayed (in use)"_s}));
        const auto cats = flow->categories()->categories();
        QCOMPARE(cats.size(), 2);
        QCOMPARE(cats[1].name, u"None"_s);
        QCOMPARE(cats[1].files.size(), 1);
        const auto files = cats[0].files;
        QCOMPARE(files.size(), 2);
        QCOMPARE(files[0].name, u"Stuck.app"_s);
        QCOMPARE(files[0].sizeInBytes, 200);
        // What is left of Half.app: what stayed of its prefs.
        QCOMPARE(files[1].name, u"Half.app"_s);
        QCOMPARE(files[1].extraURLs, FilePaths{"/nowhere/prefs"});
        QCOMPARE(files[1].sizeInBytes, 15);
        QCOMPARE(files[1].ownSize(), 0);

        // Past three lines the done screen says "and N more"; the full list has every line.
        fake.results = {category(u"Apps"_s, {file(u"A"_s, 1, true), file(u"B"_s, 1, true), file(u"C"_s, 1, true),
                                             file(u"D"_s, 1, true), file(u"E"_s, 1, true)})};
        fake.outcome = [](const QList<RemovalTarget>& targets) {
            return QList<RemovalResult>(targets.size(), {RemovalOutcome::notRemoved, RemovalReason::immutable, 0, 0, false});
        };
        auto many = scanned(fake, u"apps"_s);
        many->requestClean();
        many->performClean();
        settle(*many);
        const QString locked = u": it is locked (immutable)"_s;
        QCOMPARE(many->doneNotes(), (QStringList{"A" + locked, "B" + locked, "C" + locked, u"and 2 more"_s}));
        QCOMPARE(many->doneAllNotes(), (QStringList{"A" + locked, "B" + locked, "C" + locked, "D" + locked, "E" + locked}));
    }

    // Rows say where each item lives ("~" for the home) wherever a category's items lie in
    // more than one folder or are duplicate copies, screen readers hear it, and any row's item
    // can be shown in the file manager. Counts read "1 item", "2 items".
    void rowsSayWhereEachItemLives_data()
    {
        QTest::addColumn<QStringList>("paths"); // inside the home unless absolute
        QTest::addColumn<bool>("copies");
        QTest::addColumn<bool>("showsFolders");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("elements");
        QTest::newRow("large files from two folders") << QStringList{"Videos/trip.mkv", "Documents/disk.iso"} << false
                                                      << true << u"~/Videos"_s << u"2 items"_s;
        QTest::newRow("duplicate copies in one folder") << QStringList{"a/invoice.pdf", "a/invoice (1).pdf"} << true
                                                        << true << u"~/a"_s << u"2 items"_s;
        QTest::newRow("one folder") << QStringList{"/nowhere/x", "/nowhere/y"} << false << false << u"/nowhere"_s
                                    << u"2 items"_s;
        QTest::newRow("the home itself, one item") << QStringList{"notes.txt"} << false << false << u"~"_s
                                                   << u"1 item"_s;
    }
    void rowsSayWhereEachItemLives()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, copies);
        const QString home = QFile::decodeName(homeDir());
        QList<CleanupFile> files;
        for (const QString& path : std::as_const(paths)) {
            files.append(file(path.startsWith(u'/') ? path : home + u'/' + path, 1000, true));
            if (copies)
                files.last().stamp = FileStamp{1000, 1, 1, quint64(files.size())};
        }
        Fake fake;
        fake.results = {category(u"Found"_s, files)};
        FilePaths revealed;
        FlowServices services = fake.services();
        services.reveal = [&](const FilePath& path) { revealed.append(path); };
        SectionFlowController flow(u"smart"_s, services);
        flow.startScan();
        QTRY_COMPARE(flow.scanState(), ScanState::results);
        CategoryListModel* model = flow.categories();
        ResultRowsModel* rows = model->rows();
        flow.toggleExpanded(idOf(model->categories()[0]));
        const auto role = [](QAbstractItemModel* m, auto r, int row = 0) { return m->data(m->index(row, 0), int(r)); };
        QTEST(role(model, CategoryListModel::Role::showsFolders).toBool(), "showsFolders");
        QTEST(role(rows, ResultRowsModel::Role::folder, 1).toString(), "folder");
        QTEST(role(model, CategoryListModel::Role::elementsText).toString(), "elements");
        QFETCH(QString, folder);
        QCOMPARE(role(rows, ResultRowsModel::Role::accessibleName, 1).toString(),
                 files[0].name + u", "_s + folder + u", "_s + formatBytes(1000));
        QVERIFY(model->describeAt(0, -1).endsWith(u", selected"_s));
        flow.revealFile(idOf(model->categories()[0]), idOf(model->categories()[0].files[0]));
        QCOMPARE(revealed, FilePaths{files[0].url});
        flow.revealFile(idOf(model->categories()[0]), u"nope"_s);
        QCOMPARE(revealed.size(), 1);
    }

    void languageSwitchWhileResultsAreShown()
    {
        Fake fake;
        fake.results = {category(u"Apps"_s, {file(u"Editor.app"_s, 1'500'000, true, {"/nowhere/x"}, {10}),
                                             file(u"b"_s, 2'000, false)})};
        auto flow = scanned(fake, u"apps"_s);
        CategoryListModel* model = flow->categories();
        ResultRowsModel* files = model->rows();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        flow->toggleExpanded(idOf(model->categories()[0]));
        auto role = [](QAbstractItemModel* m, int row, auto r) { return m->data(m->index(row, 0), int(r)).toString(); };
        QCOMPARE(role(model, 0, CategoryListModel::Role::elementsText), u"2 items"_s);
        QCOMPARE(role(files, 1, ResultRowsModel::Role::leftoversText), u"· 1 leftovers"_s);
        // The row names what goes with the app, not only how many.
        QCOMPARE(role(files, 1, ResultRowsModel::Role::leftoversList), u"Leftovers removed with the app:\n/nowhere/x"_s);

        QSignalSpy catChanged(model, &QAbstractItemModel::dataChanged);
        QSignalSpy fileChanged(files, &QAbstractItemModel::dataChanged);
        QSignalSpy texts(flow.get(), &SectionFlowController::textsChanged);
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QVERIFY(catChanged.count() >= 1 && fileChanged.count() >= 1 && texts.count() >= 1);
        QCOMPARE(role(model, 0, CategoryListModel::Role::elementsText), u"2 elementos"_s);
        QCOMPARE(role(files, 1, ResultRowsModel::Role::leftoversText), u"· 1 restos"_s);
        QCOMPARE(flow->selectedText(), u"Seleccionado: 1,5 MB"_s);
        QCOMPARE(flow->planTitle(), u"Aplicaciones"_s); // the plan is made again in the new language
        // Results, selection and expansion survive the switch.
        QCOMPARE(flow->scanState(), ScanState::results);
        QCOMPARE(flow->selectedTotal(), 1'500'000);
        QVERIFY(model->categories()[0].isExpanded);
    }

    void diskCaptionAndRing()
    {
        Fake fake;
        SectionFlowController flow(u"smart"_s, fake.services());
        flow.refreshDisk();
        QCOMPARE(flow.diskHeadline(), u"75% in use"_s);
        QCOMPARE(flow.diskDetail(), u"123.4 GB free of 500 GB"_s);
        QVERIFY(qAbs(flow.usedFraction() - 0.7532) < 1e-9);
        // A volume reporting no capacity: 0 % and an empty ring.
        fake.disk = DiskInfo{0, 0};
        flow.refreshDisk();
        QCOMPARE(flow.diskHeadline(), u"0% in use"_s);
        QCOMPARE(flow.usedFraction(), 0.0);
        fake.disk = DiskInfo{1000, 1};
        flow.refreshDisk();
        QCOMPARE(flow.diskHeadline(), u"99% in use"_s); // truncated, not rounded
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
            return QList<CleanupCategory>{category(u"late"_s, {file(u"x"_s, 1, true)})};
        };
        auto flow = std::make_unique<SectionFlowController>(u"smart"_s, services);
        flow->startScan();
        QTRY_VERIFY(flow->scanCountsText().endsWith(u"files seen"_s));
        QCOMPARE(flow->scanSourceText(), u"Looking at: "_s + planFor(u"smart"_s)->sources[0].name);
        if (leave)
            flow.reset();
        else
            flow->cancelScan();
        QTRY_VERIFY(stopped.load());
        QTRY_COMPARE(background::running(background::Kind::scan), 0);
        QCoreApplication::processEvents(); // the worker's late answer is dropped
        if (!leave) {
            QCOMPARE(flow->scanState(), ScanState::idle);
            QVERIFY(flow->scanCountsText().isEmpty());
            QCOMPARE(flow->categories()->count(), 0);
        }
    }

    // Workers that never return (stuck in the kernel on a dead mount) do not hold the next scan:
    // each Cancel returns at once, and a scan started after two stuck ones still finishes.
    void stuckScansNeverBlockTheNext()
    {
        std::atomic<int> calls = 0;
        std::atomic<bool> release = false;
        FlowServices services = Fake().services();
        services.scan = [&](const CleanupPlan&, ScanProgress*) {
            if (calls++ < 2)
                while (!release.load()) // deaf to cancellation
                    QThread::yieldCurrentThread();
            return QList<CleanupCategory>{category(u"found"_s, {file(u"x"_s, 1, true)})};
        };
        SectionFlowController flow(u"smart"_s, services);
        for (int stuck = 0; stuck < 2; ++stuck) {
            flow.startScan();
            QTRY_COMPARE(calls.load(), stuck + 1);
            flow.cancelScan();
            QCOMPARE(flow.scanState(), ScanState::idle);
        }
        flow.startScan();
        QTRY_COMPARE_WITH_TIMEOUT(flow.scanState(), ScanState::results, 10000);
        QCOMPARE(flow.categories()->count(), 1);
        release = true;
        QTRY_COMPARE(background::running(background::Kind::scan), 0);
    }

    // Leaving the section while it cleans releases its results; the removal still completes.
    void leavingDuringCleaningStillRemoves()
    {
        QSemaphore release;
        std::atomic<int> removedCount = 0;
        Fake fake;
        fake.results = {category(u"Caches"_s, {file(u"a"_s, 1, true), file(u"b"_s, 1, true)})};
        FlowServices services = fake.services();
        services.remove = [&](const QList<RemovalTarget>& targets, RemovalStyle) {
            release.acquire();
            removedCount = int(targets.size());
            return QList<RemovalResult>(targets.size());
        };
        auto flow = std::make_unique<SectionFlowController>(u"smart"_s, services);
        flow->startScan();
        QTRY_COMPARE(flow->scanState(), ScanState::results);
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
