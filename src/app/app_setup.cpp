#include "app_setup.h"

#include "icons.h"
#include "item_icon_provider.h"
#include "symbols.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_ShellPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_FlowPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_SettingsPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_SpacePlugin)

namespace orvane {

void setupApplication()
{
    QGuiApplication::setOrganizationName(QStringLiteral("Orvane"));
    QGuiApplication::setApplicationName(QStringLiteral("Orvane"));
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    loadSymbolFont();
    QFont font(QStringLiteral("Inter"));
    font.setPixelSize(13);
    QGuiApplication::setFont(font);
}

void setupEngine(QQmlEngine& engine)
{
    engine.addImportPath(QStringLiteral("qrc:/"));
    loadSymbolFont();
    engine.addImageProvider(QLatin1String(itemIconProviderId), new ItemIconProvider);
}

QUrl mainQmlUrl()
{
    return QUrl(QStringLiteral("qrc:/Orvane/App/Main.qml"));
}

} // namespace orvane
