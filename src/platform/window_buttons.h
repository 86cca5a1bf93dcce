#pragma once

// Which window buttons (close, minimize, maximize) the desktop shows, in what order and on which
// side, so the frameless window can draw its own the same way.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvane {

struct WindowButtonLayout {
    QStringList left;  // "close", "minimize", "maximize", from the left edge inwards
    QStringList right; // from the inside out to the right edge
    bool operator==(const WindowButtonLayout&) const = default;
};

// GNOME's org.gnome.desktop.wm.preferences button-layout, e.g. "appmenu:minimize,maximize,close".
WindowButtonLayout gnomeButtonLayout(const QString& setting);
// KWin's ButtonsOnLeft / ButtonsOnRight letters: X close, I minimize, A maximize.
WindowButtonLayout kdeButtonLayout(const QString& onLeft, const QString& onRight);
// The layout as written in a kwinrc file, or none when the file does not say.
std::optional<WindowButtonLayout> kdeButtonLayoutFromConfig(const QByteArray& kwinrc);

// ORVANE_WINDOW_BUTTONS (GNOME's form) when set, else what the running desktop publishes (KDE's
// kwinrc, GNOME's settings), else close on the right after minimize and maximize. A layout
// without close is ignored. Reads files and settings: call it off the GUI thread.
WindowButtonLayout desktopButtonLayout();

} // namespace orvane
