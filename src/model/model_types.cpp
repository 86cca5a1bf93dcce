#include "model_types.h"

#include "localization_manager.h"

#include <algorithm>

namespace orvane {

std::optional<RemovalStyle> removalStyleFromRaw(const QString& raw)
{
    if (raw == u"trash")
        return RemovalStyle::trash;
    if (raw == u"permanent")
        return RemovalStyle::permanent;
    return std::nullopt;
}

QString rawValue(RemovalStyle style)
{
    return style == RemovalStyle::permanent ? QStringLiteral("permanent") : QStringLiteral("trash");
}

QString label(RemovalStyle style)
{
    return t(style == RemovalStyle::permanent ? QStringLiteral("removal.permanent")
                                              : QStringLiteral("removal.trash"));
}

qint64 CleanupFile::ownSize() const
{
    qint64 extras = 0;
    for (qint64 s : extraSizes)
        extras += s;
    return sizeInBytes - extras;
}

qsizetype CleanupFile::leftoverCount() const
{
    return std::count_if(extraURLs.begin(), extraURLs.end(),
                         [](const FilePath& extra) { return !extra.endsWith(".trashinfo"); });
}

bool CleanupCategory::isDuplicateGroup() const
{
    return !files.isEmpty() && files.first().stamp.has_value();
}

qsizetype CleanupCategory::keptCopy() const
{
    const bool all = std::all_of(files.begin(), files.end(), [](const CleanupFile& f) { return f.isSelected; });
    return isDuplicateGroup() && all ? 0 : -1;
}

qint64 CleanupCategory::selectedSize() const
{
    qint64 sum = 0;
    for (const CleanupFile& f : files)
        if (f.isSelected)
            sum += f.sizeInBytes;
    if (const qsizetype kept = keptCopy(); kept >= 0)
        sum -= files.at(kept).sizeInBytes;
    return sum;
}

qint64 CleanupCategory::totalSize() const
{
    qint64 sum = 0;
    for (const CleanupFile& f : files)
        sum += f.sizeInBytes;
    return sum;
}

} // namespace orvane
