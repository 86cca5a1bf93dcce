#include "removal.h"

namespace orvane {

// Placeholder until the real executor lands: removes nothing.
QList<RemovalTarget> removalTargets(const QList<CleanupCategory>& categories)
{
    Q_UNUSED(categories);
    return {};
}

QList<bool> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style)
{
    Q_UNUSED(style);
    return QList<bool>(targets.size(), false);
}

QList<bool> removeItems(const FilePaths& paths, RemovalStyle style)
{
    Q_UNUSED(style);
    return QList<bool>(paths.size(), false);
}

qint64 freedBytes(const QList<RemovalTarget>& targets, const QList<bool>& removed)
{
    qint64 sum = 0;
    for (qsizetype i = 0; i < targets.size() && i < removed.size(); ++i)
        if (removed[i])
            sum += targets[i].scanSize;
    return sum;
}

} // namespace orvane
