#include "localization_manager.h"
#include "paths.h"
#include "screen_host.h"
#include "settings_controller.h"
#include "trash.h"

#include "privileges.h"

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

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>\n");
}

// What removal and reveal did, in order. The unloader is a fake (there is no launchd here); the
// Trash is the real one of the test's home.
struct Recorder {
    QStringList events;
    StartupItemServices services()
    {
        return {
            [this](const FilePath& item) {
                events << QStringLiteral("unload %1 %2").arg(displayPath(item),
                                                             QFileInfo::exists(QFile::decodeName(item)) ? "present" : "gone");
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
    void clickItem(const QString& name)
    {
        QQuickItem* i = item(name);
        QVERIFY2(i, qPrintable(QStringLiteral("missing item ") + name));
        QVERIFY2(shown(i), qPrintable(QStringLiteral("hidden item ") + name));
        click(m_host->window(), i);
    }
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
        QVERIFY2(!m_home.startsWith(QStringLiteral("/root")), "tests run in their own home");
        m_agents = m_home + QStringLiteral("/Library/LaunchAgents");
        m_trash = qEnvironmentVariable("XDG_DATA_HOME", m_home + QStringLiteral("/.local/share")) + QStringLiteral("/Trash");
        m_autostart = m_home + QStringLiteral("/autostart-test");
        QDir(m_home + QStringLiteral("/Library")).removeRecursively();
        QDir(m_trash).removeRecursively();
        QDir(m_autostart).removeRecursively();
        QFile::remove(m_autostart);
        touch(m_agents + QStringLiteral("/com.example.keystone.agent.plist"));
        touch(m_agents + QStringLiteral("/org.vendor.Sync.helper.plist"));
        touch(m_agents + QStringLiteral("/.hidden.plist"));

        LocalizationManager::shared().setLanguage(AppLanguage::es);
        setupApplication();
        m_controller = new SettingsController(
            new LaunchAtLogin(enc(m_autostart + QStringLiteral("/orvane.desktop")), QStringLiteral("/usr/bin/orvane")),
            new StartupItemsModel(enc(m_agents), m_recorder.services()), this);
        showScreen(m_controller);
    }

    void textsInBothLanguages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("es") << "es"
                            << QStringList{"Ajustes", "Idioma", "General", "Abrir Orvane al iniciar sesión", "Actualizaciones",
                                           "Versión actual: 1.0", "Buscar actualizaciones",
                                           "Aplicaciones que se abren al iniciar tu Mac", "Quitar del arranque"};
        QTest::newRow("en") << "en"
                            << QStringList{"Settings", "Language", "General", "Open Orvane at login", "Updates",
                                           "Current version: 1.0", "Check for updates", "Apps that open when your Mac starts",
                                           "Remove from startup"};
    }

    void textsInBothLanguages()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        // Switched with the chooser itself, the way a user does it.
        clickItem(QStringLiteral("languageOption_") + language);
        QCOMPARE(LocalizationManager::shared().languageCode(), language);
        const QStringList names{"settingsTitle", "settingsLanguageHeading", "settingsGeneralHeading", "launchAtLoginLabel",
                                "settingsUpdatesHeading", "currentVersionLabel", "checkUpdatesButtonText",
                                "settingsStartupHeading", "startupRow_0_removeText"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(text(names[i]), texts[i]);
        // The options' names are the same in both languages.
        QCOMPARE(text("languageOption_es_name"), QStringLiteral("Español"));
        QCOMPARE(text("languageOption_en_name"), QStringLiteral("English"));
        // Two visible items (the hidden file is not one), under their readable names.
        QCOMPARE(m_controller->startupItems()->count(), 2);
        QVERIFY(rowOf("Example Keystone") >= 0);
        QVERIFY(rowOf("Vendor Sync") >= 0);
        QVERIFY(!shown(item("startupEmpty")));
        QTest::qWait(700);
        screenshot(m_host->window(), QStringLiteral("settings-") + language);
    }

    void languageChooser()
    {
        QQuickItem* highlight = item("languageHighlight");
        QQuickItem* es = item("languageOption_es");
        QQuickItem* en = item("languageOption_en");
        QVERIFY(highlight && es && en);
        clickItem("languageOption_es");
        QTRY_COMPARE(highlight->mapToScene(QPointF(0, 0)).x(), es->mapToScene(QPointF(0, 0)).x());
        QCOMPARE(QSettings("Orvane", "Orvane").value("app_language").toString(), QStringLiteral("es"));

        // Every text switches at once; the highlight slides over.
        QSignalSpy changed(&LocalizationManager::shared(), &LocalizationManager::languageChanged);
        clickItem("languageOption_en");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(text("settingsTitle"), QStringLiteral("Settings"));
        QCOMPARE(text("startupEmptyText"), QStringLiteral("We found no user startup items (~/Library/LaunchAgents)."));
        // It starts from the Spanish option rather than jumping, and ends over the English one.
        QVERIFY(highlight->mapToScene(QPointF(0, 0)).x() < en->mapToScene(QPointF(0, 0)).x());
        QTRY_COMPARE(highlight->mapToScene(QPointF(0, 0)).x(), en->mapToScene(QPointF(0, 0)).x());
        QCOMPARE(QSettings("Orvane", "Orvane").value("app_language").toString(), QStringLiteral("en"));
        QCOMPARE(item("languageOption_en_name")->property("color").value<QColor>().alphaF(), 1.0);

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

        // A folder that cannot be written: the click asks, the desktop says no, the switch stays off.
        {
            testsupport::FilePermissionsEnforced enforced;
            if (!enforced.active())
                QSKIP("file permissions cannot be enforced here");
            QVERIFY(QDir().mkpath(m_autostart));
            QVERIFY(QFile::setPermissions(m_autostart, QFile::ReadOwner | QFile::ExeOwner));
            clickItem("launchAtLoginToggle");
            QCOMPARE(toggle->property("checked").toBool(), false);
            QVERIFY(!QFile::exists(entry));
            QVERIFY(QFile::setPermissions(m_autostart, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
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
        QCOMPARE(text("removeAlertTitle"), QStringLiteral("Remove from startup?"));
        QCOMPARE(text("removeAlertMessage"),
                 QStringLiteral("Example Keystone will no longer open at login. We'll move its startup file to the Trash, "
                                "so you can restore it if you need it."));
        QCOMPARE(text("removeAlertCancelText"), QStringLiteral("Cancel"));
        QCOMPARE(text("removeAlertConfirmText"), QStringLiteral("Remove"));
        // Cancel first, then the destructive button.
        QVERIFY(item("removeAlertCancel")->mapToScene(QPointF(0, 0)).x() < item("removeAlertConfirm")->mapToScene(QPointF(0, 0)).x());
        QTest::qWait(250);
        screenshot(m_host->window(), QStringLiteral("settings-remove-alert-en"));
        QTest::keyClick(m_host->window(), Qt::Key_Escape);
        QTRY_VERIFY(!alertShown());
        QVERIFY(QFile::exists(keystone));
        QVERIFY(m_recorder.events.isEmpty());

        // Cancel, and a click beside the alert, cancel too; in Spanish this time.
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        clickItem(QStringLiteral("startupRow_%1_remove").arg(row));
        QTRY_VERIFY(alertShown());
        QCOMPARE(text("removeAlertTitle"), QStringLiteral("¿Quitar del arranque?"));
        QVERIFY(text("removeAlertMessage").startsWith(QStringLiteral("Example Keystone ya no se abrirá al iniciar sesión.")));
        QCOMPARE(text("removeAlertConfirmText"), QStringLiteral("Quitar"));
        QTest::qWait(250);
        screenshot(m_host->window(), QStringLiteral("settings-remove-alert-es"));
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
        QCOMPARE(m_recorder.events,
                 QStringList({QStringLiteral("unload %1 present").arg(keystone), QStringLiteral("trash %1 ok").arg(keystone)}));
        QVERIFY(!QFile::exists(keystone));
        QVERIFY(QFile::exists(m_trash + QStringLiteral("/files/com.example.keystone.agent.plist")));
        QVERIFY(QFile::exists(m_trash + QStringLiteral("/info/com.example.keystone.agent.plist.trashinfo")));
        QCOMPARE(m_controller->startupItems()->count(), 1);
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
        QCOMPARE(m_recorder.events.mid(1),
                 QStringList({QStringLiteral("unload %1 gone").arg(sync), QStringLiteral("trash %1 failed").arg(sync)}));

        // Nothing left: the empty-state card, in both languages.
        QCOMPARE(m_controller->startupItems()->count(), 0);
        QVERIFY(!item("startupRow_0"));
        QVERIFY(shown(item("startupEmpty")));
        QCOMPARE(text("startupEmptyText"),
                 QStringLiteral("No encontramos elementos de inicio del usuario (~/Library/LaunchAgents)."));
        QTest::qWait(300);
        screenshot(m_host->window(), QStringLiteral("settings-empty-es"));
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QCOMPARE(text("startupEmptyText"), QStringLiteral("We found no user startup items (~/Library/LaunchAgents)."));
    }

    void missingFolderShowsTheEmptyState()
    {
        Recorder recorder;
        auto* controller = new SettingsController(
            new LaunchAtLogin(enc(m_autostart + QStringLiteral("/orvane.desktop")), QStringLiteral("/usr/bin/orvane")),
            new StartupItemsModel(enc(m_home + QStringLiteral("/no/such/LaunchAgents")), recorder.services()), this);
        showScreen(controller);
        QVERIFY(shown(item("startupEmpty")));
        QVERIFY(!item("startupRow_0"));
        QCOMPARE(text("settingsTitle"), QStringLiteral("Settings"));
    }
};

QTEST_MAIN(TestSettingsUi)
#include "tst_settings_ui.moc"
