#include "localization_manager.h"
#include "ui_driver.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)

using namespace orvane;
using namespace orvane::testing;

// Drives the whole application on a fixture home the ways a user does: dashboard, Smart Care
// from introduction to done (checking what reached the Trash), then Space, Settings and About
// through the dashboard and the sidebar, with a language switch in Settings redrawing every
// screen at once. With ORVANE_SCREENSHOTS set it leaves a picture of each screen.
class TestAppUi : public QObject
{
    Q_OBJECT

    AppHost m_app;
    QString m_home;

    QQuickItem* item(const QString& name) const { return m_app.item(name); }
    QString text(const QString& name) const { return m_app.text(name); }
    void clickItem(const QString& name) { m_app.clickItem(name); }
    // Only `screen` of the detail screens is there (none of another section's, no stand-in).
    void onlyScreen(const QString& screen)
    {
        for (const char* other : {"spaceView", "settingsView", "aboutView", "flowView"})
            if (QLatin1String(other) != screen)
                QVERIFY2(!item(QLatin1String(other)) || !shown(item(QLatin1String(other))), other);
        QTRY_VERIFY(shown(item(screen)));
    }
    void spaceLoaded() { QTRY_VERIFY_WITH_TIMEOUT(shown(item(QStringLiteral("spaceContent"))), 20000); }

private slots:
    void initTestCase()
    {
        m_home = QDir::homePath();
        for (const char* dir : {"/.cache", "/.local/share/xorg", "/Downloads", "/Documents", "/.local/share/Trash"})
            QDir(m_home + QLatin1String(dir)).removeRecursively();
        // Smart Care's sources: caches and logs start selected, Downloads does not.
        writeFile(m_home + QStringLiteral("/.cache/com.example.editor/cache.db"), 2'000'000);
        writeFile(m_home + QStringLiteral("/.cache/thumbnails.bin"), 1'000'000);
        writeFile(m_home + QStringLiteral("/.local/share/xorg/editor.log"), 50'000);
        writeFile(m_home + QStringLiteral("/Downloads/installer.dmg"), 3'000'000);
        writeFile(m_home + QStringLiteral("/Documents/Work/plan.odt"), 2'000'000);
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QVERIFY(m_app.load(true));
        QCOMPARE(m_app.window()->minimumSize(), QSize(960, 640));
        QCOMPARE(m_app.window()->flags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    }

    void dashboardShowsDiskAndSections()
    {
        QTRY_VERIFY(shown(item(QStringLiteral("dashboard"))));
        QCOMPARE(text(QStringLiteral("sectionCard_smart_title")), QStringLiteral("Smart Care"));
        QVERIFY(text(QStringLiteral("dashboardPercent")).endsWith(u'%'));
        QVERIFY(text(QStringLiteral("dashboardSummary")).contains(QStringLiteral("  ·  ")));
        QVERIFY(!item(QStringLiteral("sidebar")));
        m_app.snap(QStringLiteral("01-dashboard"), 1300);
    }

    void sectionIntroduction()
    {
        clickItem(QStringLiteral("sectionCard_smart"));
        QTRY_VERIFY(shown(item(QStringLiteral("introView"))));
        QTRY_VERIFY(!item(QStringLiteral("dashboard")));
        QVERIFY(shown(item(QStringLiteral("sidebar"))));
        QCOMPARE(text(QStringLiteral("planTitle")), QStringLiteral("Smart Care"));
        QVERIFY(text(QStringLiteral("diskHeadline")).endsWith(QStringLiteral("% in use")));
        m_app.snap(QStringLiteral("03-intro"), 1300);
    }

    void analyzeSelectAndMoveToTrash()
    {
        clickItem(QStringLiteral("analyzeButton"));
        QTRY_VERIFY_WITH_TIMEOUT(shown(item(QStringLiteral("resultsView"))), 15000);
        // Caches (3 MB, selected), Downloads (3 MB, not selected), Logs: heaviest first.
        QTRY_VERIFY(item(QStringLiteral("categoryCard_2"))); // the list makes its cards as it lays out
        QCOMPARE(text(QStringLiteral("categoryCard_0_name")), QStringLiteral("Caches"));
        QCOMPARE(text(QStringLiteral("categoryCard_0_elements")), QStringLiteral("2 items"));
        QCOMPARE(text(QStringLiteral("categoryCard_1_name")), QStringLiteral("Downloads"));
        QCOMPARE(text(QStringLiteral("selectedText")), QStringLiteral("Selected: 3.1 MB"));
        QTest::qWait(1200); // the cards' entrance, before clicking into them
        m_app.snap(QStringLiteral("04-results"));

        // Unselect the thumbnails; keep the editor's cache folder.
        clickItem(QStringLiteral("categoryCard_0_header"));
        QTRY_VERIFY(item(QStringLiteral("categoryCard_0_file_1")));
        QTest::qWait(700);
        QCOMPARE(text(QStringLiteral("categoryCard_0_file_0_name")), QStringLiteral("com.example.editor"));
        clickItem(QStringLiteral("categoryCard_0_file_1_check"));
        QCOMPARE(text(QStringLiteral("selectedText")), QStringLiteral("Selected: 2.1 MB"));
        QCOMPARE(item(QStringLiteral("categoryCard_0_check"))->property("name").toString(), QStringLiteral("minus.square.fill"));
        // Also select the download through its category box, then take it back.
        clickItem(QStringLiteral("categoryCard_1_check"));
        QCOMPARE(text(QStringLiteral("selectedText")), QStringLiteral("Selected: 5.1 MB"));
        clickItem(QStringLiteral("categoryCard_1_check"));
        QCOMPARE(text(QStringLiteral("selectedText")), QStringLiteral("Selected: 2.1 MB"));
        // The box does not expand its card.
        QVERIFY(!item(QStringLiteral("categoryCard_1_file_0")) || !shown(item(QStringLiteral("categoryCard_1_file_0"))));

        clickItem(QStringLiteral("removalStyle_trash"));
        QCOMPARE(text(QStringLiteral("primaryButtonText")), QStringLiteral("Move to Trash"));
        // Sizes follow the language's number format.
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QCOMPARE(text(QStringLiteral("selectedText")), QStringLiteral("Seleccionado: 2,1 MB"));
        QCOMPARE(text(QStringLiteral("primaryButtonText")), QStringLiteral("Mover a Papelera"));
        m_app.snap(QStringLiteral("06-results-es"));
        LocalizationManager::shared().setLanguage(AppLanguage::en);

        // Confirmation: Escape cancels, then confirm for real.
        clickItem(QStringLiteral("primaryButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("confirmDialog"))));
        QCOMPARE(text(QStringLiteral("dialogMessage")),
                 QStringLiteral("2.1 MB will be moved to the Trash. You can restore them from there."));
        m_app.snap(QStringLiteral("07-confirm"), 300);
        QTest::keyClick(m_app.window(), Qt::Key_Escape);
        QTRY_VERIFY(!item(QStringLiteral("confirmDialog"))->isVisible());
        QVERIFY(shown(item(QStringLiteral("resultsView"))));

        clickItem(QStringLiteral("primaryButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("confirmDialog"))));
        clickItem(QStringLiteral("dialogConfirm"));
        QTRY_VERIFY_WITH_TIMEOUT(shown(item(QStringLiteral("doneView"))), 15000);
        QCOMPARE(text(QStringLiteral("doneText")), QStringLiteral("You moved 2.1 MB to the Trash"));
        m_app.snap(QStringLiteral("09-done"), 900);

        // What was chosen is in the Trash; the rest is where it was.
        const QString trash = qEnvironmentVariable("XDG_DATA_HOME", m_home + QStringLiteral("/.local/share")) + QStringLiteral("/Trash/files");
        QVERIFY(QFileInfo::exists(trash + QStringLiteral("/com.example.editor/cache.db")));
        QVERIFY(QFileInfo::exists(trash + QStringLiteral("/editor.log")));
        QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/.cache/com.example.editor")));
        QVERIFY(QFileInfo::exists(m_home + QStringLiteral("/.cache/thumbnails.bin")));
        QVERIFY(QFileInfo::exists(m_home + QStringLiteral("/Downloads/installer.dmg")));
    }

    void backHomeAndOtherSections()
    {
        clickItem(QStringLiteral("doneBack"));
        QTRY_VERIFY(shown(item(QStringLiteral("introView"))));
        // Another section starts fresh; coming back to a flow section shows its introduction.
        clickItem(QStringLiteral("sidebarRow_dup"));
        QTRY_VERIFY(shown(item(QStringLiteral("introView"))));
        QCOMPARE(text(QStringLiteral("planTitle")), QStringLiteral("Duplicates"));
        clickItem(QStringLiteral("homeButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("dashboard"))));
        QTRY_VERIFY(!item(QStringLiteral("sidebar")));
        clickItem(QStringLiteral("analyzeNow"));
        QTRY_VERIFY(shown(item(QStringLiteral("introView"))));
        QCOMPARE(text(QStringLiteral("planTitle")), QStringLiteral("Smart Care"));
        clickItem(QStringLiteral("homeButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("dashboard"))));
    }

    void spaceFromTheDashboard()
    {
        clickItem(QStringLiteral("sectionCard_space"));
        onlyScreen(QStringLiteral("spaceView"));
        spaceLoaded();
        QVERIFY(item(QStringLiteral("spaceRow_0")));
        m_app.snap(QStringLiteral("app-space-en"), 500);
        clickItem(QStringLiteral("spaceRow_0"));
        spaceLoaded();
        QVERIFY(shown(item(QStringLiteral("folderHeader"))));
    }

    void settingsFromTheSidebarAndLanguageEverywhere()
    {
        clickItem(QStringLiteral("sidebarRow_settings"));
        onlyScreen(QStringLiteral("settingsView"));
        QVERIFY(!item(QStringLiteral("flowView")));
        m_app.snap(QStringLiteral("app-settings-en"), 400);

        // Español from the chooser: this screen and the sidebar beside it switch at once.
        clickItem(QStringLiteral("languageOption_es"));
        QCOMPARE(text(QStringLiteral("settingsTitle")), QStringLiteral("Ajustes"));
        QCOMPARE(text(QStringLiteral("sidebarRow_space_title")), QStringLiteral("Espacio"));
        QCOMPARE(text(QStringLiteral("currentVersionLabel")), QStringLiteral("Versión actual: 1.0"));
        m_app.snap(QStringLiteral("app-settings-es"), 600);

        // Coming back to Space starts it afresh, at the top, in Spanish.
        clickItem(QStringLiteral("sidebarRow_space"));
        onlyScreen(QStringLiteral("spaceView"));
        spaceLoaded();
        QVERIFY(shown(item(QStringLiteral("diskCard"))));
        QCOMPARE(text(QStringLiteral("spaceTitle")), QStringLiteral("¿A dónde se fue tu espacio?"));
    }

    void aboutFromSidebarAndDashboard()
    {
        clickItem(QStringLiteral("sidebarRow_about"));
        onlyScreen(QStringLiteral("aboutView"));
        QCOMPARE(text(QStringLiteral("aboutVersion")), QStringLiteral("Versión 1.0"));
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QCOMPARE(text(QStringLiteral("sidebarRow_about_title")), QStringLiteral("About"));
        clickItem(QStringLiteral("homeButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("dashboard"))));
        clickItem(QStringLiteral("dashboardAbout"));
        onlyScreen(QStringLiteral("aboutView"));
        clickItem(QStringLiteral("sidebarRow_settings"));
        onlyScreen(QStringLiteral("settingsView"));
    }

    // 20,000 cache entries: the card opens, the list scrolls to its last row with only about a
    // screenful of rows made, and that last row alone is chosen and goes to the Trash.
    void longResultScrollsToTheEndAndRemoves()
    {
        const QString caches = m_home + QStringLiteral("/.cache");
        for (const QFileInfo& left : QDir(caches).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            if (!left.fileName().startsWith(QLatin1String("orvane")))
                left.isDir() ? void(QDir(left.filePath()).removeRecursively()) : void(QFile::remove(left.filePath()));
        // Caches is then the only category: nothing in Downloads or in the Trash the tours filled.
        QDir(m_home + QStringLiteral("/Downloads")).removeRecursively();
        QDir(qEnvironmentVariable("XDG_DATA_HOME", m_home + QStringLiteral("/.local/share")) + QStringLiteral("/Trash")).removeRecursively();
        writeFile(caches + QStringLiteral("/zz-smallest"), 1); // the last row: sizes run largest first
        for (int i = 0; i < 20000; ++i) {
            QFile entry(caches + QStringLiteral("/entry-%1").arg(i, 5, 10, QLatin1Char('0')));
            QVERIFY(entry.open(QIODevice::WriteOnly) && entry.write("0123456789") == 10);
        }
        clickItem(QStringLiteral("sidebarRow_smart"));
        onlyScreen(QStringLiteral("flowView"));
        clickItem(QStringLiteral("analyzeButton"));
        QTRY_VERIFY_WITH_TIMEOUT(shown(item(QStringLiteral("resultsView"))), 30000);
        QTRY_COMPARE(text(QStringLiteral("categoryCard_0_elements")), QStringLiteral("20001 items"));
        QTRY_COMPARE(item(QStringLiteral("categoryCard_0"))->opacity(), 1.0); // entered
        clickItem(QStringLiteral("categoryCard_0_header"));
        QTRY_VERIFY(item(QStringLiteral("categoryCard_0_file_0")));
        clickItem(QStringLiteral("categoryCard_0_check")); // all selected: clears them
        QCOMPARE(text(QStringLiteral("selectedText")), QStringLiteral("Selected: Zero KB"));

        QMetaObject::invokeMethod(item(QStringLiteral("resultsScroller")), "positionViewAtEnd");
        QTRY_VERIFY(shown(item(QStringLiteral("categoryCard_0_file_20000"))));
        QCOMPARE(text(QStringLiteral("categoryCard_0_file_20000_name")), QStringLiteral("zz-smallest"));
        int rows = 0;
        const QRegularExpression rowName(QStringLiteral("^categoryCard_0_file_\\d+$"));
        std::function<void(QQuickItem*)> countRows = [&](QQuickItem* i) {
            rows += rowName.match(i->objectName()).hasMatch();
            for (QQuickItem* child : i->childItems())
                countRows(child);
        };
        countRows(m_app.window()->contentItem());
        QVERIFY2(rows < 200, qPrintable(QString::number(rows)));
        m_app.snap(QStringLiteral("10-long-results-end"), 500);

        clickItem(QStringLiteral("categoryCard_0_file_20000_check"));
        QCOMPARE(text(QStringLiteral("selectedText")), QStringLiteral("Selected: 1 byte"));
        clickItem(QStringLiteral("removalStyle_trash"));
        clickItem(QStringLiteral("primaryButton"));
        QTRY_VERIFY(shown(item(QStringLiteral("confirmDialog"))));
        clickItem(QStringLiteral("dialogConfirm"));
        QTRY_VERIFY_WITH_TIMEOUT(shown(item(QStringLiteral("doneView"))), 15000);
        QCOMPARE(text(QStringLiteral("doneText")), QStringLiteral("You moved 1 byte to the Trash"));
        QVERIFY(!QFileInfo::exists(caches + QStringLiteral("/zz-smallest")));
        QVERIFY(QFileInfo::exists(caches + QStringLiteral("/entry-19999")));
    }
};

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    TestAppUi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app_ui.moc"
