#include "shell_models.h"

#include "app_config.h"
#include "byte_format.h"
#include "catalogue.h"
#include "desktop_services.h"
#include "engine.h"
#include "localization_manager.h"
#include "palette.h"

#include <QEasingCurve>
#include <QSettings>

namespace orvane {

// ---- SectionListModel ----

SectionListModel::SectionListModel(QObject* parent)
    : QAbstractListModel(parent)
{
    // Titles are looked up again on every read; a language change only needs a redraw.
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, [this] {
        if (rowCount() > 0)
            emit dataChanged(index(0), index(rowCount() - 1), {int(Role::title)});
    });
}

QList<SidebarSection> SectionListModel::sections() const
{
    return m_group == Group::Main ? mainSections() : bottomSections();
}

int SectionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : (m_group == Group::Main ? 6 : 2);
}

QVariant SectionListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QList<SidebarSection> all = sections();
    if (index.row() >= all.size())
        return {};
    const SidebarSection& s = all[index.row()];
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
    endResetModel();
    emit groupChanged();
}

QString SectionListModel::idAt(int row) const
{
    const QList<SidebarSection> all = sections();
    return row >= 0 && row < all.size() ? all[row].id : QString();
}

// ---- DashboardController ----

DashboardController::DashboardController(QObject* parent)
    : DashboardController([] { return diskInfo(); }, parent)
{
}

DashboardController::DashboardController(std::function<DiskInfo()> disk, QObject* parent)
    : QObject(parent)
    , m_diskQuery(std::move(disk))
{
    QEasingCurve easeOut(QEasingCurve::BezierSpline);
    easeOut.addCubicBezierSegment(QPointF(0.0, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    m_ring.setDuration(1100);
    m_ring.setEasingCurve(easeOut);
    connect(&m_ring, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_ringFill = v.toDouble();
        emit ringFillChanged();
    });
    connect(this, &DashboardController::diskChanged, this, &DashboardController::textsChanged);
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this,
            &DashboardController::textsChanged);
}

int DashboardController::percent() const
{
    if (m_disk.total < 1)
        return 0;
    return int(double(m_disk.total - m_disk.free) / double(m_disk.total) * 100.0);
}

QString DashboardController::percentText() const
{
    return QString::number(percent()) + u'%';
}

QString DashboardController::freeText() const
{
    return formatBytes(m_disk.free);
}

QString DashboardController::summaryText() const
{
    return t(QStringLiteral("dashboard.summary"), {percentText(), formatBytes(m_disk.total)});
}

void DashboardController::refresh()
{
    m_disk = m_diskQuery ? m_diskQuery() : DiskInfo{};
    emit diskChanged();
    m_ring.stop();
    m_ringFill = 0;
    emit ringFillChanged();
    m_ring.setStartValue(0.0);
    m_ring.setEndValue(m_disk.total >= 1 ? double(m_disk.total - m_disk.free) / double(m_disk.total) : 0.0);
    m_ring.start();
}

void DashboardController::hover(const QString& sectionId)
{
    if (sectionId != m_hoveredID) {
        m_hoveredID = sectionId;
        emit hoveredIDChanged();
    }
}

void DashboardController::unhover(const QString& sectionId)
{
    // Only the card holding the hover clears it, whatever order enter and leave arrive in.
    if (!m_hoveredID.isEmpty() && sectionId == m_hoveredID) {
        m_hoveredID.clear();
        emit hoveredIDChanged();
    }
}

// ---- Navigation ----

Navigation::Navigation(QObject* parent)
    : QObject(parent)
    , m_onboardingDone(QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane")).value(onboardingKey, false).toBool())
{
}

void Navigation::select(const QString& sectionId)
{
    if (sectionId == m_selectedId)
        return;
    m_selectedId = sectionId;
    emit selectedIdChanged();
}

void Navigation::home()
{
    select(QString());
}

void Navigation::finishOnboarding()
{
    QSettings settings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
    settings.setValue(onboardingKey, true);
    settings.sync();
    if (!m_onboardingDone) {
        m_onboardingDone = true;
        emit onboardingDoneChanged();
    }
}

bool Links::donate() const
{
    return openUrl(QUrl(QString::fromLatin1(config::donationUrl)));
}

} // namespace orvane
