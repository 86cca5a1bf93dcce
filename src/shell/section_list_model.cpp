#include "section_list_model.h"

#include "catalogue.h"
#include "localization_manager.h"
#include "palette.h"

namespace orvane {

SectionListModel::SectionListModel(QObject* parent)
    : QAbstractListModel(parent)
    , m_sections(mainSections())
{
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, [this] {
        m_sections = m_group == Group::Main ? mainSections() : bottomSections();
        if (rowCount() > 0)
            emit dataChanged(index(0), index(rowCount() - 1), {int(Role::title)});
    });
}

int SectionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_sections.size());
}

QVariant SectionListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SidebarSection& s = m_sections[index.row()];
    switch (Role(role)) {
    case Role::sectionId: return s.id;
    case Role::title: return s.title;
    case Role::icon: return s.icon;
    case Role::accent: return accentColor(s.id);
    }
    return {};
}

QHash<int, QByteArray> SectionListModel::roleNames() const
{
    return {{int(Role::sectionId), "sectionId"}, {int(Role::title), "title"}, {int(Role::icon), "icon"},
            {int(Role::accent), "accent"}};
}

void SectionListModel::setGroup(Group group)
{
    if (group == m_group)
        return;
    beginResetModel();
    m_group = group;
    m_sections = group == Group::Main ? mainSections() : bottomSections();
    endResetModel();
    emit groupChanged();
}

QString SectionListModel::idAt(int row) const
{
    return row >= 0 && row < m_sections.size() ? m_sections[row].id : QString();
}

} // namespace orvane
