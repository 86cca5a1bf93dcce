#pragma once

// Helpers for tests that drive the real QML like a user: find items by objectName, click them,
// and the window hosts every UI test shares (one screen on its own, or the whole application).

#include "app_setup.h"
#include "test_home.h"

#include <QDir>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QTest>
#include <QtQuickTest/quicktest.h>

#include <utility>

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

// Whether a click at the item's centre reaches it: inside the window and inside every clipping
// ancestor (not in a drawer still opening, nor in a list scrolled past it).
inline bool reachable(QQuickItem* item)
{
    const QPointF at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    for (QQuickItem* i = item->parentItem(); i; i = i->parentItem())
        if (i->clip() && !i->contains(i->mapFromScene(at)))
            return false;
    return item->window() && QRectF(QPointF(), item->window()->size()).contains(at);
}

// QTest's events carry a clock of their own, so two clicks on one spot are never a double click.
inline void click(QQuickWindow* window, QQuickItem* item)
{
    QVERIFY2(item, "no item to click");
    // A list that just became visible (or moved) lays its rows out at the next polish: aim after it.
    QVERIFY(QQuickTest::qWaitForPolish(window));
    // The pointer arrives first, as a hand's would; the click goes where the item is once it can
    // be reached (a press and its release reach the window with no frame between them).
    const auto centre = [item] { return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint(); };
    QTest::mouseMove(window, centre());
    // A press on a list that is still moving only stops it, and a row still sliding into place
    // is somewhere else by the time a loaded machine draws: wait until both have come to rest.
    QPoint last(-1, -1);
    const auto atRest = [&] {
        for (QQuickItem* i = item->parentItem(); i; i = i->parentItem())
            if (i->property("moving").toBool())
                return false;
        const QPoint now = centre();
        return std::exchange(last, now) == now;
    };
    QTRY_VERIFY2(shown(item) && reachable(item) && atRest(), qPrintable(item->objectName() + QStringLiteral(" out of reach")));
    QTest::mouseClick(window, Qt::LeftButton, {}, centre());
}

// Saves the window into $ORVANE_SCREENSHOTS/<name>.png when that variable is set, after letting
// the animations run for `settleMs` (only then: without screenshots nobody waits).
inline void screenshot(QQuickWindow* window, const QString& name, int settleMs = 0)
{
    const QString dir = qEnvironmentVariable("ORVANE_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QTest::qWait(settleMs);
    QDir().mkpath(dir);
    window->grabWindow().save(dir + u'/' + name + QStringLiteral(".png"));
}

inline void writeFile(const QString& path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
}

// Stands in for the browser and the mail client: records what would have been opened
// (install it with QDesktopServices::setUrlHandler(scheme, &recorder, "open")).
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

inline QSettings appSettings()
{
    return QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
}

// Item lookups by objectName in whatever window a host shows.
class UiHost
{
public:
    virtual ~UiHost() = default;
    virtual QQuickWindow* window() const = 0;
    QQuickItem* item(const QString& name) const { return window() ? findItem(window()->contentItem(), name) : nullptr; }
    QString text(const QString& name) const
    {
        QQuickItem* i = item(name);
        return i ? i->property("text").toString() : QStringLiteral("<no %1>").arg(name);
    }
    // Clicks the item once a user could see it (after its entrance, say).
    void clickItem(const QString& name) const
    {
        QQuickItem* i = item(name);
        QVERIFY2(i, qPrintable(QStringLiteral("missing item ") + name));
        QTRY_VERIFY2(shown(i), qPrintable(QStringLiteral("hidden item ") + name));
        click(window(), i);
    }
    void snap(const QString& name, int settleMs = 0) const { screenshot(window(), name, settleMs); }
};

// The whole application window, loaded from Main.qml in the test's own home, with the update
// feed at a closed loopback port unless the test set one, and onboarding done or not.
class AppHost : public UiHost
{
public:
    bool load(bool onboardingDone)
    {
        if (!inOwnTestHome())
            return false; // tests run in their own home
        if (qEnvironmentVariableIsEmpty("ORVANE_UPDATE_FEED"))
            qputenv("ORVANE_UPDATE_FEED", "http://127.0.0.1:9/appcast.xml");
        appSettings().setValue(QStringLiteral("hasCompletedOnboarding"), onboardingDone);
        setupApplication();
        setupEngine(m_engine);
        m_engine.load(mainQmlUrl());
        if (m_engine.rootObjects().size() != 1)
            return false;
        m_window = qobject_cast<QQuickWindow*>(m_engine.rootObjects().first());
        return m_window && QTest::qWaitForWindowExposed(m_window);
    }
    QQuickWindow* window() const override { return m_window; }
    QQmlEngine& engine() { return m_engine; }

private:
    QQmlApplicationEngine m_engine;
    QQuickWindow* m_window = nullptr;
};

} // namespace orvane::testing
