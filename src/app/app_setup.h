#pragma once

#include <QUrl>

class QQmlEngine;

namespace orvane {

// Process-wide look: fonts, the Controls style, names used by the settings store.
void setupApplication();
// Import path of the built-in QML modules, the item icon provider and the icon font.
void setupEngine(QQmlEngine& engine);
// The window.
QUrl mainQmlUrl();

} // namespace orvane
