#pragma once

// Shows one screen of the real QML, on its own, in a window set up the way the application sets
// up its own (fonts, style, icon font, image provider, the built-in modules).

#include "ui_driver.h"

#include <QQmlComponent>
#include <QQmlEngine>

#include <memory>

namespace orvane::testing {

class ScreenHost : public UiHost
{
public:
    ScreenHost() { setupEngine(m_engine); }

    // `body` is the QML of the window's content; the root Window may take `initial` properties
    // (declare them in `rootProperties`, e.g. "property var controller").
    bool show(const QByteArray& imports, const QByteArray& body, const QVariantMap& initial = {},
              const QByteArray& rootProperties = {}, QSize size = QSize(1100, 720))
    {
        QQmlComponent component(&m_engine);
        const QByteArray qml = "import QtQuick\nimport QtQuick.Window\n" + imports + "\nWindow {\n"
                               + "    width: " + QByteArray::number(size.width()) + "; height: "
                               + QByteArray::number(size.height()) + "\n    color: \"#140a24\"\n    visible: true\n"
                               + rootProperties + "\n" + body + "\n}\n";
        component.setData(qml, QUrl(QStringLiteral("qrc:/ScreenHost.qml")));
        QObject* created = component.createWithInitialProperties(initial);
        m_window.reset(qobject_cast<QQuickWindow*>(created));
        if (!m_window) {
            delete created;
            m_error = component.errorString();
            return false;
        }
        return QTest::qWaitForWindowExposed(m_window.get());
    }

    QString error() const { return m_error; }
    QQmlEngine& engine() { return m_engine; }
    QQuickWindow* window() const override { return m_window.get(); }
    void close() { m_window.reset(); }

private:
    QQmlEngine m_engine; // outlives the window
    std::unique_ptr<QQuickWindow> m_window;
    QString m_error;
};

} // namespace orvane::testing
