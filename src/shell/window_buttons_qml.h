#pragma once

// The desktop's window buttons for QML: which ones, in what order, on which side. Starts with
// close on the right and takes the desktop's layout once a worker has read it.

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "window_buttons.h"

namespace orvane {

class WindowButtons : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QStringList left READ left NOTIFY layoutChanged)
    Q_PROPERTY(QStringList right READ right NOTIFY layoutChanged)

public:
    explicit WindowButtons(QObject* parent = nullptr);
    QStringList left() const { return m_layout.left; }
    QStringList right() const { return m_layout.right; }

signals:
    void layoutChanged();

private:
    WindowButtonLayout m_layout;
    QFutureWatcher<WindowButtonLayout> m_reader;
};

} // namespace orvane
