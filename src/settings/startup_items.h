#pragma once

// The user's own startup items, each shown under a readable name and removable (stopped and moved
// to the Trash so it can be restored). macOS: the visible entries of ~/Library/LaunchAgents.
// Linux: the autostart entries of $XDG_CONFIG_HOME/autostart and the systemd user units enabled
// in $XDG_CONFIG_HOME/systemd/user/*.wants.

#include "locations.h"
#include "desktop_entry.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

#include <functional>

namespace orvane {

enum class StartupKind { launchAgent, autostartEntry, systemdUnit };

struct StartupItem {
    FilePath path; // what goes to the Trash; for a systemd unit, its link in a *.wants folder
    StartupKind kind = StartupKind::launchAgent;
    DesktopEntry entry; // an autostart entry's keys; empty when it could not be read
};

// The running platform's folders, asked anew on every call.
StartupFolders startupFolders();

// The items of `folders`, in the order the folders list them: every visible entry of the
// LaunchAgents folder, whatever its kind; the visible "*.desktop" autostart entries (except
// Orvane's own, which the open-at-login switch controls) that are not
// switched off (Hidden=true or X-GNOME-Autostart-enabled=false: such an entry hides a
// system-wide one, and removing it would switch that one on); each unit linked in a "*.wants"
// folder, once. Missing or unreadable folders give nothing.
QList<StartupItem> listStartupItems(const StartupFolders& folders);

// Readable name of a startup file: "com.example.keystone.agent.plist" -> "Example Keystone".
QString startupDisplayName(const QString& fileName);
// An item's name: Orvane's own autostart entry is "Orvane"; an autostart entry's Name in the first
// of `locales` that has one; else the readable name of its file.
QString startupDisplayName(const StartupItem& item, const QStringList& locales);

// `program unload PATH`, waited for at most `timeoutMs`; its outcome is not examined.
void unloadWithLaunchctl(const FilePath& item, const QString& program = QStringLiteral("/bin/launchctl"),
                         int timeoutMs = 30000);
// `program --user disable --now UNIT` for a unit name systemd could have made ("name.service"
// and the like, never one that reads as an option), waited for at most `timeoutMs`. True when
// it ran and exited 0.
bool disableSystemdUnit(const QByteArray& unit, const QString& program = QStringLiteral("systemctl"),
                        int timeoutMs = 30000);

// What removal and reveal do to the outside world; tests put recorders in their place.
struct StartupItemServices {
    std::function<void(const StartupItem&)> unload; // stop the item (launchctl, systemctl)
    std::function<bool(const FilePath&)> trash;
    std::function<void(const FilePath&)> reveal;

    // launchctl or systemctl, the desktop Trash, the file manager.
    static StartupItemServices system();
};

// Removes one item with `services`, in the order its kind needs:
// - a launch agent is unloaded while its file is still there, then trashed;
// - an autostart entry is trashed (the session reads the folder at login);
// - a systemd unit's link is trashed first, because `systemctl disable` deletes that very link
//   and the Trash must hold it for a restore to enable the unit again; then the unit is
//   disabled and stopped. A link that cannot be trashed is left enabled.
void removeStartupItem(const StartupItem& item, const StartupItemServices& services);

class StartupItemsModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum class Role {
        path = Qt::UserRole + 1, // readable absolute path
        fileName,                // last path component, extension included (the row's tooltip)
        displayName,
    };
    Q_ENUM(Role)

    // The user's startup folders with the system services.
    explicit StartupItemsModel(QObject* parent = nullptr);
    StartupItemsModel(const StartupFolders& folders, StartupItemServices services, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_items.size()); }
    const QList<StartupItem>& items() const { return m_items; }
    FilePath itemAt(int row) const;
    // The name shown for a listed item, in the current language; for one no longer listed, the
    // readable name of its file.
    QString displayName(const FilePath& item) const;

    // Lists the folders again, sorted by shown name.
    Q_INVOKABLE void refresh();
    Q_INVOKABLE void reveal(int row);
    // Removes a listed item on a worker thread (systemctl may take a while to stop a unit), then
    // lists again and emits removalFinished; failures only show in that listing.
    void removeItem(const FilePath& item);

signals:
    void countChanged();
    void removalFinished();

private:
    QStringList locales() const;
    // By shown name in the current language, case-insensitive, as the language sorts.
    void sortByName();

    StartupFolders m_folders;
    StartupItemServices m_services;
    QList<StartupItem> m_items;
};

} // namespace orvane
