#include "section_flow_controller.h"

#include "background_work.h"
#include "byte_format.h"
#include "catalogue.h"
#include "engine.h"
#include "localization_manager.h"
#include "palette.h"
#include "paths.h"

#include <QEasingCurve>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

namespace orvane {

FlowServices FlowServices::engine()
{
    FlowServices s;
    s.plan = [](const QString& id) { return planFor(id); };
    s.scan = [](const CleanupPlan& plan) { return scanPlan(plan); };
    s.disk = [] { return diskInfo(); };
    s.remove = [](const QList<RemovalTarget>& targets, RemovalStyle style) { return removeItems(targets, style); };
    return s;
}

int percentInUse(const DiskInfo& disk)
{
    if (disk.total < 1)
        return 0;
    return int(double(disk.total - disk.free) / double(disk.total) * 100.0);
}

double usedFraction(const DiskInfo& disk)
{
    if (disk.total < 1)
        return 0.0;
    return double(disk.total - disk.free) / double(disk.total);
}

namespace {

std::optional<SidebarSection> findSection(const QString& id)
{
    const QList<SidebarSection> all = mainSections() + bottomSections();
    for (const SidebarSection& s : all)
        if (s.id == id)
            return s;
    return std::nullopt;
}

QEasingCurve easeOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.0, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

} // namespace

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
    m_ringAnimation.setDuration(1100);
    m_ringAnimation.setEasingCurve(easeOut());
    connect(&m_ringAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_ringFill = v.toDouble();
        emit ringFillChanged();
    });
    m_settleTimer.setSingleShot(true);
    connect(&m_settleTimer, &QTimer::timeout, this, &SectionFlowController::settle);
    connect(&m_scanWatcher, &QFutureWatcherBase::finished, this, &SectionFlowController::scanFinished);
    connect(&m_removeWatcher, &QFutureWatcherBase::finished, this, &SectionFlowController::removalFinished);

    connect(m_categories, &CategoryListModel::selectionChanged, this, [this] {
        emit selectionChanged();
        emit textsChanged();
    });
    connect(this, &SectionFlowController::removalStyleChanged, this, &SectionFlowController::textsChanged);
    connect(this, &SectionFlowController::freedBytesChanged, this, &SectionFlowController::textsChanged);
    connect(this, &SectionFlowController::diskChanged, this, &SectionFlowController::textsChanged);
    connect(this, &SectionFlowController::sectionIdChanged, this, &SectionFlowController::textsChanged);
    connect(this, &SectionFlowController::stateChanged, this, &SectionFlowController::screenChanged);
    connect(this, &SectionFlowController::sectionIdChanged, this, &SectionFlowController::screenChanged);
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, [this] {
        m_categories->refreshTexts();
        emit textsChanged();
    });
}

// A scan still running keeps going on its worker; with the watchers gone its result is dropped.
// A removal still running completes on its worker (it holds its own copy of the list).
SectionFlowController::~SectionFlowController() = default;

void SectionFlowController::setSectionId(const QString& id)
{
    if (id == m_sectionId || !m_sectionId.isEmpty())
        return;
    m_sectionId = id;
    emit sectionIdChanged();
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

QString SectionFlowController::screen() const
{
    if (m_sectionId == u"space" || m_sectionId == u"settings" || m_sectionId == u"about")
        return m_sectionId;
    if (!hasPlan())
        return QStringLiteral("comingSoon");
    return stateName();
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
    if (show) {
        // Items already in a Trash are deleted for good whatever the style: the texts say so.
        m_selectedInTrash = forGoodBytes(removalTargets(m_categories->categories()), RemovalStyle::trash);
    }
    m_showDeleteConfirm = show;
    emit showDeleteConfirmChanged();
    emit textsChanged();
}

bool SectionFlowController::confirmsDeletion() const
{
    return m_removalStyle == RemovalStyle::permanent || (m_selectedInTrash > 0 && m_selectedInTrash >= selectedTotal());
}

QColor SectionFlowController::accent() const
{
    return accentColor(m_sectionId);
}

QString SectionFlowController::sectionIcon() const
{
    const auto s = findSection(m_sectionId);
    return s ? s->icon : QStringLiteral("sparkles");
}

bool SectionFlowController::hasPlan() const
{
    return m_services.plan && m_services.plan(m_sectionId).has_value();
}

QString SectionFlowController::sectionTitle() const
{
    const auto s = findSection(m_sectionId);
    return s ? s->title : m_sectionId;
}

QString SectionFlowController::planTitle() const
{
    const auto plan = m_services.plan ? m_services.plan(m_sectionId) : std::nullopt;
    return plan ? plan->title : QString();
}

QString SectionFlowController::planSubtitle() const
{
    const auto plan = m_services.plan ? m_services.plan(m_sectionId) : std::nullopt;
    return plan ? plan->subtitle : QString();
}

QStringList SectionFlowController::planHighlights() const
{
    const auto plan = m_services.plan ? m_services.plan(m_sectionId) : std::nullopt;
    return plan ? plan->highlights : QStringList();
}

QString SectionFlowController::diskHeadline() const
{
    if (!m_disk)
        return t(QStringLiteral("detail.calculating"));
    return t(QStringLiteral("detail.percentInUse"), {QString::number(percentInUse(*m_disk)) + u'%'});
}

QString SectionFlowController::diskDetail() const
{
    if (!m_disk)
        return {};
    return t(QStringLiteral("detail.freeOfTotal"), {formatBytes(m_disk->free), formatBytes(m_disk->total)});
}

QString SectionFlowController::selectedText() const
{
    return t(QStringLiteral("results.selected"), {formatBytes(selectedTotal())});
}

QString SectionFlowController::primaryActionText() const
{
    return t(m_removalStyle == RemovalStyle::permanent ? QStringLiteral("action.delete")
                                                       : QStringLiteral("action.moveToTrash"));
}

QString SectionFlowController::dialogTitle() const
{
    return t(confirmsDeletion() ? QStringLiteral("alert.deleteTitle") : QStringLiteral("alert.trashTitle"));
}

QString SectionFlowController::dialogMessage() const
{
    // The confirmation states what is selected; the done screen reports what actually went.
    const qint64 selected = selectedTotal();
    if (confirmsDeletion())
        return t(QStringLiteral("alert.deleteMsg"), {formatBytes(selected)});
    if (m_selectedInTrash > 0)
        return t(QStringLiteral("alert.trashMixedMsg"),
                 {formatBytes(selected - m_selectedInTrash), formatBytes(m_selectedInTrash)});
    return t(QStringLiteral("alert.trashMsg"), {formatBytes(selected)});
}

QString SectionFlowController::dialogConfirmText() const
{
    return t(confirmsDeletion() ? QStringLiteral("action.delete") : QStringLiteral("action.moveToTrash"));
}

QString SectionFlowController::doneText() const
{
    return removalDoneText(m_lastStyle, m_lastResults);
}

QStringList SectionFlowController::doneNotes() const
{
    constexpr int kShown = 3;
    QStringList lines;
    int more = 0;
    for (qsizetype i = 0; i < m_lastResults.size() && i < m_lastTargets.size(); ++i) {
        const QString line = removalStayedLine(displayPath(lastComponent(m_lastTargets[i].path)), m_lastResults[i]);
        if (line.isEmpty())
            continue;
        if (lines.size() < kShown)
            lines.append(line);
        else
            ++more;
    }
    if (more > 0)
        lines.append(t(QStringLiteral("done.more"), {QString::number(more)}));
    return lines;
}

QStringList SectionFlowController::removalStyleNames() const
{
    return {rawValue(RemovalStyle::trash), rawValue(RemovalStyle::permanent)};
}

QStringList SectionFlowController::removalStyleLabels() const
{
    return {label(RemovalStyle::trash), label(RemovalStyle::permanent)};
}

void SectionFlowController::startScan()
{
    if (m_state != ScanState::idle && m_state != ScanState::results)
        return;
    const auto plan = m_services.plan ? m_services.plan(m_sectionId) : std::nullopt;
    if (!plan)
        return;
    setRemovalStyle(plan->defaultRemoval);
    setState(ScanState::scanning);
    m_categories->reset({});
    m_scanWatcher.setFuture(QtConcurrent::run([scan = m_services.scan, plan = *plan] {
        background::Scope scope(background::Kind::scan);
        return scan(plan);
    }));
}

void SectionFlowController::scanFinished()
{
    const auto future = m_scanWatcher.future();
    m_categories->reset(future.resultCount() > 0 ? future.result() : QList<CleanupCategory>());
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
    m_lastTargets = removalTargets(m_categories->categories());
    m_lastResults.clear();
    m_lastStyle = m_removalStyle;
    setState(ScanState::cleaning);
    m_removeWatcher.setFuture(
        QtConcurrent::run([remove = m_services.remove, targets = m_lastTargets, style = m_removalStyle] {
            background::Scope scope(background::Kind::removal);
            return remove(targets, style);
        }));
}

void SectionFlowController::removalFinished()
{
    const auto future = m_removeWatcher.future();
    m_lastResults = future.resultCount() > 0 ? future.result() : QList<RemovalResult>();
    m_lastResults.resize(m_lastTargets.size()); // a missing answer is not a removal
    m_settleTimer.start(m_services.settleMs);
}

void SectionFlowController::settle()
{
    // What went leaves the results; a folder that went in part stays with what is left of it.
    QSet<FilePath> gone;
    QHash<FilePath, qint64> partly;
    for (qsizetype i = 0; i < m_lastTargets.size() && i < m_lastResults.size(); ++i) {
        if (m_lastResults[i].gone())
            gone.insert(m_lastTargets[i].path);
        else if (m_lastResults[i].outcome == RemovalOutcome::partlyRemoved)
            partly.insert(m_lastTargets[i].path, m_lastResults[i].stayedBytes);
    }
    m_categories->applyRemoval(gone, partly);
    const qint64 freed = orvane::freedBytes(m_lastResults);
    if (freed != m_freedBytes) {
        m_freedBytes = freed;
        emit freedBytesChanged();
    }
    emit textsChanged();
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
    m_ringAnimation.stop();
    m_ringFill = 0.0;
    emit ringFillChanged();
    m_ringAnimation.setStartValue(0.0);
    m_ringAnimation.setEndValue(usedFraction(*m_disk));
    m_ringAnimation.start();
}

void SectionFlowController::toggleFile(const QString& categoryId, const QString& fileId)
{
    m_categories->toggleFile(categoryId, fileId);
}

void SectionFlowController::toggleAll(const QString& categoryId)
{
    m_categories->toggleAll(categoryId);
}

void SectionFlowController::toggleExpanded(const QString& categoryId)
{
    m_categories->toggleExpanded(categoryId);
}

void SectionFlowController::hoverCategory(const QString& categoryId)
{
    if (categoryId == m_hoveredID)
        return;
    m_hoveredID = categoryId;
    emit hoveredIDChanged();
}

void SectionFlowController::unhoverCategory(const QString& categoryId)
{
    // Only the card that holds the hover clears it: moving straight from one card onto the next
    // may report the new card's entry before the old card's exit.
    if (categoryId != m_hoveredID || m_hoveredID.isEmpty())
        return;
    m_hoveredID.clear();
    emit hoveredIDChanged();
}

QString SectionFlowController::checkState(const QString& categoryId) const
{
    const int row = m_categories->rowOf(categoryId);
    return row < 0 ? QString() : categoryCheckState(m_categories->filesAt(row)->files());
}

} // namespace orvane
