#include "keyboard_mode.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace orvane {

KeyboardMode::KeyboardMode(QObject* parent)
    : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool KeyboardMode::eventFilter(QObject* watched, QEvent* event)
{
    // Every input event reaches its window first; its items see it after.
    if (!qobject_cast<QWindow*>(watched))
        return false;
    const bool key = event->type() == QEvent::KeyPress;
    const bool pointer = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::TouchBegin;
    if ((key && !m_active) || (pointer && m_active)) {
        m_active = key;
        emit activeChanged();
    }
    return false;
}

} // namespace orvane
