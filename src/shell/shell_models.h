#pragma once

#include "model_types.h"

#include <QAbstractListModel>
#include <QColor>
#include <QObject>
#include <QVariantAnimation>
#include <QtQml/qqmlregistration.h>

#include <functional>

namespace orvane {

// The sections the sidebar and the dashboard show, titles in the current language.
class SectionListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(Group group READ group WRITE setGroup NOTIFY groupChanged)
    Q_PROPERTY(int count READ rowCountProperty NOTIFY groupChanged)

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
    int rowCountProperty() const { return rowCount(); }
    Q_INVOKABLE QString idAt(int row) const;

signals:
    void groupChanged();

private:
    QList<SidebarSection> sections() const;
    Group m_group = Group::Main;
};

// The home dashboard's own state: disk figures, the animated ring and the hovered card.
class DashboardController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qint64 diskTotal READ diskTotal NOTIFY diskChanged)
    Q_PROPERTY(qint64 diskFree READ diskFree NOTIFY diskChanged)
    Q_PROPERTY(int percentInUse READ percent NOTIFY diskChanged)
    Q_PROPERTY(double ringFill READ ringFill NOTIFY ringFillChanged)
    Q_PROPERTY(QString hoveredID READ hoveredID NOTIFY hoveredIDChanged)
    Q_PROPERTY(QString percentText READ percentText NOTIFY diskChanged)
    Q_PROPERTY(QString freeText READ freeText NOTIFY textsChanged)
    Q_PROPERTY(QString summaryText READ summaryText NOTIFY textsChanged)

public:
    explicit DashboardController(QObject* parent = nullptr);
    DashboardController(std::function<DiskInfo()> disk, QObject* parent = nullptr);

    qint64 diskTotal() const { return m_disk.total; }
    qint64 diskFree() const { return m_disk.free; }
    int percent() const;
    double ringFill() const { return m_ringFill; }
    QString hoveredID() const { return m_hoveredID; }
    QString percentText() const;
    QString freeText() const;
    QString summaryText() const;

    // Reads the disk again and sweeps the ring from empty to the fraction in use.
    Q_INVOKABLE void refresh();
    Q_INVOKABLE void hover(const QString& sectionId);
    Q_INVOKABLE void unhover(const QString& sectionId);

signals:
    void diskChanged();
    void ringFillChanged();
    void hoveredIDChanged();
    void textsChanged();

private:
    std::function<DiskInfo()> m_diskQuery;
    DiskInfo m_disk;
    double m_ringFill = 0;
    QString m_hoveredID;
    QVariantAnimation m_ring;
};

// The root view's navigation: the selected section (none = dashboard) and the onboarding flag.
class Navigation : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString selectedId READ selectedId WRITE select NOTIFY selectedIdChanged)
    Q_PROPERTY(bool onboardingDone READ onboardingDone NOTIFY onboardingDoneChanged)

public:
    static inline const QString onboardingKey = QStringLiteral("hasCompletedOnboarding");

    explicit Navigation(QObject* parent = nullptr);

    QString selectedId() const { return m_selectedId; }
    Q_INVOKABLE void select(const QString& sectionId);
    Q_INVOKABLE void home();
    bool onboardingDone() const { return m_onboardingDone; }
    // Persisted at once; never reset by the application.
    Q_INVOKABLE void finishOnboarding();

signals:
    void selectedIdChanged();
    void onboardingDoneChanged();

private:
    QString m_selectedId;
    bool m_onboardingDone = false;
};

// Opens the donation page in the web browser.
class Links : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    Q_INVOKABLE bool donate() const;
};

} // namespace orvane
