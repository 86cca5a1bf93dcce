#include "removal_texts.h"

#include "byte_format.h"
#include "localization_manager.h"

namespace orvane {

QString removalReasonName(RemovalReason reason)
{
    switch (reason) {
    case RemovalReason::none: return {};
    case RemovalReason::gone: return QStringLiteral("gone");
    case RemovalReason::changed: return QStringLiteral("changed");
    case RemovalReason::keptCopyChanged: return QStringLiteral("keptCopyChanged");
    case RemovalReason::lastCopy: return QStringLiteral("lastCopy");
    case RemovalReason::otherDisk: return QStringLiteral("otherDisk");
    case RemovalReason::noPermission: return QStringLiteral("noPermission");
    case RemovalReason::immutable: return QStringLiteral("immutable");
    case RemovalReason::inUse: return QStringLiteral("inUse");
    case RemovalReason::readOnlyDisk: return QStringLiteral("readOnlyDisk");
    case RemovalReason::protectedLocation: return QStringLiteral("protected");
    case RemovalReason::noTrash: return QStringLiteral("noTrash");
    case RemovalReason::failed: return QStringLiteral("failed");
    case RemovalReason::appStillInstalled: return QStringLiteral("appStillInstalled");
    case RemovalReason::diskFull: return QStringLiteral("diskFull");
    case RemovalReason::entryStays: return QStringLiteral("entryStays");
    }
    return {};
}

QString removalReasonText(RemovalReason reason)
{
    const QString name = removalReasonName(reason);
    return name.isEmpty() ? QString() : t(QStringLiteral("reason.") + name);
}

QString removalDoneText(RemovalStyle style, const QList<RemovalResult>& results)
{
    qint64 trashed = 0;
    qint64 deleted = 0;
    for (const RemovalResult& result : results)
        (result.forGood ? deleted : trashed) += result.freedBytes;
    if (style == RemovalStyle::permanent || (trashed == 0 && deleted > 0))
        return t(QStringLiteral("done.freed"), {formatBytes(trashed + deleted)});
    if (deleted == 0)
        return t(QStringLiteral("done.movedToTrash"), {formatBytes(trashed)});
    return t(QStringLiteral("done.movedAndFreed"), {formatBytes(trashed), formatBytes(deleted)});
}

QString removalStayedLine(const QString& name, const RemovalResult& result)
{
    switch (result.outcome) {
    case RemovalOutcome::removed: return {};
    case RemovalOutcome::partlyRemoved:
        // Nothing counted stayed when what stays lies on another disk.
        if (result.stayedBytes <= 0)
            return t(QStringLiteral("done.partlyRemovedOnly"), {name, removalReasonText(result.reason)});
        return t(QStringLiteral("done.partlyRemoved"),
                 {name, formatBytes(result.stayedBytes), removalReasonText(result.reason)});
    case RemovalOutcome::notRemoved:
        return t(QStringLiteral("done.notRemoved"), {name, removalReasonText(result.reason)});
    }
    return {};
}

} // namespace orvane
