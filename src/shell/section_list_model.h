#pragma once

#include "model_types.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// The sections the sidebar and the dashboard show, titles in the current language.
class SectionListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(Group group READ group WRITE setGroup NOTIFY groupChanged)

public:
    enum class Group { Main, Bottom };
    Q_ENUM(Group)
    enum class Role { sectionId = Qt::UserRole + 1, title, icon, accent };
    Q_ENUM(Role)

    explicit SectionListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    Group group() const { return m_group; }
    void setGroup(Group group);
    Q_INVOKABLE QString idAt(int row) const;

signals:
    void groupChanged();

private:
    Group m_group = Group::Main;
    QList<SidebarSection> m_sections; // built again when the group or the language changes
};

} // namespace orvane
