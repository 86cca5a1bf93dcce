#include "category_model.h"

#include "byte_format.h"
#include "icons.h"
#include "localization_manager.h"
#include "paths.h"

#include <QSet>

namespace orvane {

QString categoryCheckState(const QList<CleanupFile>& files)
{
    qsizetype selected = 0;
    for (const CleanupFile& f : files)
        selected += f.isSelected ? 1 : 0;
    // A category without files counts as fully selected.
    if (selected == files.size())
        return QStringLiteral("checkmark.square.fill");
    if (selected == 0)
        return QStringLiteral("square");
    return QStringLiteral("minus.square.fill");
}

// ---- FileListModel ----

FileListModel::FileListModel(QList<CleanupFile> files, QObject* parent)
    : QAbstractListModel(parent)
    , m_files(std::move(files))
{
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_files.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CleanupFile& f = m_files[index.row()];
    switch (Role(role)) {
    case Role::fileId: return f.id.toString(QUuid::WithoutBraces);
    case Role::name: return f.name;
    case Role::path: return displayPath(f.url);
    case Role::sizeInBytes: return f.sizeInBytes;
    case Role::sizeText: return formatBytes(f.sizeInBytes);
    case Role::selected: return f.isSelected;
    case Role::leftoverCount: return int(f.extraURLs.size());
    case Role::leftoversText:
        return f.extraURLs.isEmpty() ? QString()
                                     : t(QStringLiteral("results.leftovers"), {QString::number(f.extraURLs.size())});
    case Role::iconSource: return itemIconSource(f.name, f.url);
    }
    return {};
}

QHash<int, QByteArray> FileListModel::roleNames() const
{
    return {
        {int(Role::fileId), "fileId"},
        {int(Role::name), "name"},
        {int(Role::path), "path"},
        {int(Role::sizeInBytes), "sizeInBytes"},
        {int(Role::sizeText), "sizeText"},
        {int(Role::selected), "selected"},
        {int(Role::leftoverCount), "leftoverCount"},
        {int(Role::leftoversText), "leftoversText"},
        {int(Role::iconSource), "iconSource"},
    };
}

int FileListModel::rowOf(const QString& fileId) const
{
    const QUuid id(fileId);
    for (qsizetype i = 0; i < m_files.size(); ++i)
        if (m_files[i].id == id)
            return int(i);
    return -1;
}

void FileListModel::setSelected(int row, bool selected)
{
    if (row < 0 || row >= m_files.size() || m_files[row].isSelected == selected)
        return;
    m_files[row].isSelected = selected;
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {int(Role::selected)});
}

void FileListModel::setAllSelected(bool selected)
{
    for (int row = 0; row < m_files.size(); ++row)
        setSelected(row, selected);
}

void FileListModel::updateRow(int row, const CleanupFile& file)
{
    if (row < 0 || row >= m_files.size())
        return;
    m_files[row] = file;
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

void FileListModel::removeRow(int row)
{
    if (row < 0 || row >= m_files.size())
        return;
    beginRemoveRows({}, row, row);
    m_files.removeAt(row);
    endRemoveRows();
}

void FileListModel::refreshTexts()
{
    if (m_files.isEmpty())
        return;
    emit dataChanged(index(0), index(int(m_files.size()) - 1),
                     {int(Role::sizeText), int(Role::leftoversText)});
}

// ---- CategoryListModel ----

CategoryListModel::CategoryListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int CategoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CategoryListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows[index.row()];
    const QList<CleanupFile>& files = r.files->files();
    switch (Role(role)) {
    case Role::categoryId: return r.id.toString(QUuid::WithoutBraces);
    case Role::name: return r.name;
    case Role::icon: return r.icon;
    case Role::files: return QVariant::fromValue(static_cast<QObject*>(r.files));
    case Role::fileCount: return int(files.size());
    case Role::elementsText: return t(QStringLiteral("results.elements"), {QString::number(files.size())});
    case Role::totalSize: {
        qint64 sum = 0;
        for (const CleanupFile& f : files)
            sum += f.sizeInBytes;
        return sum;
    }
    case Role::totalSizeText: return formatBytes(data(index, int(Role::totalSize)).toLongLong());
    case Role::selectedSize: {
        qint64 sum = 0;
        for (const CleanupFile& f : files)
            sum += f.isSelected ? f.sizeInBytes : 0;
        return sum;
    }
    case Role::checkState: return categoryCheckState(files);
    case Role::expanded: return r.expanded;
    }
    return {};
}

QHash<int, QByteArray> CategoryListModel::roleNames() const
{
    return {
        {int(Role::categoryId), "categoryId"},
        {int(Role::name), "name"},
        {int(Role::icon), "icon"},
        {int(Role::files), "files"},
        {int(Role::fileCount), "fileCount"},
        {int(Role::elementsText), "elementsText"},
        {int(Role::totalSize), "totalSize"},
        {int(Role::totalSizeText), "totalSizeText"},
        {int(Role::selectedSize), "selectedSize"},
        {int(Role::checkState), "checkState"},
        {int(Role::expanded), "expanded"},
    };
}

void CategoryListModel::reset(const QList<CleanupCategory>& categories)
{
    const int before = count();
    beginResetModel();
    // The old file models may still be referenced by delegates being torn down: delete later.
    for (Row& r : m_rows)
        r.files->deleteLater();
    m_rows.clear();
    for (const CleanupCategory& c : categories) {
        Row r;
        r.id = c.id;
        r.name = c.name;
        r.icon = c.icon;
        r.expanded = c.isExpanded;
        r.files = new FileListModel(c.files, this);
        m_rows.append(r);
    }
    endResetModel();
    if (count() != before)
        emit countChanged();
    emit selectionChanged();
}

QList<CleanupCategory> CategoryListModel::categories() const
{
    QList<CleanupCategory> out;
    out.reserve(m_rows.size());
    for (const Row& r : m_rows) {
        CleanupCategory c;
        c.id = r.id;
        c.name = r.name;
        c.icon = r.icon;
        c.isExpanded = r.expanded;
        c.files = r.files->files();
        out.append(c);
    }
    return out;
}

qint64 CategoryListModel::selectedTotal() const
{
    qint64 sum = 0;
    for (const Row& r : m_rows)
        for (const CleanupFile& f : r.files->files())
            sum += f.isSelected ? f.sizeInBytes : 0;
    return sum;
}

int CategoryListModel::rowOf(const QString& categoryId) const
{
    const QUuid id(categoryId);
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].id == id)
            return int(i);
    return -1;
}

FileListModel* CategoryListModel::filesAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].files : nullptr;
}

void CategoryListModel::categoryChanged(int row, const QList<int>& roles)
{
    const QModelIndex i = index(row);
    emit dataChanged(i, i, roles);
}

bool CategoryListModel::toggleFile(const QString& categoryId, const QString& fileId)
{
    const int row = rowOf(categoryId);
    if (row < 0)
        return false;
    FileListModel* files = m_rows[row].files;
    const int fileRow = files->rowOf(fileId);
    if (fileRow < 0)
        return false;
    files->setSelected(fileRow, !files->files()[fileRow].isSelected);
    categoryChanged(row, {int(Role::checkState), int(Role::selectedSize)});
    emit selectionChanged();
    return true;
}

bool CategoryListModel::toggleAll(const QString& categoryId)
{
    const int row = rowOf(categoryId);
    if (row < 0)
        return false;
    FileListModel* files = m_rows[row].files;
    bool all = true;
    for (const CleanupFile& f : files->files())
        all = all && f.isSelected;
    // All selected (or none there) clears; anything less selects all.
    files->setAllSelected(!all);
    categoryChanged(row, {int(Role::checkState), int(Role::selectedSize)});
    emit selectionChanged();
    return true;
}

bool CategoryListModel::toggleExpanded(const QString& categoryId)
{
    const int row = rowOf(categoryId);
    if (row < 0)
        return false;
    m_rows[row].expanded = !m_rows[row].expanded;
    categoryChanged(row, {int(Role::expanded)});
    return true;
}

void CategoryListModel::applyRemoval(const QSet<FilePath>& gone, const QHash<FilePath, qint64>& partly)
{
    if (gone.isEmpty() && partly.isEmpty())
        return;
    for (int row = count() - 1; row >= 0; --row) {
        FileListModel* model = m_rows[row].files;
        for (int fr = int(model->files().size()) - 1; fr >= 0; --fr) {
            CleanupFile f = model->files()[fr];
            const bool urlGone = gone.contains(f.url);
            FilePaths extrasLeft;
            QList<qint64> sizesLeft;
            qint64 extrasLeftSize = 0;
            bool changed = partly.contains(f.url);
            for (qsizetype e = 0; e < f.extraURLs.size(); ++e) {
                if (gone.contains(f.extraURLs[e]))
                    continue;
                changed |= partly.contains(f.extraURLs[e]);
                const qint64 s = partly.value(f.extraURLs[e], e < f.extraSizes.size() ? f.extraSizes[e] : 0);
                extrasLeft.append(f.extraURLs[e]);
                sizesLeft.append(s);
                extrasLeftSize += s;
            }
            if (urlGone && extrasLeft.isEmpty()) {
                model->removeRow(fr);
                continue;
            }
            if (!urlGone && !changed && extrasLeft.size() == f.extraURLs.size())
                continue; // untouched
            // Part of the item went: what stays is what is left of it, measured as scanned, or
            // as the removal found it where a folder went in part.
            const qint64 own = urlGone ? 0 : partly.value(f.url, f.ownSize());
            f.extraURLs = extrasLeft;
            f.extraSizes = sizesLeft;
            f.sizeInBytes = own + extrasLeftSize;
            model->updateRow(fr, f);
        }
        if (model->files().isEmpty()) {
            beginRemoveRows({}, row, row);
            m_rows.takeAt(row).files->deleteLater();
            endRemoveRows();
        } else {
            categoryChanged(row, {});
        }
    }
    emit countChanged();
    emit selectionChanged();
}

void CategoryListModel::refreshTexts()
{
    for (Row& r : m_rows)
        r.files->refreshTexts();
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(count() - 1), {int(Role::elementsText), int(Role::totalSizeText)});
}

} // namespace orvane
