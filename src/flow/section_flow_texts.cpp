// What the plan's screens read: titles, captions, dialog and done texts, in the current language.
#include "section_flow_controller.h"

#include "byte_format.h"
#include "catalogue.h"
#include "localization_manager.h"
#include "palette.h"
#include "paths.h"
#include "removal_texts.h"

namespace orvane {

namespace {

std::optional<SidebarSection> findSection(const QString& id)
{
    const QList<SidebarSection> all = mainSections() + bottomSections();
    for (const SidebarSection& s : all)
        if (s.id == id)
            return s;
    return std::nullopt;
}

// The folder holding `path`, with "~" for the home folder.
QString folderText(const FilePath& path)
{
    const FilePath folder = parentPath(path);
    const FilePath home = homeDir();
    if (isWithin(folder, home))
        return u'~' + displayPath(folder.mid(home.size()));
    return displayPath(folder);
}

} // namespace

QColor SectionFlowController::accent() const
{
    return accentColor(m_sectionId);
}

QString SectionFlowController::sectionIcon() const
{
    const auto s = findSection(m_sectionId);
    return s ? s->icon : QStringLiteral("sparkles");
}

QString SectionFlowController::sectionTitle() const
{
    const auto s = findSection(m_sectionId);
    return s ? s->title : m_sectionId;
}

QString SectionFlowController::planTitle() const
{
    return m_plan ? m_plan->title : QString();
}

QString SectionFlowController::planSubtitle() const
{
    return m_plan ? m_plan->subtitle : QString();
}

QStringList SectionFlowController::planHighlights() const
{
    return m_plan ? m_plan->highlights : QStringList();
}

QStringList SectionFlowController::planNotes() const
{
    return m_plan ? m_plan->notes : QStringList();
}

QString SectionFlowController::diskHeadline() const
{
    if (!m_disk)
        return t(QStringLiteral("detail.calculating"));
    // Truncated, not rounded: 99.9 % in use is not yet full.
    const int percent = int(m_disk->usedFraction() * 100.0);
    return t(QStringLiteral("detail.percentInUse"), {QString::number(percent) + u'%'});
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
    QString message;
    if (confirmsDeletion())
        message = t(QStringLiteral("alert.deleteMsg"), {formatBytes(selected)});
    else if (const qint64 forGood = m_categories->selectedForGood(); forGood > 0)
        message = t(QStringLiteral("alert.trashMixedMsg"), {formatBytes(selected - forGood), formatBytes(forGood)});
    else
        message = t(QStringLiteral("alert.trashMsg"), {formatBytes(selected)});
    // Duplicate groups with every copy ticked keep one copy each: the confirmation says which.
    const int groups = m_categories->groupsKeepingCopy();
    if (groups == 1) {
        const CleanupFile& kept = m_categories->categories().at(m_categories->firstRowKeepingCopy()).files.first();
        message += QStringLiteral("\n\n") + t(QStringLiteral("alert.keptCopy"), {kept.name, folderText(kept.url)});
    } else if (groups > 1) {
        message += QStringLiteral("\n\n") + t(QStringLiteral("alert.keptCopies"), {QString::number(groups)});
    }
    return message;
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
    QStringList lines = doneAllNotes();
    const qsizetype more = lines.size() - kShown;
    if (more > 0) {
        lines.resize(kShown);
        lines.append(t(QStringLiteral("done.more"), {QString::number(more)}));
    }
    return lines;
}

QStringList SectionFlowController::doneAllNotes() const
{
    QStringList lines;
    for (const FilePath& kept : m_lastKept)
        lines.append(t(QStringLiteral("done.keptCopy"), {displayPath(lastComponent(kept)), folderText(kept)}));
    for (qsizetype i = 0; i < m_lastResults.size() && i < m_lastTargets.size(); ++i) {
        const QString line = removalStayedLine(displayPath(lastComponent(m_lastTargets[i].path)), m_lastResults[i]);
        if (!line.isEmpty())
            lines.append(line);
    }
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

QString SectionFlowController::scanSourceText() const
{
    if (m_state != ScanState::scanning || m_progressSource < 0)
        return {};
    if (!m_plan || m_progressSource >= m_plan->sources.size())
        return {};
    return t(QStringLiteral("scanning.source"), {m_plan->sources[m_progressSource].name});
}

QString SectionFlowController::scanCountsText() const
{
    if (m_state != ScanState::scanning || (m_progressFiles == 0 && m_progressBytes == 0))
        return {};
    QString text = t(QStringLiteral("scanning.files"), {formatCount(m_progressFiles)});
    if (m_progressBytes > 0)
        text += QStringLiteral("  ·  ") + t(QStringLiteral("scanning.read"), {formatBytes(m_progressBytes)});
    return text;
}

} // namespace orvane
