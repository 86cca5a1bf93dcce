#pragma once

// Opening Orvane at login through the XDG autostart folder: the entry
// $XDG_CONFIG_HOME/autostart/orvane.desktop (default ~/.config) is the login item.

#include "model_types.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// Where the login item lives, read from the environment on every call; empty when the autostart
// folder lies outside the home folder (nothing is then read or written).
FilePath autostartEntryPath();

// One Exec argument quoted as desktop entries want it (quotes, backslash escapes, "%%").
QString desktopExecArgument(const QString& argument);

// The whole entry that starts `executable` at login.
QByteArray autostartEntryContents(const QString& executable);

// On exactly when the entry exists, can be read and is not switched off
// (Hidden=true, or X-GNOME-Autostart-enabled=false).
bool autostartEnabled(const FilePath& entry);

// Writes the entry atomically; an identical entry is left untouched. False when it cannot be written.
bool registerAutostart(const FilePath& entry, const QString& executable);
// Removes the entry; true when none is left.
bool unregisterAutostart(const FilePath& entry);

// The open-at-login toggle. `enabled` is always what the file system says after the last
// attempt, never what was asked for: a failed registration leaves it off.
class LaunchAtLogin : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // enabledChanged is emitted after every attempt, even when the state did not move, so a
    // switch that flipped itself on click can be set back to the real state.
    Q_PROPERTY(bool enabled READ enabled NOTIFY enabledChanged)

public:
    // The user's autostart entry, starting this very program.
    explicit LaunchAtLogin(QObject* parent = nullptr);
    LaunchAtLogin(const FilePath& entry, const QString& executable, QObject* parent = nullptr);

    bool enabled() const { return m_enabled; }
    FilePath entryPath() const { return m_entry; }

    // Registers or unregisters (failures are not reported), then reads the status again.
    Q_INVOKABLE void setEnabled(bool on);
    // Reads the status again.
    Q_INVOKABLE void refresh();

signals:
    void enabledChanged();

private:
    FilePath m_entry;
    QString m_executable;
    bool m_enabled = false;
};

} // namespace orvane
