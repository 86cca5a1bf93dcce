#include "category_model.h"

#include "byte_format.h"
#include "icons.h"
#include "localization_manager.h"
#include "paths.h"
#include "removal.h"

#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

namespace orvane {

namespace {

// What goes with an application, named one a line: a count alone does not say what is lost.
QString leftoversList(const CleanupFile& f)
{
    if (f.leftoverCount() == 0)
        return {};
    const FilePath home = homeDir();
    QStringList lines{t(QStringLiteral("results.leftoversTitle"))};
    for (const FilePath& extra : f.extraURLs) {
        if (extra.endsWith(".trashinfo"))
            continue;
        lines << (isWithin(extra, home) && extra != home ? u'~' + displayPath(extra.mid(home.size())) : displayPath(extra));
    }
    return lines.join(u'\n');
}

// Freeing a large result item by item takes a while: it is done on a worker thread.
constexpr int kReleaseOnWorker = 5000;

template<typename T>
void release(T&& old, qsizetype weight)
{
    if (weight < kReleaseOnWorker)
        return;
    (void)QtConcurrent::run([old = std::forward<T>(old)] {});
}

// A category without files counts as fully selected; a duplicate group counts the copies that can
// go (all but the first).
Qt::CheckState checkStateOf(const CleanupCategory& category, qsizetype selectedCount)
{
    const qsizetype n = category.files.size();
    if (category.isDuplicateGroup() && n > 1) {
        const qsizetype removable = selectedCount - (category.files.first().isSelected ? 1 : 0);
        if (removable == n - 1)
            return Qt::Checked;
    } else if (selectedCount == n) {
        return Qt::Checked;
    }
    return selectedCount == 0 ? Qt::Unchecked : Qt::PartiallyChecked;
}

} // namespace

PreparedResults PreparedResults::from(QList<CleanupCategory> categories)
{
    PreparedResults r;
    r.categories = std::move(categories);
    r.totals.reserve(r.categories.size());
    r.forGood.reserve(r.categories.size());
    const InsideTrash inTrash;
    for (const CleanupCategory& c : std::as_const(r.categories)) {
        Totals t;
        QList<qint64> forGood(c.files.size(), 0);
        for (qsizetype i = 0; i < c.files.size(); ++i) {
            const CleanupFile& f = c.files.at(i);
            forGood[i] = !f.packageId.isEmpty() || inTrash(f.url) ? f.ownSize() : 0;
            for (qsizetype e = 0; e < f.extraURLs.size(); ++e)
                if (inTrash(f.extraURLs.at(e)))
                    forGood[i] += f.extraSizes.value(e, 0);
            t.total += f.sizeInBytes;
            if (f.isSelected) {
                t.selected += f.sizeInBytes;
                ++t.selectedCount;
                t.forGood += forGood[i];
            }
        }
        r.totals.append(t);
        bool spread = false;
        for (qsizetype i = 0; i < c.files.size() && !spread; ++i)
            spread = c.files.at(i).stamp.has_value()
                || parentPath(c.files.at(i).url) != parentPath(c.files.constFirst().url);
        r.showsFolders.append(spread);
        r.forGood.append(std::move(forGood));
        const int row = int(r.totals.size() - 1);
        r.selectedTotal += r.countedSelected(row);
        r.selectedForGood += r.countedForGood(row);
        r.groupsKeepingCopy += r.keptCopy(row) >= 0 ? 1 : 0;
    }
    return r;
}

qsizetype PreparedResults::keptCopy(int row) const
{
    const CleanupCategory& c = categories.at(row);
    return c.isDuplicateGroup() && totals.at(row).selectedCount == c.files.size() ? 0 : -1;
}

qint64 PreparedResults::countedSelected(int row) const
{
    const qsizetype kept = keptCopy(row);
    return totals.at(row).selected - (kept >= 0 ? categories.at(row).files.at(kept).sizeInBytes : 0);
}

qint64 PreparedResults::countedForGood(int row) const
{
    const qsizetype kept = keptCopy(row);
    return totals.at(row).forGood - (kept >= 0 ? forGood.at(row).at(kept) : 0);
}

CategoryListModel::CategoryListModel(QObject* parent)
    : QAbstractListModel(parent)
    , m_rows(new ResultRowsModel(this))
{
}

CategoryListModel::~CategoryListModel()
{
    const int files = fileCount();
    release(std::move(m_results), files);
}

int CategoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant CategoryListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const CleanupCategory& c = m_results.categories.at(row);
    const PreparedResults::Totals& totals = m_results.totals.at(row);
    switch (Role(role)) {
    case Role::categoryId: return c.id.toString(QUuid::WithoutBraces);
    case Role::name: return c.name;
    case Role::icon: return c.icon;
    case Role::fileCount: return int(c.files.size());
    case Role::elementsText: return formatItemCount(c.files.size());
    case Role::totalSize: return totals.total;
    case Role::totalSizeText: return formatBytes(totals.total);
    case Role::selectedSize: return m_results.countedSelected(row);
    case Role::checkState: return int(checkStateOf(c, totals.selectedCount));
    case Role::expanded: return c.isExpanded;
    case Role::showsFolders: return m_results.showsFolders.value(row);
    }
    return {};
}

QHash<int, QByteArray> CategoryListModel::roleNames() const
{
    return {
        {int(Role::categoryId), "categoryId"},
        {int(Role::name), "name"},
        {int(Role::icon), "icon"},
        {int(Role::fileCount), "fileCount"},
        {int(Role::elementsText), "elementsText"},
        {int(Role::totalSize), "totalSize"},
        {int(Role::totalSizeText), "totalSizeText"},
        {int(Role::selectedSize), "selectedSize"},
        {int(Role::checkState), "checkState"},
        {int(Role::expanded), "expanded"},
        {int(Role::showsFolders), "showsFolders"},
    };
}

int CategoryListModel::fileCount() const
{
    qsizetype n = 0;
    for (const CleanupCategory& c : m_results.categories)
        n += c.files.size();
    return int(n);
}

void CategoryListModel::reset(PreparedResults results)
{
    const int before = count();
    beginResetModel();
    m_home = homeDir();
    PreparedResults old = std::exchange(m_results, std::move(results));
    endResetModel();
    m_rows->reset();
    const qsizetype oldFiles = [&] {
        qsizetype n = 0;
        for (const CleanupCategory& c : old.categories)
            n += c.files.size();
        return n;
    }();
    release(std::move(old), oldFiles);
    if (count() != before)
        emit countChanged();
    emit selectionChanged();
}

int CategoryListModel::rowOf(const QString& categoryId) const
{
    const QUuid id(categoryId);
    for (qsizetype i = 0; i < m_results.categories.size(); ++i)
        if (m_results.categories.at(i).id == id)
            return int(i);
    return -1;
}

Qt::CheckState CategoryListModel::checkStateAt(int row) const
{
    return checkStateOf(m_results.categories.at(row), m_results.totals.at(row).selectedCount);
}

int CategoryListModel::firstRowKeepingCopy() const
{
    if (m_results.groupsKeepingCopy == 0)
        return -1;
    for (int row = 0; row < count(); ++row)
        if (m_results.keptCopy(row) >= 0)
            return row;
    return -1;
}

void CategoryListModel::categoryChanged(int row, const QList<int>& roles)
{
    const QModelIndex i = index(row);
    emit dataChanged(i, i, roles);
    QList<int> rowRoles;
    for (int role : roles)
        if (role == int(Role::checkState))
            rowRoles.append(int(ResultRowsModel::Role::checkState));
    if (!rowRoles.isEmpty())
        m_rows->headerChanged(row, rowRoles);
}

// Sets the selection of files [first, last] of category `row`, keeping its totals and the overall
// totals in step, with one change notice for the whole range.
void CategoryListModel::setSelected(int row, int first, int last, const std::function<bool(int)>& wanted)
{
    QList<CleanupFile>& files = m_results.categories[row].files;
    PreparedResults::Totals& totals = m_results.totals[row];
    const qint64 countedBefore = m_results.countedSelected(row), forGoodBefore = m_results.countedForGood(row);
    const bool keptBefore = m_results.keptCopy(row) >= 0;
    int changedFirst = -1, changedLast = -1;
    for (int i = first; i <= last; ++i) {
        CleanupFile& f = files[i];
        const bool selected = wanted(i);
        if (f.isSelected == selected)
            continue;
        f.isSelected = selected;
        totals.selected += selected ? f.sizeInBytes : -f.sizeInBytes;
        totals.selectedCount += selected ? 1 : -1;
        const qint64 forGood = m_results.forGood.at(row).at(i);
        totals.forGood += selected ? forGood : -forGood;
        if (changedFirst < 0)
            changedFirst = i;
        changedLast = i;
    }
    if (changedFirst < 0)
        return;
    m_results.selectedTotal += m_results.countedSelected(row) - countedBefore;
    m_results.selectedForGood += m_results.countedForGood(row) - forGoodBefore;
    m_results.groupsKeepingCopy += int(m_results.keptCopy(row) >= 0) - int(keptBefore);
    m_rows->filesChanged(row, changedFirst, changedLast, {int(ResultRowsModel::Role::selected)});
    categoryChanged(row, {int(Role::checkState), int(Role::selectedSize)});
    emit selectionChanged();
}

QString CategoryListModel::categoryIdAt(int row) const
{
    return row >= 0 && row < count() ? m_results.categories.at(row).id.toString(QUuid::WithoutBraces) : QString();
}

QString CategoryListModel::fileIdAt(int row, int file) const
{
    if (row < 0 || row >= count() || file < 0 || file >= m_results.categories.at(row).files.size())
        return {};
    return m_results.categories.at(row).files.at(file).id.toString(QUuid::WithoutBraces);
}

int CategoryListModel::fileCountAt(int row) const
{
    return row >= 0 && row < count() ? int(m_results.categories.at(row).files.size()) : 0;
}

bool CategoryListModel::isExpandedAt(int row) const
{
    return row >= 0 && row < count() && m_results.categories.at(row).isExpanded;
}

QString CategoryListModel::describeAt(int row, int file) const
{
    if (row < 0 || row >= count())
        return {};
    const CleanupCategory& c = m_results.categories.at(row);
    if (file < 0) {
        const Qt::CheckState state = checkStateAt(row);
        const QString selection = state == Qt::Unchecked   ? t(QStringLiteral("a11y.unchecked"))
            : state == Qt::PartiallyChecked                 ? t(QStringLiteral("a11y.partlyChecked"))
                                                            : t(QStringLiteral("a11y.checked"));
        return QStringList{c.name, formatItemCount(c.files.size()),
                           formatBytes(m_results.totals.at(row).total), selection}
            .join(QStringLiteral(", "));
    }
    if (file >= c.files.size())
        return {};
    return fileRole(row, file, ResultRowsModel::Role::accessibleName).toString() + QStringLiteral(", ")
        + t(c.files.at(file).isSelected ? QStringLiteral("a11y.checked") : QStringLiteral("a11y.unchecked"));
}

QVariant CategoryListModel::headerRole(int row, ResultRowsModel::Role role) const
{
    using R = ResultRowsModel::Role;
    const CleanupCategory& c = m_results.categories.at(row);
    switch (role) {
    case R::categoryId: return c.id.toString(QUuid::WithoutBraces);
    case R::name: return c.name;
    case R::icon: return c.icon;
    case R::elementsText: return formatItemCount(c.files.size());
    case R::totalSizeText: return formatBytes(m_results.totals.at(row).total);
    case R::checkState: return int(checkStateAt(row));
    case R::expanded: return c.isExpanded;
    case R::showsFolders: return m_results.showsFolders.value(row);
    default: return {};
    }
}

QVariantMap CategoryListModel::headerAt(int row) const
{
    if (row < 0 || row >= count())
        return {};
    using R = ResultRowsModel::Role;
    QVariantMap header;
    for (R role : {R::categoryId, R::name, R::icon, R::elementsText, R::totalSizeText, R::checkState})
        header.insert(QString::fromLatin1(m_rows->roleNames().value(int(role))), headerRole(row, role));
    return header;
}

QVariant CategoryListModel::fileRole(int row, int file, ResultRowsModel::Role role) const
{
    using R = ResultRowsModel::Role;
    const CleanupCategory& c = m_results.categories.at(row);
    const CleanupFile& f = c.files.at(file);
    const auto leftovers = [&] {
        return t(QStringLiteral("results.leftovers"), {QString::number(f.leftoverCount())});
    };
    switch (role) {
    case R::categoryId: return c.id.toString(QUuid::WithoutBraces);
    case R::showsFolders: return m_results.showsFolders.value(row);
    case R::fileId: return f.id.toString(QUuid::WithoutBraces);
    case R::name: return f.name;
    case R::sizeText: return formatBytes(f.sizeInBytes);
    case R::selected: return f.isSelected;
    case R::leftoversText: return f.leftoverCount() == 0 ? QString() : leftovers();
    case R::leftoversList: return leftoversList(f);
    case R::iconSource: return itemIconSource(f.name, f.url);
    case R::folder: return homeRelativePath(parentPath(f.url), m_home);
    case R::accessibleName: {
        QStringList parts{f.name, homeRelativePath(parentPath(f.url), m_home), formatBytes(f.sizeInBytes)};
        if (f.leftoverCount() > 0)
            parts.append(leftovers().remove(u'·').trimmed());
        return parts.join(QStringLiteral(", "));
    }
    default: return {};
    }
}

FilePath CategoryListModel::locationOf(const QString& categoryId, const QString& fileId) const
{
    const int row = rowOf(categoryId);
    if (row < 0)
        return {};
    const QUuid id(fileId);
    for (const CleanupFile& f : m_results.categories.at(row).files)
        if (f.id == id)
            return f.url;
    return {};
}

bool CategoryListModel::toggleFile(const QString& categoryId, const QString& fileId)
{
    const int row = rowOf(categoryId);
    if (row < 0)
        return false;
    const QUuid id(fileId);
    const QList<CleanupFile>& files = m_results.categories.at(row).files;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (files.at(i).id == id) {
            const bool selected = !files.at(i).isSelected;
            setSelected(row, int(i), int(i), [selected](int) { return selected; });
            return true;
        }
    }
    return false;
}

bool CategoryListModel::toggleAll(const QString& categoryId)
{
    const int row = rowOf(categoryId);
    if (row < 0)
        return false;
    const CleanupCategory& category = m_results.categories.at(row);
    const qsizetype n = category.files.size();
    // A full box clears; anything less selects all, but a duplicate group's first copy stays
    // unselected: the group keeps it.
    const bool full = checkStateAt(row) == Qt::Checked;
    const int keep = category.isDuplicateGroup() ? 0 : -1;
    if (n > 0)
        setSelected(row, 0, int(n) - 1, [full, keep](int i) { return !full && i != keep; });
    return true;
}

bool CategoryListModel::toggleExpanded(const QString& categoryId)
{
    const int row = rowOf(categoryId);
    if (row < 0)
        return false;
    bool& expanded = m_results.categories[row].isExpanded;
    expanded = !expanded;
    categoryChanged(row, {int(Role::expanded)});
    m_rows->expandedChanged(row);
    return true;
}

void CategoryListModel::applyRemoval(const QSet<FilePath>& gone, const QHash<FilePath, qint64>& partly)
{
    if (!gone.isEmpty() || !partly.isEmpty())
        reset(withoutRemoved(m_results.categories, gone, partly));
}

PreparedResults CategoryListModel::withoutRemoved(const QList<CleanupCategory>& categories, const QSet<FilePath>& gone,
                                                  const QHash<FilePath, qint64>& partly)
{
    QList<CleanupCategory> left;
    left.reserve(categories.size());
    for (const CleanupCategory& category : categories) {
        QList<CleanupFile> kept;
        bool changed = false;
        for (qsizetype i = 0; i < category.files.size(); ++i) {
            const CleanupFile& f = category.files.at(i);
            const bool urlGone = gone.contains(f.url);
            bool partlyGone = partly.contains(f.url);
            FilePaths extrasLeft;
            QList<qint64> sizesLeft;
            qint64 extrasLeftSize = 0;
            for (qsizetype e = 0; e < f.extraURLs.size(); ++e) {
                if (gone.contains(f.extraURLs[e]))
                    continue;
                partlyGone |= partly.contains(f.extraURLs[e]);
                const qint64 s = partly.value(f.extraURLs[e], f.extraSizes.value(e, 0));
                extrasLeft.append(f.extraURLs[e]);
                sizesLeft.append(s);
                extrasLeftSize += s;
            }
            const bool untouched = !urlGone && !partlyGone && extrasLeft.size() == f.extraURLs.size();
            if (untouched && !changed)
                continue; // still the same as the list so far: copied only if something changes
            if (!changed) {
                kept = category.files.first(i);
                changed = true;
            }
            if (untouched) {
                kept.append(f);
            } else if (!urlGone || !extrasLeft.isEmpty()) {
                // Part of the item went: what stays is what is left of it, measured as scanned, or
                // as the removal found it where a folder went in part.
                CleanupFile rest = f;
                rest.extraURLs = extrasLeft;
                rest.extraSizes = sizesLeft;
                rest.sizeInBytes = (urlGone ? 0 : partly.value(f.url, f.ownSize())) + extrasLeftSize;
                kept.append(rest);
            }
        }
        if (!changed) {
            left.append(category);
        } else if (!kept.isEmpty()) {
            CleanupCategory c = category;
            c.files = std::move(kept);
            left.append(std::move(c));
        }
    }
    return PreparedResults::from(std::move(left));
}

void CategoryListModel::refreshTexts()
{
    m_rows->textsChanged();
    if (count() > 0)
        emit dataChanged(index(0), index(count() - 1), {int(Role::elementsText), int(Role::totalSizeText)});
}

} // namespace orvane
