#include "dashboard_controller.h"

#include "byte_format.h"
#include "engine.h"
#include "localization_manager.h"

namespace orvane {

DashboardController::DashboardController(QObject* parent)
    : QObject(parent)
{
    connect(this, &DashboardController::diskChanged, this, &DashboardController::textsChanged);
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this,
            &DashboardController::textsChanged);
}

double DashboardController::usedFraction() const
{
    return m_disk.usedFraction();
}

QString DashboardController::percentText() const
{
    return QString::number(int(usedFraction() * 100.0)) + u'%';
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
    m_disk = diskInfo();
    emit diskChanged();
}

} // namespace orvane
