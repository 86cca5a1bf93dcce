#include "app_setup.h"
#include "localization_manager.h"
#include "ui_driver.h"

#include <QFile>
#include <QQmlApplicationEngine>
#include <QSettings>

using namespace orvane;
using namespace orvane::testing;

namespace {

void writeFile(const QString& path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
}

} // namespace

// Space, Settings and About inside the whole window, reached the ways a user reaches them
// (dashboard cards and buttons, the sidebar), with a language switch in Settings redrawing
// every screen at once. With ORVANE_SCREENSHOTS set it leaves a picture of each screen.
class TestScreensInApp : public QObject
{
    Q_OBJECT

    QQmlApplicationEngine* m_engine = nullptr;
    QQuickWindow* m_window = nullptr;

    QQuickItem* item(const QString& name) const { return findItem(m_window->contentItem(), name); }
    QString text(const QString& name) const
    {
        QQuickItem* i = item(name);
        return i ? i->property("text").toString() : QStringLiteral("<no %1>").arg(name);
    }
    void clickItem(const QString& name)
    {
        QQuickItem* i = item(name);
        QVERIFY2(i, qPrintable(QStringLiteral("missing item ") + name));
        QVERIFY2(shown(i), qPrintable(QStringLiteral("hidden item ") + name));
        click(m_window, i);
    }
    void spaceLoaded()
    {
        QTRY_VERIFY_WITH_TIMEOUT(shown(item(QStringLiteral("spaceContent"))), 20000);
    }
    // Only the detail screen of `sectionId` is there (none of another section's, no stand-in).
    void onlyScreen(const QString& screen)
    {
        for (const QString& other : {QStringLiteral("spaceView"), QStringLiteral("settingsView"),
                                     QStringLiteral("aboutView"), QStringLiteral("flowView")})
            if (other != screen)
                QVERIFY2(!item(other) || !shown(item(other)), qPrintable(other));
        QTRY_VERIFY(shown(item(screen)));
    }

private slots:
    void initTestCase()
    {
        // A home of the test's own (or the demo home the caller points HOME at).
        const QString home = QDir::homePath();
        QVERIFY2(!home.startsWith(QStringLiteral("/root")), "tests run in their own home");
        if (!QFileInfo::exists(home + QStringLiteral("/Documents")))
            writeFile(home + QStringLiteral("/Documents/Work/plan.odt"), 2'000'000);
        if (!QFileInfo::exists(home + QStringLiteral("/Downloads")))
            writeFile(home + QStringLiteral("/Downloads/video.mp4"), 1'000'000);
        qputenv("ORVANE_UPDATE_FEED", "http://127.0.0.1:9/appcast.xml"); // no outside network
        QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane")).setValue(QStringLiteral("hasCompletedOnboarding"), true);
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        setupApplication();
        m_engine = new QQmlApplicationEngine(this);
        setupEngine(*m_engine);
        m_engine->load(mainQmlUrl());
        QCOMPARE(m_engine->rootObjects().size(), 1);
        m_window = qobject_cast<QQuickWindow*>(m_engine->rootObjects().first());
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QTRY_VERIFY(shown(item(QStringLiteral("dashboard"))));
    }

    void spaceFromTheDashboard()
    {
        clickItem(QStringLiteral("sectionCard_space"));
        onlyScreen(QStringLiteral("spaceView"));
        spaceLoaded();
        QCOMPARE(text(QStringLiteral("spaceTitle")), QStringLiteral("Where did your space go?"));
        QVERIFY(item(QStringLiteral("spaceRow_0")));
        QTest::qWait(500);
        screenshot(m_window, QStringLiteral("app-space-en"));
        clickItem(QStringLiteral("spaceRow_0"));
        spaceLoaded();
        QVERIFY(shown(item(QStringLiteral("folderHeader"))));
        QTest::qWait(300);
        screenshot(m_window, QStringLiteral("app-space-drilled-en"));
    }

    void settingsFromTheSidebarAndLanguageEverywhere()
    {
        clickItem(QStringLiteral("sidebarRow_settings"));
        onlyScreen(QStringLiteral("settingsView"));
        QCOMPARE(text(QStringLiteral("settingsTitle")), QStringLiteral("Settings"));
        QTest::qWait(400);
        screenshot(m_window, QStringLiteral("app-settings-en"));

        // Español from the chooser: this screen and the sidebar beside it switch at once.
        clickItem(QStringLiteral("languageOption_es"));
        QCOMPARE(text(QStringLiteral("settingsTitle")), QStringLiteral("Ajustes"));
        QCOMPARE(text(QStringLiteral("sidebarRow_settings_title")), QStringLiteral("Ajustes"));
        QCOMPARE(text(QStringLiteral("sidebarRow_space_title")), QStringLiteral("Espacio"));
        QCOMPARE(text(QStringLiteral("currentVersionLabel")), QStringLiteral("Versión actual: 1.0"));
        QTest::qWait(600);
        screenshot(m_window, QStringLiteral("app-settings-es"));

        // Coming back to Space starts it afresh, at the top, in Spanish.
        clickItem(QStringLiteral("sidebarRow_space"));
        onlyScreen(QStringLiteral("spaceView"));
        spaceLoaded();
        QVERIFY(shown(item(QStringLiteral("diskCard"))));
        QCOMPARE(text(QStringLiteral("spaceTitle")), QStringLiteral("¿A dónde se fue tu espacio?"));
        QVERIFY(text(QStringLiteral("usageText")).contains(QStringLiteral(" usados de ")));
        QTest::qWait(300);
        screenshot(m_window, QStringLiteral("app-space-es"));
    }

    void aboutInBothLanguages()
    {
        clickItem(QStringLiteral("sidebarRow_about"));
        onlyScreen(QStringLiteral("aboutView"));
        QCOMPARE(text(QStringLiteral("aboutVersion")), QStringLiteral("Versión 1.0"));
        QTest::qWait(300);
        screenshot(m_window, QStringLiteral("app-about-es"));
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QCOMPARE(text(QStringLiteral("aboutVersion")), QStringLiteral("Version 1.0"));
        QCOMPARE(text(QStringLiteral("sidebarRow_about_title")), QStringLiteral("About"));
        screenshot(m_window, QStringLiteral("app-about-en"));

        // Home, then About from the dashboard's own button.
        clickItem(QStringLiteral("homeButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("dashboard"))));
        clickItem(QStringLiteral("dashboardAbout"));
        onlyScreen(QStringLiteral("aboutView"));
        clickItem(QStringLiteral("sidebarRow_settings"));
        onlyScreen(QStringLiteral("settingsView"));
    }
};

QTEST_MAIN(TestScreensInApp)
#include "tst_screens_in_app.moc"
