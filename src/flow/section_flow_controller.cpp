#include "section_flow_controller.h"
#include "keep_list.h"

#include "background_work.h"
#include "catalogue.h"
#include "desktop_services.h"
#include "engine.h"
#include "localization_manager.h"
#include "paths.h"

#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace orvane {

FlowServices FlowServices::engine()
{
    FlowServices s;
    s.plan = [](const QString& id) { return planFor(id); };
    s.scan = [](const CleanupPlan& plan, ScanProgress* progress) { return scanPlan(plan, progress); };
    s.disk = [] { return diskInfo(); };
    s.remove = [](const QList<RemovalTarget>& targets, RemovalStyle style) { return removeItems(targets, style); };
    s.keep = [](const FilePath& path) { return keepPath(path); };
    s.reveal = [](const FilePath& path) { revealInFileManager(path); };
    return s;
}

namespace {

// Scans run on threads of their own at a lower priority (5 steps nicer, which the threads a scan
// starts inherit), so the window keeps drawing its frames while a scan keeps both cores busy.
QThreadPool* scanPool()
{
    static QThreadPool* const pool = [] {
        auto* p = new QThreadPool; // never deleted: a scan still running at exit is abandoned
        p->setMaxThreadCount(2);
        return p;
    }();
    return pool;
}

void lowerThisThreadsPriority()
{
    thread_local bool lowered = false;
    if (!lowered) {
        const pid_t thread = ::gettid();
        errno = 0;
        const int nice = ::getpriority(PRIO_PROCESS, thread);
        if (errno == 0)
            ::setpriority(PRIO_PROCESS, thread, std::min(nice + 5, 19)); // best effort
        lowered = true;
    }
}

} // namespace

// A scan cancelled while its worker is still busy (stuck in the kernel on a mount that never
// answers, say) gives its thread's place in the pool back, so the next scan starts at once; the
// place is taken back when that worker returns.
struct ScanSlot {
    std::atomic<int> state{0}; // 0 running, 1 returned, 2 its place given back
    void release()
    {
        int running = 0;
        if (state.compare_exchange_strong(running, 2))
            scanPool()->setMaxThreadCount(scanPool()->maxThreadCount() + 1);
    }
    void returned()
    {
        if (state.exchange(1) == 2)
            scanPool()->setMaxThreadCount(scanPool()->maxThreadCount() - 1);
    }
};

SectionFlowController::SectionFlowController(QObject* parent)
    : SectionFlowController(QString(), FlowServices::engine(), parent)
{
}

SectionFlowController::SectionFlowController(const QString& sectionId, FlowServices services, QObject* parent)
    : QObject(parent)
    , m_sectionId(sectionId)
    , m_services(std::move(services))
    , m_categories(new CategoryListModel(this))
{
    loadPlan();
    connect(&m_scanWatcher, &QFutureWatcherBase::finished, this, &SectionFlowController::scanFinished);
    // Progress is read from the scan's counters a few times a second, never signalled per file.
    m_progressTimer.setInterval(250);
    connect(&m_progressTimer, &QTimer::timeout, this, &SectionFlowController::pollProgress);
    connect(&m_removeWatcher, &QFutureWatcherBase::finished, this, &SectionFlowController::removalFinished);

    connect(m_categories, &CategoryListModel::selectionChanged, this, [this] {
        emit selectionChanged();
        emit textsChanged();
    });
    connect(this, &SectionFlowController::removalStyleChanged, this, &SectionFlowController::textsChanged);
    connect(this, &SectionFlowController::diskChanged, this, &SectionFlowController::textsChanged);
    connect(this, &SectionFlowController::sectionIdChanged, this, &SectionFlowController::textsChanged);
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, [this] {
        loadPlan();
        m_categories->refreshTexts();
        emit textsChanged();
        emit scanProgressChanged();
    });
}

// A scan still running is cancelled: its worker winds down and its result is dropped.
// A removal still running completes on its worker (it holds its own copy of the list).
SectionFlowController::~SectionFlowController()
{
    if (m_progress)
        m_progress->cancel();
    if (m_scanSlot)
        m_scanSlot->release();
}

void SectionFlowController::setSectionId(const QString& id)
{
    if (id == m_sectionId || !m_sectionId.isEmpty())
        return;
    m_sectionId = id;
    loadPlan();
    emit sectionIdChanged();
}

// The plan is made once per section and language: its texts are read on every property read.
void SectionFlowController::loadPlan()
{
    m_plan = m_services.plan && !m_sectionId.isEmpty() ? m_services.plan(m_sectionId) : std::nullopt;
}

QString SectionFlowController::stateName() const
{
    switch (m_state) {
    case ScanState::idle: return QStringLiteral("idle");
    case ScanState::scanning: return QStringLiteral("scanning");
    case ScanState::results: return QStringLiteral("results");
    case ScanState::cleaning: return QStringLiteral("cleaning");
    case ScanState::done: return QStringLiteral("done");
    }
    return {};
}

void SectionFlowController::setState(ScanState state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}

void SectionFlowController::setRemovalStyle(RemovalStyle style)
{
    if (style == m_removalStyle)
        return;
    m_removalStyle = style;
    emit removalStyleChanged();
}

void SectionFlowController::setRemovalStyleName(const QString& name)
{
    if (auto style = removalStyleFromRaw(name))
        setRemovalStyle(*style);
}

void SectionFlowController::setShowDeleteConfirm(bool show)
{
    // The dialog only opens over results with something selected.
    if (show && (m_state != ScanState::results || selectedTotal() <= 0))
        return;
    if (show == m_showDeleteConfirm)
        return;
    m_showDeleteConfirm = show;
    emit showDeleteConfirmChanged();
    emit textsChanged(); // the confirmation's texts depend on what is selected now
}

bool SectionFlowController::confirmsDeletion() const
{
    const qint64 forGood = m_categories->selectedForGood();
    return m_removalStyle == RemovalStyle::permanent || (forGood > 0 && forGood >= selectedTotal());
}

void SectionFlowController::startScan()
{
    if (m_state != ScanState::idle && m_state != ScanState::results)
        return;
    if (!m_plan)
        return;
    setRemovalStyle(m_plan->defaultRemoval);
    // The previous results go before the new scan starts.
    m_categories->clear();
    auto progress = std::make_shared<ScanProgress>();
    m_progress = progress;
    m_progressSource = -1;
    m_progressFiles = m_progressBytes = 0;
    setState(ScanState::scanning);
    emit scanProgressChanged();
    m_progressTimer.start();
    auto slot = std::make_shared<ScanSlot>();
    m_scanSlot = slot;
    m_scanWatcher.setFuture(QtConcurrent::run(scanPool(), [scan = m_services.scan, plan = *m_plan, progress, slot] {
        background::Scope scope(background::Kind::scan);
        lowerThisThreadsPriority();
        QList<CleanupCategory> found = scan(plan, progress.get());
        slot->returned();
        if (progress->cancelled())
            return PreparedResults();
        // Totals are worked out here, so showing the results costs the GUI thread nothing that grows.
        return PreparedResults::from(std::move(found));
    }));
}

void SectionFlowController::cancelScan()
{
    if (m_state != ScanState::scanning)
        return;
    m_progress->cancel();
    m_progress.reset();
    if (m_scanSlot)
        m_scanSlot->release();
    m_progressTimer.stop();
    setState(ScanState::idle);
    emit scanProgressChanged();
}

void SectionFlowController::pollProgress()
{
    if (!m_progress)
        return;
    const int source = m_progress->source.load(std::memory_order_relaxed);
    const qint64 files = m_progress->filesSeen.load(std::memory_order_relaxed);
    const qint64 bytes = m_progress->bytesRead.load(std::memory_order_relaxed);
    if (source == m_progressSource && files == m_progressFiles && bytes == m_progressBytes)
        return;
    m_progressSource = source;
    m_progressFiles = files;
    m_progressBytes = bytes;
    emit scanProgressChanged();
}

void SectionFlowController::scanFinished()
{
    // A cancelled scan's result is dropped, whenever it arrives.
    if (m_state != ScanState::scanning || !m_progress || m_progress->cancelRequested)
        return;
    QFuture<PreparedResults> future = m_scanWatcher.future();
    // Taken out of the future, so the screen's copy is the only one and edits never copy it.
    m_categories->reset(future.resultCount() > 0 ? future.takeResult() : PreparedResults());
    m_progress.reset();
    m_progressTimer.stop();
    setState(ScanState::results);
}

void SectionFlowController::requestClean()
{
    setShowDeleteConfirm(true);
}

void SectionFlowController::cancelClean()
{
    setShowDeleteConfirm(false);
}

void SectionFlowController::performClean()
{
    if (m_state != ScanState::results)
        return;
    setShowDeleteConfirm(false);
    m_lastTargets.clear();
    m_lastResults.clear();
    m_lastKept.clear();
    m_lastStyle = m_removalStyle;
    m_removalDone = false;
    setState(ScanState::cleaning);
    // The selection is handed over shared (no copy); the worker makes the list of locations,
    // removes them and works out what is left.
    m_removeWatcher.setFuture(QtConcurrent::run(
        [remove = m_services.remove, categories = m_categories->categories(), style = m_removalStyle]() mutable {
            background::Scope scope(background::Kind::removal);
            const QList<CleanupCategory> selection = std::exchange(categories, {});
            Removal r;
            r.targets = removalTargets(selection);
            r.kept = keptLastCopies(selection);
            r.results = remove(r.targets, style);
            r.results.resize(r.targets.size()); // a missing answer is not a removal
            // What went leaves the results; a folder that went in part stays with what is left of it.
            QSet<FilePath> gone;
            QHash<FilePath, qint64> partly;
            for (qsizetype i = 0; i < r.targets.size(); ++i) {
                if (r.results[i].gone())
                    gone.insert(r.targets[i].path);
                else if (r.results[i].outcome == RemovalOutcome::partlyRemoved)
                    partly.insert(r.targets[i].path, r.results[i].stayedBytes);
            }
            r.left = CategoryListModel::withoutRemoved(selection, gone, partly);
            return r;
        }));
}

void SectionFlowController::removalFinished()
{
    QFuture<Removal> future = m_removeWatcher.future();
    if (future.resultCount() > 0) {
        Removal r = future.takeResult();
        m_lastTargets = std::move(r.targets);
        m_lastResults = std::move(r.results);
        m_lastKept = std::move(r.kept);
        m_left = std::move(r.left);
    } else {
        // No answer from the removal: nothing counts as gone, the results stay as they were.
        m_left.reset();
    }
    m_removalDone = true;
    emit removalDoneChanged();
}

void SectionFlowController::settle()
{
    if (!removalDone())
        return;
    m_removalDone = false;
    emit removalDoneChanged();
    if (m_left)
        m_categories->reset(*std::exchange(m_left, std::nullopt));
    emit textsChanged(); // the done texts
    setState(ScanState::done);
}

void SectionFlowController::back()
{
    if (m_state == ScanState::done)
        setState(ScanState::idle);
}

void SectionFlowController::refreshDisk()
{
    if (!m_services.disk)
        return;
    m_disk = m_services.disk();
    emit diskChanged();
}

void SectionFlowController::toggleFile(const QString& categoryId, const QString& fileId)
{
    m_categories->toggleFile(categoryId, fileId);
}

void SectionFlowController::revealFile(const QString& categoryId, const QString& fileId)
{
    const FilePath path = m_categories->locationOf(categoryId, fileId);
    if (!path.isEmpty() && m_services.reveal)
        m_services.reveal(path);
}

void SectionFlowController::toggleAll(const QString& categoryId)
{
    m_categories->toggleAll(categoryId);
}

void SectionFlowController::keepFile(const QString& categoryId, const QString& fileId)
{
    if (m_state != ScanState::results || !m_services.keep)
        return;
    const QUuid category(categoryId), file(fileId);
    for (const CleanupCategory& c : m_categories->categories()) {
        if (c.id != category)
            continue;
        for (const CleanupFile& f : c.files) {
            if (f.id != file)
                continue;
            // Stored first: a path the keep-list did not take stays offered.
            if (m_services.keep(f.url))
                m_categories->applyRemoval({f.url});
            return;
        }
    }
}

void SectionFlowController::toggleExpanded(const QString& categoryId)
{
    m_categories->toggleExpanded(categoryId);
}

} // namespace orvane
