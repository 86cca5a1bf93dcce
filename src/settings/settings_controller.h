#pragma once

// State of the settings screen: the open-at-login toggle, the startup items and the removal alert.
// The language chooser talks to the shared LocalizationManager and the updates card to the Updater.

#include "launch_at_login.h"
#include "startup_items.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class SettingsController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(orvane::LaunchAtLogin* launchAtLogin READ launchAtLogin CONSTANT)
    Q_PROPERTY(orvane::StartupItemsModel* startupItems READ startupItems CONSTANT)
    // The name of the item whose removal the alert asks about; kept after the alert closes.
    Q_PROPERTY(QString itemToRemoveName READ itemToRemoveName NOTIFY itemToRemoveChanged)
    // Writable so that a dialog closed by Escape or a click outside can report it.
    Q_PROPERTY(bool showRemoveConfirm READ showRemoveConfirm WRITE setShowRemoveConfirm NOTIFY
                   showRemoveConfirmChanged)
    Q_PROPERTY(QString version READ version CONSTANT)
    // The keep-list, as readable paths in the order they were added.
    Q_PROPERTY(QStringList keptItems READ keptItems NOTIFY keptItemsChanged)

public:
    // The real login item and startup folder; the list is read by refresh().
    explicit SettingsController(QObject* parent = nullptr);
    // Takes ownership of both.
    SettingsController(LaunchAtLogin* launchAtLogin, StartupItemsModel* startupItems, QObject* parent = nullptr);

    LaunchAtLogin* launchAtLogin() const { return m_launchAtLogin; }
    StartupItemsModel* startupItems() const { return m_startupItems; }
    QString itemToRemoveName() const;
    bool showRemoveConfirm() const { return m_showRemoveConfirm; }
    void setShowRemoveConfirm(bool show);
    static QString version();

    // Reads the login-item status and lists the startup items; run when the screen first shows.
    Q_INVOKABLE void refresh();
    Q_INVOKABLE void setLaunchAtLogin(bool on);

    // The row's remove button: remembers the item and shows the alert.
    Q_INVOKABLE void requestRemoval(int row);
    // The alert's destructive button: hides the alert and removes the remembered item on a worker
    // thread; the list is read again when that ends.
    Q_INVOKABLE void confirmRemoval();
    // The alert's cancel button: hides the alert and changes nothing else.
    Q_INVOKABLE void cancelRemoval();
    Q_INVOKABLE void revealStartupItem(int row);

    QStringList keptItems() const;
    // Takes an item off the keep-list: plans offer it again.
    Q_INVOKABLE void takeBack(int index);

signals:
    void itemToRemoveChanged();
    void keptItemsChanged();
    void showRemoveConfirmChanged();

private:
    LaunchAtLogin* m_launchAtLogin;
    StartupItemsModel* m_startupItems;
    FilePath m_itemToRemove;
    bool m_showRemoveConfirm = false;
    bool m_removalPending = false; // requested, neither confirmed nor cancelled yet
    FilePaths m_kept;
    void readKept();
};

} // namespace orvane
