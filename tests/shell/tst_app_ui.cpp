#include "app_setup.h"
#include "localization_manager.h"
#include "ui_driver.h"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QSettings>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)

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

QString text(QQuickItem* item)
{
    return item ? item->property("text").toString() : QStringLiteral("<missing>");
}

} // namespace

// Drives the whole application on a fixture home: onboarding, dashboard, Smart Care from
// introduction to done in both languages, and checks what reached the Trash.
class TestAppUi : public QObject
{
    Q_OBJECT

    QQmlApplicationEngine* m_engine = nullptr;
    QQuickWindow* m_window = nullptr;
    QString m_home;

    QQuickItem* item(const QString& name) { return findItem(m_window->contentItem(), name); }
    void clickItem(const QString& name)
    {
        QQuickItem* i = item(name);
        QVERIFY2(i, qPrintable(QStringLiteral("missing item ") + name));
        QVERIFY2(shown(i), qPrintable(QStringLiteral("hidden item ") + name));
        click(m_window, i);
    }

private slots:
    void initTestCase()
    {
        m_home = QDir::homePath();
        QVERIFY2(!m_home.startsWith(QStringLiteral("/root")), "tests run in their own home");
        QDir(m_home + QStringLiteral("/Library")).removeRecursively();
        QDir(m_home + QStringLiteral("/Downloads")).removeRecursively();
        QDir(m_home + QStringLiteral("/.Trash")).removeRecursively();
        QDir(m_home + QStringLiteral("/.local/share/Trash")).removeRecursively();
        // Smart Care's sources: caches and logs start selected, Downloads does not.
        writeFile(m_home + QStringLiteral("/Library/Caches/com.example.editor/cache.db"), 2'000'000);
        writeFile(m_home + QStringLiteral("/Library/Caches/thumbnails.bin"), 1'000'000);
        writeFile(m_home + QStringLiteral("/Library/Logs/editor.log"), 50'000);
        writeFile(m_home + QStringLiteral("/Downloads/installer.dmg"), 3'000'000);
        QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane")).remove(QStringLiteral("hasCompletedOnboarding"));

        LocalizationManager::shared().setLanguage(AppLanguage::en);
        setupApplication();
        m_engine = new QQmlApplicationEngine(this);
        setupEngine(*m_engine);
        m_engine->load(mainQmlUrl());
        QCOMPARE(m_engine->rootObjects().size(), 1);
        m_window = qobject_cast<QQuickWindow*>(m_engine->rootObjects().first());
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QCOMPARE(m_window->minimumSize(), QSize(960, 640));
        QCOMPARE(m_window->flags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    }

    void onboardingFinishesOnce()
    {
        QQuickItem* layer = item(QStringLiteral("onboardingLayer"));
        QVERIFY(layer && layer->isVisible());
        QTest::qWait(400);
        screenshot(m_window, QStringLiteral("00-onboarding"));
        // The onboarding screens are tested on their own; here only the root view's wiring:
        // finishing hides the layer and persists the flag.
        QObject* navigation = item(QStringLiteral("contentView"))->property("navigation").value<QObject*>();
        QVERIFY(navigation);
        QVERIFY(!navigation->property("onboardingDone").toBool());
        QVERIFY(QMetaObject::invokeMethod(navigation, "finishOnboarding"));
        QTRY_VERIFY(!layer->isVisible());
        QVERIFY(QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane")).value(QStringLiteral("hasCompletedOnboarding")).toBool());
    }

    void dashboardShowsDiskAndSections()
    {
        QTRY_VERIFY(shown(item(QStringLiteral("dashboard"))));
        QCOMPARE(text(item(QStringLiteral("analyzeNowText"))), QStringLiteral("Analyze now"));
        QCOMPARE(text(item(QStringLiteral("sectionCard_smart_title"))), QStringLiteral("Smart Care"));
        QCOMPARE(text(item(QStringLiteral("sectionCard_dup_title"))), QStringLiteral("Duplicates"));
        QVERIFY(text(item(QStringLiteral("dashboardPercent"))).endsWith(u'%'));
        QVERIFY(text(item(QStringLiteral("dashboardSummary"))).contains(QStringLiteral("  ·  ")));
        QVERIFY(!item(QStringLiteral("sidebar")));
        QTest::qWait(1300); // let the ring finish sweeping
        screenshot(m_window, QStringLiteral("01-dashboard"));

        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QCOMPARE(text(item(QStringLiteral("analyzeNowText"))), QStringLiteral("Analizar ahora"));
        QCOMPARE(text(item(QStringLiteral("sectionCard_smart_title"))), QStringLiteral("Cuidado inteligente"));
        QVERIFY(text(item(QStringLiteral("dashboardSummary"))).startsWith(QStringLiteral("libres  ·  ")));
        screenshot(m_window, QStringLiteral("02-dashboard-es"));
        LocalizationManager::shared().setLanguage(AppLanguage::en);
    }

    void sectionIntroduction()
    {
        clickItem(QStringLiteral("sectionCard_smart"));
        QTRY_VERIFY(shown(item(QStringLiteral("introView"))));
        QTRY_VERIFY(!item(QStringLiteral("dashboard")));
        QVERIFY(shown(item(QStringLiteral("sidebar"))));
        QCOMPARE(text(item(QStringLiteral("planTitle"))), QStringLiteral("Smart Care"));
        QVERIFY(text(item(QStringLiteral("diskHeadline"))).endsWith(QStringLiteral("% in use")));
        QVERIFY(text(item(QStringLiteral("diskDetail"))).contains(QStringLiteral(" free of ")));
        QTest::qWait(1300);
        screenshot(m_window, QStringLiteral("03-intro"));
    }

    void analyzeSelectAndMoveToTrash()
    {
        clickItem(QStringLiteral("analyzeButton"));
        QTRY_VERIFY_WITH_TIMEOUT(shown(item(QStringLiteral("resultsView"))), 15000);
        QCOMPARE(text(item(QStringLiteral("resultsTitle"))), QStringLiteral("Smart Care"));
        // Caches (3 MB, selected), Downloads (3 MB, not selected), Logs: heaviest first.
        QTRY_VERIFY(item(QStringLiteral("categoryCard_0")));
        QCOMPARE(text(item(QStringLiteral("categoryCard_0_name"))), QStringLiteral("Caches"));
        QCOMPARE(text(item(QStringLiteral("categoryCard_0_elements"))), QStringLiteral("2 items"));
        QCOMPARE(text(item(QStringLiteral("categoryCard_1_name"))), QStringLiteral("Downloads"));
        QCOMPARE(text(item(QStringLiteral("selectedText"))), QStringLiteral("Selected: 3.1 MB"));
        QCOMPARE(text(item(QStringLiteral("primaryButtonText"))), QStringLiteral("Delete"));
        QTest::qWait(1200); // entrance of the cards
        screenshot(m_window, QStringLiteral("04-results"));

        // Unselect the thumbnails; keep the editor's cache folder.
        clickItem(QStringLiteral("categoryCard_0_header"));
        QTRY_VERIFY(item(QStringLiteral("categoryCard_0_file_1")));
        QTest::qWait(700);
        QCOMPARE(text(item(QStringLiteral("categoryCard_0_file_0_name"))), QStringLiteral("com.example.editor"));
        clickItem(QStringLiteral("categoryCard_0_file_1_check"));
        QCOMPARE(text(item(QStringLiteral("selectedText"))), QStringLiteral("Selected: 2.1 MB"));
        QCOMPARE(item(QStringLiteral("categoryCard_0_check"))->property("name").toString(), QStringLiteral("minus.square.fill"));
        // Also select the download through its category box, then take it back.
        clickItem(QStringLiteral("categoryCard_1_check"));
        QCOMPARE(text(item(QStringLiteral("selectedText"))), QStringLiteral("Selected: 5.1 MB"));
        clickItem(QStringLiteral("categoryCard_1_check"));
        QCOMPARE(text(item(QStringLiteral("selectedText"))), QStringLiteral("Selected: 2.1 MB"));
        // The box does not expand its card.
        QVERIFY(!item(QStringLiteral("categoryCard_1_file_0")) || !shown(item(QStringLiteral("categoryCard_1_file_0"))));

        clickItem(QStringLiteral("removalStyle_trash"));
        QCOMPARE(text(item(QStringLiteral("primaryButtonText"))), QStringLiteral("Move to Trash"));
        screenshot(m_window, QStringLiteral("05-results-expanded"));

        // The same screen in Spanish, then back.
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QCOMPARE(text(item(QStringLiteral("resultsTitle"))), QStringLiteral("Cuidado inteligente"));
        QCOMPARE(text(item(QStringLiteral("selectedText"))), QStringLiteral("Seleccionado: 2,1 MB"));
        QCOMPARE(text(item(QStringLiteral("primaryButtonText"))), QStringLiteral("Mover a Papelera"));
        QCOMPARE(text(item(QStringLiteral("categoryCard_0_elements"))), QStringLiteral("2 elementos"));
        QCOMPARE(text(item(QStringLiteral("sidebarRow_smart_title"))), QStringLiteral("Cuidado inteligente"));
        screenshot(m_window, QStringLiteral("06-results-es"));
        LocalizationManager::shared().setLanguage(AppLanguage::en);

        // Confirmation: Escape cancels, then confirm for real.
        clickItem(QStringLiteral("primaryButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("confirmDialog"))));
        QCOMPARE(text(item(QStringLiteral("dialogTitle"))), QStringLiteral("Move to Trash?"));
        QCOMPARE(text(item(QStringLiteral("dialogMessage"))),
                 QStringLiteral("2.1 MB will be moved to the Trash. You can restore them from there."));
        QCOMPARE(text(item(QStringLiteral("dialogCancelText"))), QStringLiteral("Cancel"));
        QCOMPARE(text(item(QStringLiteral("dialogConfirmText"))), QStringLiteral("Move to Trash"));
        QTest::qWait(300);
        screenshot(m_window, QStringLiteral("07-confirm"));
        QTest::keyClick(m_window, Qt::Key_Escape);
        QTRY_VERIFY(!item(QStringLiteral("confirmDialog"))->isVisible());
        QVERIFY(shown(item(QStringLiteral("resultsView"))));

        clickItem(QStringLiteral("primaryButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("confirmDialog"))));
        clickItem(QStringLiteral("dialogConfirm"));
        QTRY_VERIFY(shown(item(QStringLiteral("cleaningView"))));
        QTest::qWait(500);
        screenshot(m_window, QStringLiteral("08-cleaning"));
        QTRY_VERIFY_WITH_TIMEOUT(shown(item(QStringLiteral("doneView"))), 15000);
        QCOMPARE(text(item(QStringLiteral("doneText"))), QStringLiteral("You moved 2.1 MB to the Trash"));
        QTest::qWait(900);
        screenshot(m_window, QStringLiteral("09-done"));

        // What was chosen is in the Trash; the rest is where it was.
        const QString trash = qEnvironmentVariable("XDG_DATA_HOME", m_home + QStringLiteral("/.local/share")) + QStringLiteral("/Trash/files");
        QVERIFY(QFileInfo::exists(trash + QStringLiteral("/com.example.editor/cache.db")));
        QVERIFY(QFileInfo::exists(trash + QStringLiteral("/editor.log")));
        QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/Library/Caches/com.example.editor")));
        QVERIFY(QFileInfo::exists(m_home + QStringLiteral("/Library/Caches/thumbnails.bin")));
        QVERIFY(QFileInfo::exists(m_home + QStringLiteral("/Downloads/installer.dmg")));
    }

    void backHomeAndOtherSections()
    {
        clickItem(QStringLiteral("doneBack"));
        QTRY_VERIFY(shown(item(QStringLiteral("introView"))));

        // Another section starts fresh; coming back to Smart Care shows its introduction.
        clickItem(QStringLiteral("sidebarRow_settings"));
        QTRY_COMPARE(item(QStringLiteral("detailView"))->property("sectionId").toString(), QStringLiteral("settings"));
        QVERIFY(!item(QStringLiteral("flowView")));
        QCOMPARE(text(item(QStringLiteral("sidebarRow_settings_title"))), QStringLiteral("Settings"));
        QTest::qWait(500);
        screenshot(m_window, QStringLiteral("10-settings"));
        clickItem(QStringLiteral("sidebarRow_dup"));
        QTRY_VERIFY(shown(item(QStringLiteral("introView"))));
        QCOMPARE(text(item(QStringLiteral("planTitle"))), QStringLiteral("Duplicates"));

        clickItem(QStringLiteral("homeButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("dashboard"))));
        QTRY_VERIFY(!item(QStringLiteral("sidebar")));
        clickItem(QStringLiteral("analyzeNow"));
        QTRY_VERIFY(shown(item(QStringLiteral("introView"))));
        QCOMPARE(text(item(QStringLiteral("planTitle"))), QStringLiteral("Smart Care"));
    }

    void cleanupTestCase()
    {
        delete m_engine;
    }
};

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    TestAppUi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app_ui.moc"
