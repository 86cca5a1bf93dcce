#pragma once

// The user's own startup items: the visible entries of ~/Library/LaunchAgents, each shown under
// a readable name and removable (unloaded first, then moved to the Trash so it can be restored).

#include "model_types.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

#include <functional>

namespace orvane {

// home folder + "Library/LaunchAgents", asked anew on every call.
FilePath startupFolder();

// Visible entries (names not starting with ".") in the order the folder lists them, whatever
// their kind or extension. A missing or unreadable folder gives an empty list.
FilePaths listStartupItems(const FilePath& folder);

// Readable name of a startup item: "com.example.keystone.agent.plist" -> "Example Keystone".
QString startupDisplayName(const QString& fileName);
QString startupDisplayName(const FilePath& item);

// Runs `program unload PATH` as a child process (argument list, no shell) and waits for it.
// Its outcome is not examined; a program that cannot start is skipped. One that hangs is
// stopped after `timeoutMs` so the window is never frozen for good.
void unloadWithLaunchctl(const FilePath& item, const QString& program = QStringLiteral("/bin/launchctl"),
                         int timeoutMs = 30000);

// What removal and reveal do to the outside world; tests put recorders in their place.
struct StartupItemServices {
    std::function<void(const FilePath&)> unload;
    std::function<bool(const FilePath&)> trash;
    std::function<void(const FilePath&)> reveal;

    // /bin/launchctl, the desktop Trash, the file manager.
    static StartupItemServices system();
};

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

    // The user's startup folder with the system services.
    explicit StartupItemsModel(QObject* parent = nullptr);
    StartupItemsModel(const FilePath& folder, StartupItemServices services, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_items.size()); }
    const FilePaths& items() const { return m_items; }
    FilePath itemAt(int row) const;

    // Lists the folder again.
    Q_INVOKABLE void refresh();
    Q_INVOKABLE void reveal(int row);
    // Unload, move to the Trash, list again; failures only show in the next listing.
    void removeItem(const FilePath& item);

signals:
    void countChanged();

private:
    FilePath m_folder;
    StartupItemServices m_services;
    FilePaths m_items;
};

} // namespace orvane
