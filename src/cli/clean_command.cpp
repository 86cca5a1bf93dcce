// The clean command: what the plan preselects, removed (or only listed without --yes).

#include "byte_format.h"
#include "catalogue.h"
#include "cli_p.h"
#include "cli_texts.h"
#include "localization_manager.h"
#include "path_text.h"
#include "removal_texts.h"

namespace orvane::cli {

namespace {

void printTargets(const QList<RemovalTarget>& targets)
{
    for (const RemovalTarget& target : targets)
        line(QStringLiteral("  %1  %2").arg(sizeColumn(target.scanSize), readablePath(target.path)));
}

// The targets with this outcome: what went with the bytes that went, the others with why.
void printResults(const CleanReport& report, RemovalOutcome outcome)
{
    for (qsizetype i = 0; i < report.targets.size(); ++i) {
        const RemovalResult& result = report.results[i];
        if (result.outcome != outcome)
            continue;
        QString what = readablePath(report.targets[i].path);
        if (outcome != RemovalOutcome::removed)
            what += QStringLiteral(": ") + removalReasonText(result.reason);
        if (result.stayedBytes > 0)
            what += QStringLiteral(", ") + text("clean.stayed", {formatBytes(result.stayedBytes)});
        const qint64 bytes = outcome == RemovalOutcome::notRemoved ? report.targets[i].scanSize : result.freedBytes;
        line(QStringLiteral("  %1  %2").arg(sizeColumn(bytes), what));
    }
}

} // namespace

int clean(const CommandLine& cl)
{
    QString error;
    const auto section = sectionArgument(cl, error);
    if (!section)
        return usageError(error);
    if (cl.trash && cl.permanent)
        return usageError(text("err.bothStyles"));
    const CleanupPlan plan = *planFor(*section);
    RemovalStyle style = plan.defaultRemoval;
    if (cl.trash)
        style = RemovalStyle::trash;
    if (cl.permanent)
        style = RemovalStyle::permanent;

    std::optional<QList<CleanupCategory>> scanned = scanWithProgress(plan);
    if (!scanned)
        return exitCancelled; // nothing was removed
    if (cl.all)
        for (CleanupCategory& category : *scanned)
            for (CleanupFile& file : category.files)
                file.isSelected = true;
    const CleanReport report = cleanCategories(*scanned, style, cl.yes);
    const int status = report.failed.isEmpty() && report.partlyRemoved.isEmpty() ? exitOk : exitSomeFailed;
    if (cl.json) {
        printJson(withNotes(cleanJson(*section, report), plan));
        return status;
    }

    printHeading(plan);
    line(text("clean.style", {label(style)}));
    if (report.targets.isEmpty()) {
        line(text("clean.nothing"));
        return status;
    }
    const auto printKept = [&] {
        if (report.kept.isEmpty())
            return;
        line(text("clean.kept"));
        for (const FilePath& kept : report.kept)
            line(QStringLiteral("  %1  %2").arg(QString(10, u' '), readablePath(kept)));
    };
    if (!report.performed) {
        line(text("clean.wouldRemove", {QString::number(report.targets.size()), formatBytes(report.selected)}));
        printTargets(report.targets);
        printKept();
        line(text("clean.dryRunHint"));
        return status;
    }
    if (!report.removed.isEmpty()) {
        line(text("clean.removed"));
        printResults(report, RemovalOutcome::removed);
    }
    if (!report.partlyRemoved.isEmpty()) {
        line(text("clean.partly"));
        printResults(report, RemovalOutcome::partlyRemoved);
    }
    if (!report.failed.isEmpty()) {
        line(text("clean.failed"));
        printResults(report, RemovalOutcome::notRemoved);
    }
    printKept();
    line(removalDoneText(style, report.results));
    return status;
}

CleanReport cleanCategories(const QList<CleanupCategory>& categories, RemovalStyle style, bool perform)
{
    CleanReport report;
    report.style = style;
    report.performed = perform;
    report.targets = removalTargets(categories);
    report.kept = keptLastCopies(categories);
    for (const RemovalTarget& target : report.targets)
        report.selected += target.scanSize;
    if (!perform || report.targets.isEmpty())
        return report;
    report.results = removeItems(report.targets, style);
    report.results.resize(report.targets.size()); // a missing answer is not a removal
    report.freed = diskFreedBytes(report.results);
    report.trashed = trashedBytes(report.results);
    for (qsizetype i = 0; i < report.targets.size(); ++i) {
        switch (report.results[i].outcome) {
        case RemovalOutcome::removed: report.removed.append(report.targets[i].path); break;
        case RemovalOutcome::partlyRemoved: report.partlyRemoved.append(report.targets[i].path); break;
        case RemovalOutcome::notRemoved: report.failed.append(report.targets[i].path); break;
        }
    }
    return report;
}

} // namespace orvane::cli
