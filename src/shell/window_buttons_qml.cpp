#include "window_buttons_qml.h"

#include <QtConcurrent/QtConcurrentRun>

namespace orvane {

WindowButtons::WindowButtons(QObject* parent)
    : QObject(parent)
    , m_layout{{}, {QStringLiteral("minimize"), QStringLiteral("maximize"), QStringLiteral("close")}}
{
    connect(&m_reader, &QFutureWatcher<WindowButtonLayout>::finished, this, [this] {
        const WindowButtonLayout layout = m_reader.result();
        if (layout == m_layout)
            return;
        m_layout = layout;
        emit layoutChanged();
    });
    m_reader.setFuture(QtConcurrent::run(desktopButtonLayout));
}

} // namespace orvane
