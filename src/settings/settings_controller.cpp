#include "settings_controller.h"
#include "app_config.h"
#include "keep_list.h"
#include "paths.h"

namespace orvane {

SettingsController::SettingsController(QObject* parent)
    : SettingsController(new LaunchAtLogin, new StartupItemsModel, parent)
{
}

SettingsController::SettingsController(LaunchAtLogin* launchAtLogin, StartupItemsModel* startupItems,
                                       QObject* parent)
    : QObject(parent)
    , m_launchAtLogin(launchAtLogin)
    , m_startupItems(startupItems)
{
    m_launchAtLogin->setParent(this);
    m_startupItems->setParent(this);
    // Removing Orvane's own autostart entry switches open-at-login off.
    connect(m_startupItems, &StartupItemsModel::removalFinished, m_launchAtLogin, &LaunchAtLogin::refresh);
}

QString SettingsController::itemToRemoveName() const
{
    return m_itemToRemove.isEmpty() ? QString() : m_startupItems->displayName(m_itemToRemove);
}

void SettingsController::setShowRemoveConfirm(bool show)
{
    if (show == m_showRemoveConfirm)
        return;
    m_showRemoveConfirm = show;
    emit showRemoveConfirmChanged();
}

QString SettingsController::version()
{
    return QString::fromLatin1(config::version);
}

void SettingsController::refresh()
{
    m_launchAtLogin->refresh();
    m_startupItems->refresh();
    readKept();
}

void SettingsController::setLaunchAtLogin(bool on)
{
    m_launchAtLogin->setEnabled(on);
    m_startupItems->refresh(); // on Linux the login item is one of the autostart entries
}

void SettingsController::requestRemoval(int row)
{
    const FilePath item = m_startupItems->itemAt(row);
    if (item.isEmpty())
        return;
    if (item != m_itemToRemove) {
        m_itemToRemove = item;
        emit itemToRemoveChanged();
    }
    m_removalPending = true;
    setShowRemoveConfirm(true);
}

void SettingsController::confirmRemoval()
{
    setShowRemoveConfirm(false);
    // Once per request: a second press on a closing alert must not remove twice. The alert may
    // already have reported itself closed (showRemoveConfirm) before its button's action runs.
    if (!m_removalPending)
        return;
    m_removalPending = false;
    m_startupItems->removeItem(m_itemToRemove);
}

void SettingsController::cancelRemoval()
{
    m_removalPending = false;
    setShowRemoveConfirm(false);
}

void SettingsController::revealStartupItem(int row)
{
    m_startupItems->reveal(row);
}

void SettingsController::readKept()
{
    const FilePaths kept = keptPaths();
    if (kept == m_kept)
        return;
    m_kept = kept;
    emit keptItemsChanged();
}

QStringList SettingsController::keptItems() const
{
    QStringList items;
    for (const FilePath& path : m_kept)
        items << displayPath(path);
    return items;
}

void SettingsController::takeBack(int index)
{
    if (index < 0 || index >= m_kept.size())
        return;
    unkeepPath(m_kept.at(index));
    readKept();
}

} // namespace orvane
