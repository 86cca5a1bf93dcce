#pragma once

// Helpers for tests that drive the real QML like a user: find items by objectName, click them.

#include <QDir>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

namespace orvane::testing {

inline QQuickItem* findItem(QQuickItem* root, const QString& name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, name))
            return found;
    return nullptr;
}

inline bool shown(QQuickItem* item)
{
    for (QQuickItem* i = item; i; i = i->parentItem())
        if (!i->isVisible() || i->opacity() <= 0.0)
            return false;
    return item != nullptr;
}

inline void click(QQuickWindow* window, QQuickItem* item)
{
    QVERIFY2(item, "no item to click");
    const QPoint at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    QTest::mouseMove(window, at);
    QTest::mouseClick(window, Qt::LeftButton, {}, at);
}

// Saves the window into $ORVANE_SCREENSHOTS/<name>.png when that variable is set.
inline void screenshot(QQuickWindow* window, const QString& name)
{
    const QString dir = qEnvironmentVariable("ORVANE_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    window->grabWindow().save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace orvane::testing
