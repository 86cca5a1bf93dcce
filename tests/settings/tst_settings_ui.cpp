#include "localization_manager.h"
#include "paths.h"
#include "screen_host.h"
#include "settings_controller.h"
#include "test_home.h"
#include "trash.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>

using namespace orvane;
using namespace orvane::testing;

namespace {

FilePath enc(const QString& path)
{
    return QFile::encodeName(path);
}

// What removal and reveal did, in order. The unloader is a fake (there is no launchd here); the
// Trash is the real one of the test's home.
struct Recorder {
    QStringList events;
    StartupItemServices services()
    {
        return {
            [this](const StartupItem& item) {
                events << QStringLiteral("unload %1 %2").arg(displayPath(item.path),
                                                             QFileInfo::exists(QFile::decodeName(item.path)) ? "present" : "gone");
            },
            [this](const FilePath& item) {
                const bool ok = moveToTrash(item);
                events << QStringLiteral("trash %1 %2").arg(displayPath(item), ok ? "ok" : "failed");
                return ok;
            },
            [this](const FilePath& item) { events << QStringLiteral("reveal %1").arg(displayPath(item)); },
        };
    }
};

} // namespace

// The settings screen driven like a user: language chooser, open at login, startup items with
// their confirmation alert, in both languages.
class TestSettingsUi : public QObject
{
    Q_OBJECT

    QString m_home;
    QString m_agents;
    QString m_trash;
    QString m_autostart;
    Recorder m_recorder;
    SettingsController* m_controller = nullptr;
    std::unique_ptr<ScreenHost> m_host;

    QQuickItem* item(const QString& name) const { return m_host->item(name); }
    QString text(const QString& name) const { return m_host->text(name); }
    void clickItem(const QString& name) { m_host->clickItem(name); }
    // The row showing `displayName`, or -1.
    int rowOf(const QString& displayName) const
    {
        for (int row = 0; item(QStringLiteral("startupRow_%1").arg(row)); ++row)
            if (text(QStringLiteral("startupRow_%1_name").arg(row)) == displayName)
                return row;
        return -1;
    }
    bool alertShown() const { return shown(item(QStringLiteral("removeAlert"))); }
    void showScreen(SettingsController* controller)
    {
        m_host = std::make_unique<ScreenHost>();
        QVERIFY2(m_host->show("import Orvane.Settings", "SettingsView { anchors.fill: parent; controller: root.controller }",
                              {{QStringLiteral("controller"), QVariant::fromValue<QObject*>(controller)}},
                              "id: root\nproperty var controller", QSize(1000, 760)),
                 qPrintable(m_host->error()));
    }

private slots:
    void initTestCase()
    {
        m_home = QDir::homePath();
        QVERIFY2(testing::inOwnTestHome(), "tests run in their own home");
        m_agents = m_home + QStringLiteral("/Library/LaunchAgents");
        m_trash = qEnvironmentVariable("XDG_DATA_HOME", m_home + QStringLiteral("/.local/share")) + QStringLiteral("/Trash");
        m_autostart = m_home + QStringLiteral("/autostart-test");
        QDir(m_home + QStringLiteral("/Library")).removeRecursively();
        QDir(m_trash).removeRecursively();
        QDir(m_autostart).removeRecursively();
        QFile::remove(m_autostart);
        writeFile(m_agents + QStringLiteral("/com.example.keystone.agent.plist"), 60);
        writeFile(m_agents + QStringLiteral("/org.vendor.Sync.helper.plist"), 60);
        writeFile(m_agents + QStringLiteral("/.hidden.plist"), 60);

        LocalizationManager::shared().setLanguage(AppLanguage::es);
        setupApplication();
        m_controller = new SettingsController(
            new LaunchAtLogin(enc(m_autostart + QStringLiteral("/orvane.desktop")), QStringLiteral("/usr/bin/orvane")),
            new StartupItemsModel(StartupFolders{enc(m_agents), {}, {}}, m_recorder.services()), this);
        showScreen(m_controller);
    }

    void listsTheVisibleItems()
    {
        // Two visible items (the hidden file is not one), under their readable names.
        QCOMPARE(m_controller->startupItems()->count(), 2);
        QVERIFY(rowOf("Example Keystone") >= 0);
        QVERIFY(rowOf("Vendor Sync") >= 0);
        QVERIFY(!shown(item("startupEmpty")));
        m_host->snap(QStringLiteral("settings-es"), 700);
    }

    void languageChooser()
    {
        QQuickItem* highlight = item("languageHighlight");
        QQuickItem* es = item("languageOption_es");
        QQuickItem* en = item("languageOption_en");
        QVERIFY(highlight && es && en);
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        clickItem("languageOption_es");
        QTRY_COMPARE(highlight->mapToScene(QPointF(0, 0)).x(), es->mapToScene(QPointF(0, 0)).x());
        QCOMPARE(QSettings("Orvane", "Orvane").value("app_language").toString(), QStringLiteral("es"));

        // Every text switches at once; the highlight slides over.
        QSignalSpy changed(&LocalizationManager::shared(), &LocalizationManager::languageChanged);
        clickItem("languageOption_en");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(text("settingsTitle"), QStringLiteral("Settings"));
        QCOMPARE(text("currentVersionLabel"), QStringLiteral("Current version: 1.0"));
        QCOMPARE(text("startupRow_0_removeText"), QStringLiteral("Remove from startup"));
        QCOMPARE(text("startupEmptyText"), QStringLiteral("We found no user startup items (~/.config/autostart)."));
        // It starts from the Spanish option rather than jumping, and ends over the English one.
        QVERIFY(highlight->mapToScene(QPointF(0, 0)).x() < en->mapToScene(QPointF(0, 0)).x());
        QTRY_COMPARE(highlight->mapToScene(QPointF(0, 0)).x(), en->mapToScene(QPointF(0, 0)).x());
        QCOMPARE(QSettings("Orvane", "Orvane").value("app_language").toString(), QStringLiteral("en"));

        // The current language again: nothing changes, nothing is written.
        QSettings("Orvane", "Orvane").remove("app_language");
        clickItem("languageOption_en");
        QCOMPARE(changed.count(), 1);
        QVERIFY(!QSettings("Orvane", "Orvane").contains("app_language"));
        QCOMPARE(highlight->mapToScene(QPointF(0, 0)).x(), en->mapToScene(QPointF(0, 0)).x());
    }

    void openAtLoginShowsWhatTheDesktopReports()
    {
        QQuickItem* toggle = item("launchAtLoginToggle");
        const QString entry = m_autostart + QStringLiteral("/orvane.desktop");
        QCOMPARE(toggle->property("checked").toBool(), false);

        clickItem("launchAtLoginToggle");
        QCOMPARE(toggle->property("checked").toBool(), true);
        QVERIFY(QFile::exists(entry));
        clickItem("launchAtLoginToggle");
        QCOMPARE(toggle->property("checked").toBool(), false);
        QVERIFY(!QFile::exists(entry));

        // Registered behind the screen's back: the next refresh shows it.
        QVERIFY(registerAutostart(enc(entry), QStringLiteral("/usr/bin/orvane")));
        m_controller->refresh();
        QCOMPARE(toggle->property("checked").toBool(), true);
        QVERIFY(unregisterAutostart(enc(entry)));
        m_controller->refresh();
        QCOMPARE(toggle->property("checked").toBool(), false);
        QTest::qWait(700); // the re-listed rows' entrance
    }

    void removalNeedsConfirmation()
    {
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        const QString keystone = m_agents + QStringLiteral("/com.example.keystone.agent.plist");
        int row = rowOf("Example Keystone");
        QVERIFY(row >= 0);
        QVERIFY(!alertShown());

        // Escape cancels.
        clickItem(QStringLiteral("startupRow_%1_remove").arg(row));
        QTRY_VERIFY(alertShown());
        QVERIFY(text("removeAlertMessage").startsWith(QStringLiteral("Example Keystone will no longer open at login.")));
        // Cancel first, then the destructive button.
        QVERIFY(item("removeAlertCancel")->mapToScene(QPointF(0, 0)).x() < item("removeAlertConfirm")->mapToScene(QPointF(0, 0)).x());
        QTest::qWait(250); // the alert's entrance
        m_host->snap(QStringLiteral("settings-remove-alert-en"));
        QTest::keyClick(m_host->window(), Qt::Key_Escape);
        QTRY_VERIFY(!alertShown());
        QVERIFY(QFile::exists(keystone));
        QVERIFY(m_recorder.events.isEmpty());

        // Cancel, and a click beside the alert, cancel too; in Spanish this time.
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        clickItem(QStringLiteral("startupRow_%1_remove").arg(row));
        QTRY_VERIFY(alertShown());
        QVERIFY(text("removeAlertMessage").startsWith(QStringLiteral("Example Keystone ya no se abrirá al iniciar sesión.")));
        QTest::qWait(250); // the alert's entrance
        m_host->snap(QStringLiteral("settings-remove-alert-es"));
        clickItem("removeAlertCancel");
        QTRY_VERIFY(!alertShown());
        clickItem(QStringLiteral("startupRow_%1_remove").arg(row));
        QTRY_VERIFY(alertShown());
        QTest::mouseClick(m_host->window(), Qt::LeftButton, {}, QPoint(20, 20));
        QTRY_VERIFY(!alertShown());
        QVERIFY(QFile::exists(keystone));
        QVERIFY(m_recorder.events.isEmpty());
        QCOMPARE(m_controller->startupItems()->count(), 2);

        // Remove: unloaded while its file is still there, then into the Trash, then listed again.
        clickItem(QStringLiteral("startupRow_%1_remove").arg(row));
        QTRY_VERIFY(alertShown());
        clickItem("removeAlertConfirm");
        QTRY_VERIFY(!alertShown());
        QTRY_COMPARE(m_controller->startupItems()->count(), 1); // removed on a worker thread, then listed
        QCOMPARE(m_recorder.events,
                 QStringList({QStringLiteral("unload %1 present").arg(keystone), QStringLiteral("trash %1 ok").arg(keystone)}));
        QVERIFY(!QFile::exists(keystone));
        QVERIFY(QFile::exists(m_trash + QStringLiteral("/files/com.example.keystone.agent.plist")));
        QVERIFY(QFile::exists(m_trash + QStringLiteral("/info/com.example.keystone.agent.plist.trashinfo")));
        QCOMPARE(rowOf("Example Keystone"), -1);
        QCOMPARE(rowOf("Vendor Sync"), 0);
        // A second press on the closing alert removes nothing more.
        m_controller->confirmRemoval();
        QCOMPARE(m_recorder.events.size(), 2);
    }

    void revealAndEmptyState()
    {
        m_recorder.events.clear();
        const QString sync = m_agents + QStringLiteral("/org.vendor.Sync.helper.plist");
        clickItem("startupRow_0_reveal");
        QCOMPARE(m_recorder.events, QStringList{QStringLiteral("reveal %1").arg(sync)});
        QVERIFY(QFile::exists(sync));

        // The item vanished by other means: the removal still goes through its steps.
        QVERIFY(QFile::remove(sync));
        clickItem("startupRow_0_remove");
        QTRY_VERIFY(alertShown());
        QCOMPARE(text("removeAlertMessage").section(u' ', 0, 1), QStringLiteral("Vendor Sync"));
        clickItem("removeAlertConfirm");
        QTRY_VERIFY(!alertShown());
        QTRY_COMPARE(m_controller->startupItems()->count(), 0);
        QCOMPARE(m_recorder.events.mid(1),
                 QStringList({QStringLiteral("unload %1 gone").arg(sync), QStringLiteral("trash %1 failed").arg(sync)}));

        // Nothing left: the empty-state card, in both languages.
        QVERIFY(!item("startupRow_0"));
        QVERIFY(shown(item("startupEmpty")));
        m_host->snap(QStringLiteral("settings-empty-es"), 300);
        LocalizationManager::shared().setLanguage(AppLanguage::en);
    }

    void missingFolderShowsTheEmptyState()
    {
        Recorder recorder;
        auto* controller = new SettingsController(
            new LaunchAtLogin(enc(m_autostart + QStringLiteral("/orvane.desktop")), QStringLiteral("/usr/bin/orvane")),
            new StartupItemsModel(StartupFolders{enc(m_home + QStringLiteral("/no/such/LaunchAgents")), {}, {}},
                                  recorder.services()),
            this);
        showScreen(controller);
        QVERIFY(shown(item("startupEmpty")));
        QVERIFY(!item("startupRow_0"));
        QCOMPARE(text("settingsTitle"), QStringLiteral("Settings"));
    }
};

QTEST_MAIN(TestSettingsUi)
#include "tst_settings_ui.moc"
