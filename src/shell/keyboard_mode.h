#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// Whether the user works with the keyboard: from a key press to the next pointer press. Focus
// rings show only then, so a click leaves no ring behind.
class KeyboardMode : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)

public:
    explicit KeyboardMode(QObject* parent = nullptr);
    bool active() const { return m_active; }

signals:
    void activeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_active = false;
};

} // namespace orvane
