#include "result_rows.h"

#include "category_model.h"

#include <algorithm>

namespace orvane {

ResultRowsModel::ResultRowsModel(CategoryListModel* owner)
    : QAbstractListModel(owner)
    , m_owner(owner)
    , m_starts{0}
{
}

int ResultRowsModel::rowsOf(int category) const
{
    return 1 + (m_owner->isExpandedAt(category) ? m_owner->fileCountAt(category) : 0);
}

void ResultRowsModel::reset()
{
    beginResetModel();
    const int n = m_owner->count();
    m_starts.resize(n + 1);
    m_starts[0] = 0;
    for (int c = 0; c < n; ++c)
        m_starts[c + 1] = m_starts[c] + rowsOf(c);
    endResetModel();
}

int ResultRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_starts.constLast();
}

int ResultRowsModel::categoryOfRow(int row) const
{
    return int(std::upper_bound(m_starts.cbegin(), m_starts.cend(), row) - m_starts.cbegin()) - 1;
}

int ResultRowsModel::rowAt(int category, int file) const
{
    if (category < 0 || category + 1 >= m_starts.size())
        return -1;
    const int row = m_starts.at(category) + 1 + file;
    return file >= -1 && row < m_starts.at(category + 1) ? row : -1;
}

QVariant ResultRowsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int category = categoryOfRow(index.row());
    const int file = index.row() - m_starts.at(category) - 1;
    switch (Role(role)) {
    case Role::isHeader: return file < 0;
    case Role::category: return category;
    case Role::file: return file;
    case Role::cardEnd: return index.row() + 1 == m_starts.at(category + 1);
    default: break;
    }
    const QVariant value = file < 0 ? m_owner->headerRole(category, Role(role)) : m_owner->fileRole(category, file, Role(role));
    if (value.isValid() || role < int(Role::isHeader) || role > int(Role::accessibleName))
        return value;
    // What a header has not of a file and a file not of a header: empty of the role's type, so a
    // reused row takes it as it takes any other value.
    switch (Role(role)) {
    case Role::checkState: return int(Qt::Unchecked);
    case Role::expanded:
    case Role::showsFolders:
    case Role::selected: return false;
    default: return QString();
    }
}

QHash<int, QByteArray> ResultRowsModel::roleNames() const
{
    return {
        {int(Role::isHeader), "isHeader"},
        {int(Role::category), "category"},
        {int(Role::file), "file"},
        {int(Role::cardEnd), "cardEnd"},
        {int(Role::categoryId), "categoryId"},
        {int(Role::name), "name"},
        {int(Role::icon), "icon"},
        {int(Role::elementsText), "elementsText"},
        {int(Role::totalSizeText), "totalSizeText"},
        {int(Role::checkState), "checkState"},
        {int(Role::expanded), "expanded"},
        {int(Role::showsFolders), "showsFolders"},
        {int(Role::fileId), "fileId"},
        {int(Role::sizeText), "sizeText"},
        {int(Role::selected), "selected"},
        {int(Role::leftoversText), "leftoversText"},
        {int(Role::leftoversList), "leftoversList"},
        {int(Role::iconSource), "iconSource"},
        {int(Role::folder), "folder"},
        {int(Role::accessibleName), "accessibleName"},
    };
}

void ResultRowsModel::headerChanged(int category, const QList<int>& roles)
{
    const QModelIndex i = index(m_starts.at(category));
    emit dataChanged(i, i, roles);
}

void ResultRowsModel::filesChanged(int category, int first, int last, const QList<int>& roles)
{
    if (!m_owner->isExpandedAt(category))
        return;
    emit dataChanged(index(rowAt(category, first)), index(rowAt(category, last)), roles);
}

void ResultRowsModel::expandedChanged(int category)
{
    const int files = m_owner->fileCountAt(category);
    const int first = m_starts.at(category) + 1;
    const bool open = m_owner->isExpandedAt(category);
    if (files > 0) {
        if (open)
            beginInsertRows({}, first, first + files - 1);
        else
            beginRemoveRows({}, first, first + files - 1);
        for (qsizetype c = category + 1; c < m_starts.size(); ++c)
            m_starts[c] += open ? files : -files;
        if (open)
            endInsertRows();
        else
            endRemoveRows();
    }
    headerChanged(category, {int(Role::expanded), int(Role::cardEnd)});
}

void ResultRowsModel::textsChanged()
{
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1),
                         {int(Role::elementsText), int(Role::totalSizeText), int(Role::sizeText),
                          int(Role::leftoversText), int(Role::leftoversList), int(Role::accessibleName)});
}

} // namespace orvane
