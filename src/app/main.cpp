#include "localization_manager.h"

#include <QGuiApplication>
#include <QQuickWindow>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("Orvane"));
    app.setApplicationName(QStringLiteral("Orvane"));
    orvane::LocalizationManager::shared();

    QQuickWindow window;
    window.setTitle(QStringLiteral("Orvane"));
    window.setMinimumSize(QSize(960, 640));
    window.resize(1100, 720);
    window.show();
    return app.exec();
}
