#include "engine.h"

namespace orvane {

// Placeholder until the real finder lands: finds nothing.
QList<CleanupCategory> findDuplicates(const FilePaths& roots, qint64 minSize, const QString& icon)
{
    Q_UNUSED(roots);
    Q_UNUSED(minSize);
    Q_UNUSED(icon);
    return {};
}

std::optional<QByteArray> contentDigest(const FilePath& file)
{
    Q_UNUSED(file);
    return std::nullopt;
}

} // namespace orvane
