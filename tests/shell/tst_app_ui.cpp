#include "app_config.h"
#include "hostile_names.h"
#include "icons.h"
#include "palette.h"
#include "localization_manager.h"
#include "onboarding_steps.h"
#include "settings/feed_server.h"
#include "ui_driver.h"
#include "updater.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QQuickImageProvider>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtQml/qqmlextensionplugin.h>

#include <functional>
#include <memory>

#include <sys/stat.h>

Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)

using namespace orvane;
using namespace orvane::testing;
using namespace testsupport;

namespace {

// The feed offering `version`, with its release page.
QByteArray offering(const QByteArray& version)
{
    return httpResponse(200, feed(item(version, version, "https://orvane.app/releases/" + version)));
}

void setLanguage(AppLanguage language)
{
    LocalizationManager::shared().setLanguage(language);
}

// Whether `root` or an item inside it shows its keyboard focus ring.
bool ringShown(QQuickItem* root)
{
    if (!root)
        return false;
    if (QByteArray(root->metaObject()->className()).startsWith("FocusRing") && shown(root))
        return true;
    const QList<QQuickItem*> children = root->childItems();
    return std::any_of(children.begin(), children.end(), ringShown);
}

} // namespace

// Drives the whole application on a fixture home the ways a user does, in both languages: the
// first-run tour under the launch check's update offer, the dashboard, Smart Care from
// introduction to done (checking what reached the Trash), Space, Settings (language, open at
// login, startup items, update checks) and About, then a result of 20,001 rows. The browser, the
// file manager (no session bus: reveal opens the folder) and the update feed are stand-ins. With
// ORVANE_SCREENSHOTS set it leaves a picture of each screen.
class TestAppUi : public QObject
{
    Q_OBJECT

    FeedServer m_feed;
    OpenedUrls m_opened;
    AppHost m_app;
    QString m_home;
    QString m_trash;
    QString m_autostart;

    QQuickItem* item(const QString& name) const { return m_app.item(name); }
    QString text(const QString& name) const { return m_app.text(name); }
    bool visible(const QString& name) const { return shown(item(name)); }
    static QString accessibleName(QQuickItem* target)
    {
        for (QObject* child : target->children())
            if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0)
                return child->property("name").toString();
        return {};
    }
    void clickItem(const QString& name) { m_app.clickItem(name); }
    // Only `screen` of the detail screens is there (none of another section's, no stand-in).
    void onlyScreen(const QString& screen)
    {
        for (const char* other : {"spaceView", "settingsView", "aboutView", "flowView"})
            if (QLatin1String(other) != screen)
                QVERIFY2(!visible(QLatin1String(other)), other);
        QTRY_VERIFY(visible(screen));
    }
    void spaceLoaded() { QTRY_VERIFY_WITH_TIMEOUT(visible("spaceContent"), 20000); }
    OnboardingSteps* steps() const
    {
        return qobject_cast<OnboardingSteps*>(item("onboarding")->property("steps").value<QObject*>());
    }
    void clickAt(QQuickItem* target, QPointF at)
    {
        QTest::mouseClick(m_app.window(), Qt::LeftButton, {}, target->mapToScene(at).toPoint());
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(m_app.window(), key, modifiers); }
    QQuickItem* focusItem() const { return m_app.window()->activeFocusItem(); }
    QString focused() const { return focusItem() ? focusItem()->objectName() : QString(); }
    // Whether the focus is on `name` or inside it (a list gives it to its current row).
    bool focusedIn(const QString& name) const
    {
        for (QQuickItem* i = focusItem(); i; i = i->parentItem())
            if (i->objectName() == name)
                return true;
        return false;
    }
    QObject* flow() const { return item("flowView")->property("flow").value<QObject*>(); }

    // What a screen reader finds on screen: every control it can focus, from the window's
    // accessibility tree. Each has a role and a name; there are at least `atLeast` of them.
    QStringList checkAccessibleControls(int atLeast)
    {
        QStringList names;
        std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* node, int depth) {
            QQuickItem* it = node ? qobject_cast<QQuickItem*>(node->object()) : nullptr;
            if (!node || depth > 100 || (it && !shown(it)))
                return;
            if (it && node->state().focusable) {
                const QString name = node->text(QAccessible::Name).trimmed();
                const QString what = it->objectName() + u'=' + name;
                if (name.isEmpty() || node->role() == QAccessible::NoRole || node->role() == QAccessible::Client)
                    QTest::qFail(qPrintable(QStringLiteral("unnamed control ") + what), __FILE__, __LINE__);
                names.append(name);
            }
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i), depth + 1);
        };
        walk(QAccessible::queryAccessibleInterface(m_app.window()), 0);
        if (names.size() < atLeast)
            QTest::qFail(qPrintable(names.join(u'|')), __FILE__, __LINE__);
        return names;
    }
    // Tab from the current focus until it comes round again: the controls in order, each with
    // its ring; Shift+Tab walks the same way back.
    QStringList tabRound()
    {
        QStringList order;
        for (int i = 0; i < 60; ++i) {
            key(Qt::Key_Tab);
            if (!order.isEmpty() && focused() == order.first())
                break;
            order.append(focused());
            if (!ringShown(focusItem()))
                QTest::qFail(qPrintable(QStringLiteral("no ring on ") + focused()), __FILE__, __LINE__);
        }
        for (qsizetype i = order.size() - 1; i >= 0; --i) {
            key(Qt::Key_Backtab, Qt::ShiftModifier);
            if (focused() != order.at(i))
                QTest::qFail(qPrintable(focused() + QStringLiteral(" instead of ") + order.at(i)), __FILE__, __LINE__);
        }
        return order;
    }

private slots:
    void initTestCase()
    {
        m_home = QDir::homePath();
        m_trash = qEnvironmentVariable("XDG_DATA_HOME", m_home + "/.local/share") + "/Trash";
        m_autostart = qEnvironmentVariable("XDG_CONFIG_HOME", m_home + "/.config") + "/autostart";
        for (const QString& dir : {m_home + "/.cache", m_home + "/.local/share/xorg", m_home + "/Downloads",
                                   m_home + "/Documents", m_trash, m_autostart})
            QDir(dir).removeRecursively();
        // Smart Care's sources: caches and logs start selected, Downloads does not.
        writeFile(m_home + "/.cache/com.example.editor/cache.db", 2'000'000);
        writeFile(m_home + "/.cache/thumbnails.bin", 1'000'000);
        writeFile(m_home + "/.local/share/xorg/editor.log", 50'000);
        writeFile(m_home + "/Downloads/installer.dmg", 3'000'000);
        writeFile(m_home + "/Documents/Work/plan.odt", 2'000'000);
        QVERIFY(QDir().mkpath(m_autostart));
        QFile entry(m_autostart + "/sync.desktop");
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nName=Sync\nName[es]=Sincronizar\n");
        entry.close();

        for (const char* scheme : {"https", "http", "mailto", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_opened, "open");
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        qputenv("ORVANE_WINDOW_BUTTONS", "appmenu:maximize,minimize,close");
        qputenv("ORVANE_UPDATE_FEED", m_feed.url("/appcast.xml").toEncoded());
        m_feed.route("/appcast.xml", offering("1.1"));
        appSettings().clear();
        setLanguage(AppLanguage::es);
        QAccessible::setActive(true);
        QVERIFY(m_app.load(false));
        QCOMPARE(m_app.window()->minimumSize(), QSize(960, 640));
        QVERIFY(m_app.window()->screen()->availableGeometry().size().expandedTo(m_app.window()->size())
                == m_app.window()->screen()->availableGeometry().size());
        QCOMPARE(m_app.window()->flags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    }

    void cleanupTestCase()
    {
        for (const char* scheme : {"https", "http", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    // The launch check finds 1.1 and says so above the first-run tour, which takes no click
    // meanwhile.
    void updateOfferAboveTheFirstRunTour()
    {
        QTRY_VERIFY_WITH_TIMEOUT(visible("updateAlert"), 30000);
        QCOMPARE(m_feed.hits("/appcast.xml"), 1);
        QCOMPARE(text("updateAlertTitle"), QStringLiteral("Hay una versión nueva"));
        QCOMPARE(text("updateAlertMessage"), QStringLiteral("Orvane 1.1 ya está disponible. Tú tienes la 1.0."));
        m_app.snap("update-available-es", 300);
        // A click beside the alert, on the tour's button beneath, counts as Later.
        QTRY_COMPARE(item("updateAlert")->opacity(), 1.0);
        QQuickItem* next = item("onboardingContinue");
        clickAt(next, QPointF(next->width() / 2, next->height() / 2));
        QTRY_VERIFY(!visible("updateAlert"));
        QCOMPARE(steps()->step(), 0);
        QVERIFY(m_opened.urls.isEmpty());
    }

    // Step 0's card switches and stores the language at once; the slides play in it and redraw
    // on a switch; Get started ends the tour for good and uncovers the dashboard.
    void firstRunTour()
    {
        QCOMPARE(text("onbTitle_0"), QStringLiteral("Elige tu idioma"));
        QVERIFY(!visible("onboardingBack"));
        clickItem("langCard_en");
        QCOMPARE(LocalizationManager::shared().language(), AppLanguage::en);
        QCOMPARE(appSettings().value("app_language").toString(), QStringLiteral("en"));
        QCOMPARE(text("onbTitle_0"), QStringLiteral("Choose your language"));
        QCOMPARE(steps()->step(), 0);
        QTRY_COMPARE(item("langCard_en")->property("chosen").toDouble(), 1.0);
        QTRY_COMPARE(item("langCard_es")->property("chosen").toDouble(), 0.0);
        m_app.snap("onboarding-0-en");

        clickItem("onboardingContinue");
        QCOMPARE(text("onbTitle_1"), QStringLiteral("Welcome to Orvane"));
        QVERIFY(visible("onboardingBack"));
        QTRY_COMPARE(item("onbReclaimIllustration")->property("gb").toDouble(), 62.0); // the counter rolls up
        // A rolling digit is cut at the digits' baseline, well above "GB" under it.
        QQuickItem* digits = item("onbReclaimNumber");
        const qreal cut = digits->parentItem()->mapToScene(QPointF(0, digits->parentItem()->height())).y();
        const qreal glyphBottom = digits->mapToScene(QPointF(0, digits->property("baselineOffset").toReal())).y();
        QVERIFY2(digits->parentItem()->clip() && cut - glyphBottom < 4, qPrintable(QString::number(cut - glyphBottom)));
        m_app.snap("onboarding-1-en", 300);
        clickItem("onboardingContinue");
        QCOMPARE(text("onbTitle_2"), QStringLiteral("Your whole computer, in one place"));
        QTRY_COMPARE(item("onbTile_5")->scale(), 1.0); // the last tile has popped in
        clickItem("onboardingContinue");
        QCOMPARE(text("onboardingContinueText"), QStringLiteral("Get started"));
        QTRY_COMPARE(item("onbControlIllustration")->property("checked").toList(), QVariantList({true, true, true}));
        m_app.snap("onboarding-3-en", 500);
        setLanguage(AppLanguage::es);
        QCOMPARE(text("onbTitle_3"), QStringLiteral("Tú tienes el control"));
        QCOMPARE(text("onbCheckLabel_1"), QStringLiteral("Duplicados"));
        QCOMPARE(text("onboardingContinueText"), QStringLiteral("Empezar"));
        setLanguage(AppLanguage::en);
        clickItem("onboardingBack");
        QCOMPARE(steps()->step(), 2);
        QCOMPARE(text("onboardingContinueText"), QStringLiteral("Continue"));
        clickItem("onboardingContinue");

        QQuickItem* layer = item("onboardingLayer");
        clickItem("onboardingContinue");
        QTRY_VERIFY(!layer->isVisible());
        QVERIFY(appSettings().value("hasCompletedOnboarding").toBool());

        // However often Get started is pressed, the tour ends once and Back does nothing after.
        OnboardingSteps tour;
        QSignalSpy finished(&tour, &OnboardingSteps::finished);
        tour.back();
        QCOMPARE(tour.step(), 0);
        for (int press = 0; press < 6; ++press)
            tour.advance();
        tour.back();
        QCOMPARE(tour.step(), 3);
        QCOMPARE(finished.count(), 1);
    }

    void dashboardShowsDiskAndSections()
    {
        QTRY_VERIFY(visible("dashboard"));
        QCOMPARE(text("sectionCard_smart_title"), QStringLiteral("Smart Care"));
        QVERIFY(text("dashboardPercent").endsWith(u'%'));
        QVERIFY(text("dashboardSummary").contains(QStringLiteral("  ·  ")));
        QVERIFY(!item("sidebar"));
        m_app.snap("01-dashboard", 1300);
    }

    void sectionIntroduction()
    {
        clickItem("sectionCard_smart");
        QTRY_VERIFY(visible("introView"));
        QTRY_VERIFY(!item("dashboard"));
        QVERIFY(visible("sidebar"));
        QCOMPARE(text("planTitle"), QStringLiteral("Smart Care"));
        QVERIFY(text("diskHeadline").endsWith(QStringLiteral("% in use")));
        m_app.snap("03-intro", 1300);

        // Narrow enough for the highlights to wrap: each line is centred under the title.
        QQuickWindow* window = m_app.window();
        const QSize size = window->size();
        setLanguage(AppLanguage::es);
        clickItem("sidebarRow_dup");
        window->resize(970, size.height());
        QTRY_VERIFY(item("introChipLine_1"));
        m_app.snap("03-intro-narrow", 500);
        const auto centre = [](QQuickItem* i) { return i->mapToScene(QPointF(i->width() / 2, 0)).x(); };
        for (int line = 0; item(QStringLiteral("introChipLine_%1").arg(line)); ++line)
            QTRY_VERIFY(qAbs(centre(item(QStringLiteral("introChipLine_%1").arg(line))) - centre(item("planTitle"))) < 2);
        window->resize(size);
        setLanguage(AppLanguage::en);
        clickItem("sidebarRow_smart");
        QTRY_COMPARE(text("planTitle"), QStringLiteral("Smart Care"));
    }

    void analyzeSelectAndMoveToTrash()
    {
        clickItem("analyzeButton");
        QTRY_VERIFY_WITH_TIMEOUT(visible("resultsView"), 15000);
        // Caches (3 MB, selected), Downloads (3 MB, not selected), Logs: heaviest first.
        QTRY_VERIFY(item("categoryCard_2")); // the list makes its cards as it lays out
        QCOMPARE(text("categoryCard_0_name"), QStringLiteral("Caches"));
        QCOMPARE(text("categoryCard_0_elements"), QStringLiteral("2 items"));
        QCOMPARE(text("categoryCard_1_name"), QStringLiteral("Downloads"));
        QCOMPARE(text("selectedText"), QStringLiteral("Selected: 3.1 MB"));
        m_app.snap("04-results", 1200);

        // Unselect the thumbnails; keep the editor's cache folder.
        clickItem("categoryCard_0_header");
        QTRY_VERIFY(item("categoryCard_0_file_1"));
        QCOMPARE(text("categoryCard_0_file_0_name"), QStringLiteral("com.example.editor"));
        clickItem("categoryCard_0_file_1_check");
        QCOMPARE(text("selectedText"), QStringLiteral("Selected: 2.1 MB"));
        // A row's item shows in the file manager (no session bus here: its folder opens).
        m_opened.urls.clear();
        clickItem("categoryCard_0_file_1_reveal");
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(m_home + "/.cache")});
        clickItem("categoryCard_0_file_1_name"); // a click on the name ticks the box too
        QCOMPARE(text("selectedText"), QStringLiteral("Selected: 3.1 MB"));
        clickItem("categoryCard_0_file_1_name");
        QCOMPARE(item("categoryCard_0_check")->property("name").toString(), QStringLiteral("minus.square.fill"));
        // Also select the download through its category box, then take it back.
        clickItem("categoryCard_1_check");
        QCOMPARE(text("selectedText"), QStringLiteral("Selected: 5.1 MB"));
        QVERIFY(!item("categoryCard_1")->property("expanded").toBool()); // the box does not open its card
        clickItem("categoryCard_1_check");
        QCOMPARE(text("selectedText"), QStringLiteral("Selected: 2.1 MB"));

        clickItem("removalStyle_trash");
        QCOMPARE(text("primaryButtonText"), QStringLiteral("Move to Trash"));
        // Sizes follow the language's number format.
        setLanguage(AppLanguage::es);
        QCOMPARE(text("selectedText"), QStringLiteral("Seleccionado: 2,1 MB"));
        QCOMPARE(text("primaryButtonText"), QStringLiteral("Mover a Papelera"));
        m_app.snap("06-results-es");
        setLanguage(AppLanguage::en);

        // Confirmation: Escape cancels, then confirm for real.
        clickItem("primaryButton");
        QTRY_VERIFY(visible("confirmDialog"));
        QCOMPARE(text("dialogMessage"),
                 QStringLiteral("2.1 MB will be moved to the Trash. You can restore them from there."));
        m_app.snap("07-confirm", 300);
        QTest::keyClick(m_app.window(), Qt::Key_Escape);
        QTRY_VERIFY(!item("confirmDialog")->isVisible());
        QVERIFY(visible("resultsView"));

        clickItem("primaryButton");
        QTRY_VERIFY(visible("confirmDialog"));
        clickItem("dialogConfirm");
        QTRY_VERIFY_WITH_TIMEOUT(visible("doneView"), 15000);
        QCOMPARE(text("doneText"), QStringLiteral("You moved 2.1 MB to the Trash"));
        m_app.snap("09-done", 900);

        // What was chosen is in the Trash; the rest is where it was.
        QVERIFY(QFileInfo::exists(m_trash + "/files/com.example.editor/cache.db"));
        QVERIFY(QFileInfo::exists(m_trash + "/files/editor.log"));
        QVERIFY(!QFileInfo::exists(m_home + "/.cache/com.example.editor"));
        QVERIFY(QFileInfo::exists(m_home + "/.cache/thumbnails.bin"));
        QVERIFY(QFileInfo::exists(m_home + "/Downloads/installer.dmg"));
    }

    void backHomeAndOtherSections()
    {
        clickItem("doneBack");
        QTRY_VERIFY(visible("introView"));
        // Another section starts fresh; coming back to a flow section shows its introduction.
        clickItem("sidebarRow_dup");
        QTRY_VERIFY(visible("introView"));
        QCOMPARE(text("planTitle"), QStringLiteral("Duplicates"));
        clickItem("homeButton");
        QTRY_VERIFY(visible("dashboard"));
        QTRY_VERIFY(!item("sidebar"));
        clickItem("analyzeNow");
        QTRY_VERIFY(visible("introView"));
        QCOMPARE(text("planTitle"), QStringLiteral("Smart Care"));
        clickItem("homeButton");
        QTRY_VERIFY(visible("dashboard"));
    }

    // A whole Smart Care cleanup with the keyboard alone, the focus ring always showing, and
    // every control named for screen readers on each screen, in both languages.
    void wholeCleanupByKeyboard()
    {
        QTRY_VERIFY(visible("dashboard"));
        setLanguage(AppLanguage::es);
        QVERIFY(checkAccessibleControls(10).contains(QStringLiteral("Analizar ahora")));
        setLanguage(AppLanguage::en);
        const QStringList names = checkAccessibleControls(10);
        QVERIFY(names.contains(QStringLiteral("Analyze now")) && names.contains(QStringLiteral("Smart Care")));
        QAccessibleInterface* ring = QAccessible::queryAccessibleInterface(item("dashboardDisk"));
        QVERIFY(ring && ring->text(QAccessible::Name).contains(QStringLiteral("% in use, ")));

        // Tab goes round the dashboard in reading order, and back with Shift+Tab.
        const QStringList order = tabRound();
        qsizetype at = 0;
        for (const char* name : {"dashboardSettings", "dashboardAbout", "dashboardDonate", "analyzeNow",
                                 "sectionCard_smart", "sectionCard_dup"}) {
            at = order.indexOf(QLatin1String(name), at);
            QVERIFY2(at >= 0, qPrintable(name + (u' ' + order.join(u','))));
        }
        // Arrows move in the grid of three columns.
        while (focused() != u"sectionCard_smart")
            key(Qt::Key_Tab);
        key(Qt::Key_Right);
        QCOMPARE(focusItem()->property("index").toInt(), 1);
        key(Qt::Key_Down);
        QCOMPARE(focusItem()->property("index").toInt(), 4);
        key(Qt::Key_Left);
        key(Qt::Key_Up);
        QCOMPARE(focused(), QStringLiteral("sectionCard_smart"));
        m_app.snap("focus-dashboard", 300);

        // Return opens the plan with its Analyze button focused, ringed in the section's colour.
        key(Qt::Key_Return);
        QTRY_VERIFY(visible("introView"));
        QTRY_COMPARE(focused(), QStringLiteral("analyzeButton"));
        QTRY_VERIFY(ringShown(focusItem()));
        checkAccessibleControls(12);
        key(Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(visible("resultsView"), 15000);
        QTRY_VERIFY(focusedIn("resultsScroller"));
        QTRY_VERIFY(item("categoryCard_1"));
        QQuickItem* list = item("resultsScroller");
        checkAccessibleControls(14);

        // In the list: Down to the second card, Right opens it and enters its rows, Space ticks.
        QTRY_VERIFY(ringShown(item("categoryCard_0")));
        const QString before = text("selectedText");
        key(Qt::Key_Down);
        QCOMPARE(list->property("cursorCard").toInt(), 1);
        key(Qt::Key_Right);
        QTRY_VERIFY(item("categoryCard_1")->property("expanded").toBool());
        key(Qt::Key_Right);
        QCOMPARE(list->property("cursorFile").toInt(), 0);
        QTRY_VERIFY(ringShown(item("categoryCard_1_file_0")));
        key(Qt::Key_Space);
        QVERIFY(text("selectedText") != before);
        m_app.snap("focus-results-row", 400);
        key(Qt::Key_Space);
        QCOMPARE(text("selectedText"), before);
        key(Qt::Key_Left);
        QCOMPARE(list->property("cursorFile").toInt(), -1);
        key(Qt::Key_Left);
        QTRY_VERIFY(!item("categoryCard_1")->property("expanded").toBool());
        key(Qt::Key_Home);
        QCOMPARE(list->property("cursorCard").toInt(), 0);
        key(Qt::Key_Escape); // does not throw the results away
        QVERIFY(visible("resultsView"));

        // Tab to the removal style (arrows choose), Tab to Delete, Return asks.
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("removalStyle"));
        key(Qt::Key_Left);
        QCOMPARE(flow()->property("removalStyle").toString(), QStringLiteral("trash"));
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("primaryButton"));
        key(Qt::Key_Return);
        QTRY_VERIFY(visible("confirmDialog"));
        // The dialog opens on Cancel, keeps Tab inside, and Escape gives the focus back.
        QCOMPARE(focused(), QStringLiteral("dialogCancel"));
        QTRY_VERIFY(ringShown(focusItem()));
        m_app.snap("focus-confirm", 300);
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("dialogConfirm"));
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("dialogCancel"));
        key(Qt::Key_Escape);
        QTRY_VERIFY(!item("confirmDialog")->isVisible());
        QCOMPARE(focused(), QStringLiteral("primaryButton"));
        key(Qt::Key_Space);
        QTRY_VERIFY(visible("confirmDialog"));
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focused(), QStringLiteral("dialogConfirm"));
        key(Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(visible("doneView"), 15000);
        QTRY_COMPARE(focused(), QStringLiteral("doneBack"));
        checkAccessibleControls(11);
        // "and N more" opens every line that stayed, by keyboard too, and closes again.
        QQuickItem* doneView = item("doneView");
        const QStringList all{"a: in use", "b: in use", "c: in use", "d: in use", "e: in use"};
        doneView->setProperty("allNotes", all);
        doneView->setProperty("notes", QStringList{all[0], all[1], all[2], "and 2 more"});
        QTRY_VERIFY(visible("doneMore"));
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focused(), QStringLiteral("doneMore"));
        QCOMPARE(accessibleName(focusItem()), QStringLiteral("and 2 more"));
        key(Qt::Key_Space);
        QTRY_VERIFY(visible("doneAllNotes"));
        QCOMPARE(item("doneAllNotes")->property("count").toInt(), all.size());
        QCOMPARE(accessibleName(focusItem()), QStringLiteral("Show fewer"));
        m_app.snap("done-all-notes", 300);
        key(Qt::Key_Return);
        QTRY_VERIFY(!visible("doneAllNotes"));
        key(Qt::Key_Tab);
        QCOMPARE(focused(), QStringLiteral("doneBack"));
        QVERIFY(!QFileInfo::exists(m_home + "/.cache/thumbnails.bin"));
        QVERIFY(QFileInfo::exists(m_home + "/Downloads/installer.dmg"));

        // Back to the plan, and Escape goes home.
        key(Qt::Key_Return);
        QTRY_VERIFY(visible("introView"));
        QTRY_COMPARE(focused(), QStringLiteral("analyzeButton"));
        key(Qt::Key_Escape);
        QTRY_VERIFY(visible("dashboard"));
        clickItem("sectionCard_smart"); // a click shows no ring
        QTRY_VERIFY(visible("introView"));
        QTRY_VERIFY(!ringShown(item("introView")));
        clickItem("homeButton");
        QTRY_VERIFY(visible("dashboard"));
    }

    void spaceFromTheDashboard()
    {
        clickItem("sectionCard_space");
        onlyScreen("spaceView");
        spaceLoaded();
        QVERIFY(item("spaceRow_0"));
        m_app.snap("app-space-en", 500);
        clickItem("spaceRow_0");
        spaceLoaded();
        QVERIFY(visible("folderHeader"));
    }

    void settingsFromTheSidebarAndLanguageEverywhere()
    {
        clickItem("sidebarRow_settings");
        onlyScreen("settingsView");
        QVERIFY(!item("flowView"));
        m_app.snap("app-settings-en", 400);

        // Español from the chooser, stored: this screen and the sidebar beside it switch at once.
        clickItem("languageOption_es");
        QCOMPARE(appSettings().value("app_language").toString(), QStringLiteral("es"));
        QCOMPARE(text("settingsTitle"), QStringLiteral("Ajustes"));
        QCOMPARE(text("sidebarRow_space_title"), QStringLiteral("Espacio"));
        QCOMPARE(text("currentVersionLabel"), QStringLiteral("Versión actual: 1.0"));
        QTRY_COMPARE(item("languageHighlight")->mapToScene({}), item("languageOption_es")->mapToScene({}));
        m_app.snap("app-settings-es", 600);

        // A build whose updates come from the system says so where the button was.
        QVERIFY(visible("checkUpdatesButton"));
        QVERIFY(!visible("updatesFromSystem"));
        Updater::shared().setEnabled(false);
        QTRY_VERIFY(visible("updatesFromSystem"));
        QVERIFY(!visible("checkUpdatesButton"));
        QCOMPARE(text("updatesFromSystem"), QStringLiteral("Las actualizaciones llegan con el gestor de paquetes del sistema."));
        Updater::shared().setEnabled(true);
        QTRY_VERIFY(visible("checkUpdatesButton"));
    }

    // Open at login writes and removes the desktop's autostart entry. The user's own entry is
    // listed under its name in the language shown; reveal opens its folder; removal asks first
    // (Escape, Cancel and a click beside the alert keep it) and then moves it to the Trash.
    void openAtLoginAndStartupItems()
    {
        QQuickItem* toggle = item("launchAtLoginToggle");
        QVERIFY(!toggle->property("checked").toBool());
        clickItem("launchAtLoginToggle");
        QVERIFY(toggle->property("checked").toBool());
        QVERIFY(QFile::exists(m_autostart + "/orvane.desktop"));
        clickItem("launchAtLoginToggle");
        QVERIFY(!toggle->property("checked").toBool());
        QVERIFY(!QFile::exists(m_autostart + "/orvane.desktop"));

        QCOMPARE(text("startupRow_0_name"), QStringLiteral("Sincronizar"));
        QVERIFY(!item("startupRow_1"));
        m_opened.urls.clear();
        clickItem("startupRow_0_reveal");
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(m_autostart)});

        const QString sync = m_autostart + "/sync.desktop";
        QQuickItem* view = item("settingsView");
        QQuickWindow* window = m_app.window();
        const struct {
            AppLanguage language;
            const char* message;
            std::function<void()> dismiss;
        } cancels[] = {
            {AppLanguage::en, "Sync will no longer open at login.", [&] { QTest::keyClick(window, Qt::Key_Escape); }},
            {AppLanguage::es, "Sincronizar ya no se abrirá al iniciar", [&] { clickItem("removeAlertCancel"); }},
            {AppLanguage::es, "Sincronizar", [&] { clickAt(view, QPointF(view->width() - 20, view->height() - 20)); }},
        };
        for (const auto& cancel : cancels) {
            setLanguage(cancel.language);
            clickItem("startupRow_0_remove");
            QTRY_VERIFY(visible("removeAlert"));
            QVERIFY2(text("removeAlertMessage").startsWith(QString::fromUtf8(cancel.message)), cancel.message);
            // Centred on the window, as the other alerts are.
            const QRectF box = item("removeAlertMessage")->mapRectToScene(item("removeAlertMessage")->boundingRect());
            QVERIFY2(qAbs(box.center().x() - window->width() / 2.0) < 2, qPrintable(QString::number(box.center().x())));
            m_app.snap("settings-remove-alert-" + LocalizationManager::shared().languageCode(), 250);
            cancel.dismiss();
            QTRY_VERIFY(!visible("removeAlert"));
            QVERIFY(QFile::exists(sync));
        }
        clickItem("startupRow_0_remove");
        QTRY_VERIFY(visible("removeAlert"));
        clickItem("removeAlertConfirm");
        QTRY_VERIFY(!visible("removeAlert"));
        QTRY_VERIFY(visible("startupEmpty"));
        QVERIFY(!item("startupRow_0"));
        QVERIFY(!QFile::exists(sync));
        QVERIFY(QFile::exists(m_trash + "/files/sync.desktop"));
        QCOMPARE(text("startupEmptyText"),
                 QStringLiteral("No encontramos elementos de inicio del usuario (~/.config/autostart)."));
        m_app.snap("settings-empty-es", 300);
    }

    // Names from other programs are shown as written: markup neither drawn nor fetched (the
    // tracker's count is checked at the end of the tour, after every screen has had its time).
    void hostileNamesShownAsWritten()
    {
        const QList<hostile::Name> rows = hostile::names(m_feed.url("/track.png").toEncoded());
        QSet<QString> expected;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QByteArray name = rows[i].bytes;
            name.replace('\\', "\\\\").replace('\n', "\\n");
            QFile entry(m_autostart + QStringLiteral("/hostile%1.desktop").arg(i));
            QVERIFY(entry.open(QIODevice::WriteOnly));
            entry.write("[Desktop Entry]\nName=" + name + "\n");
            expected.insert(QString::fromUtf8(rows[i].bytes));
        }
        clickItem("sidebarRow_space");
        clickItem("sidebarRow_settings");
        onlyScreen("settingsView");
        QSet<QString> shownNames;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QQuickItem* label = item(QStringLiteral("startupRow_%1_name").arg(i));
            QVERIFY(label);
            QCOMPARE(label->property("textFormat").toInt(), 0); // Text.PlainText
            shownNames.insert(label->property("text").toString());
        }
        QCOMPARE(shownNames, expected);
        m_app.snap("settings-hostile-names", 300);
        for (qsizetype i = 0; i < rows.size(); ++i)
            QVERIFY(QFile::remove(m_autostart + QStringLiteral("/hostile%1.desktop").arg(i)));

        // A bundle whose Info.plist is a FIFO gets the generic glyph, and the window keeps turning
        // while its icon is looked up (the lookup reads files on a worker, through the guarded reader).
        const QString evil = m_home + "/Downloads/Evil.app";
        QVERIFY(QDir().mkpath(evil + "/Contents"));
        QVERIFY(::mkfifo(QFile::encodeName(evil + "/Contents/Info.plist").constData(), 0644) == 0);
        auto* provider = static_cast<QQuickAsyncImageProvider*>(m_app.engine().imageProvider(QLatin1String(itemIconProviderId)));
        const QString id = itemIconSource(QStringLiteral("Evil.app"), QFile::encodeName(evil))
                               .mid(QStringLiteral("image://%1/").arg(QLatin1String(itemIconProviderId)).size());
        std::unique_ptr<QQuickImageResponse> icon(provider->requestImageResponse(id, QSize(32, 32)));
        QSignalSpy answered(icon.get(), &QQuickImageResponse::finished);
        QTRY_COMPARE(answered.size(), 1);
        const std::unique_ptr<QQuickTextureFactory> texture(icon->textureFactory());
        QVERIFY(!texture->image().isNull());
        QVERIFY(QDir(evil).removeRecursively());
    }

    // Checks asked for: the offer (Download opens the release page, Later nothing), "up to date"
    // and failures, each in its language; only the offer has a second button.
    void updateChecksAskedForFromSettings()
    {
        const struct {
            AppLanguage language;
            QByteArray response;
            const char* title;
            const char* message; // or a part of it
            const char* screenshot;
            const char* dismiss; // the button that closes it, or "Escape"
        } rows[] = {
            {AppLanguage::en, offering("1.1"), "A new version is available",
             "Orvane 1.1 is now available. You have 1.0.", "update-available-en", "Confirm"},
            {AppLanguage::es, offering("1.1"), "Hay una versión nueva", "Tú tienes la 1.0.", "update-available-es-later", "Cancel"},
            {AppLanguage::es, offering("1.0"), "Ya tienes la última versión.", "Versión actual: 1.0",
             "update-uptodate-es", "Escape"},
            {AppLanguage::en, httpResponse(500, "oops"), "Couldn't check for updates",
             "The update server answered with an error (HTTP 500). Try again later.", "update-failed-en", "Confirm"},
            {AppLanguage::es, httpResponse(404, "missing"), "No se pudo buscar actualizaciones", "HTTP 404",
             "update-failed-es", "Escape"},
        };
        for (const auto& row : rows) {
            setLanguage(row.language);
            m_feed.route("/appcast.xml", row.response);
            QSignalSpy finished(&Updater::shared(), &Updater::checkFinished);
            clickItem("checkUpdatesButton");
            QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
            QTRY_VERIFY(visible("updateAlert"));
            QCOMPARE(text("updateAlertTitle"), QString::fromUtf8(row.title));
            const QString message = text("updateAlertMessage");
            QVERIFY2(message.contains(QString::fromUtf8(row.message)), qPrintable(message));
            const bool offer = QByteArray(row.screenshot).startsWith("update-available");
            QCOMPARE(visible("updateAlertCancel"), offer);
            m_app.snap(QString::fromLatin1(row.screenshot), 300);
            m_opened.urls.clear();
            const QString dismiss = QString::fromLatin1(row.dismiss);
            if (dismiss == u"Escape")
                QTest::keyClick(m_app.window(), Qt::Key_Escape);
            else
                clickItem("updateAlert" + dismiss);
            QTRY_VERIFY(!visible("updateAlert"));
            const bool download = offer && dismiss == u"Confirm";
            QCOMPARE(m_opened.urls, download ? QList<QUrl>{QUrl("https://orvane.app/releases/1.1")} : QList<QUrl>{});
        }
    }

    void spaceAgainInSpanish()
    {
        // Coming back to Space starts it afresh, at the top, in Spanish.
        clickItem("sidebarRow_space");
        onlyScreen("spaceView");
        spaceLoaded();
        QVERIFY(visible("diskCard"));
        QCOMPARE(text("spaceTitle"), QStringLiteral("¿A dónde se fue tu espacio?"));
    }

    // The window buttons sit where and in the order the desktop's layout puts them (here zoom,
    // minimize, close on the right); each is reached with Tab and pressed with Space (zoom
    // maximizes and restores).
    void windowButtons()
    {
        QQuickItem* close = item("windowClose");
        QQuickItem* zoom = item("windowZoom");
        QVERIFY(close && zoom && item("windowMinimize"));
        QTRY_VERIFY(zoom->mapToScene({}).x() < item("windowMinimize")->mapToScene({}).x());
        QCOMPARE(qRound(close->mapToScene({close->width(), 0}).x()), m_app.window()->width() - 12);
        QVERIFY(item("windowMinimize")->mapToScene({}).x() < close->mapToScene({}).x());
        for (QQuickItem* button : {close, zoom, item("windowMinimize")})
            QVERIFY(button->activeFocusOnTab());
        zoom->forceActiveFocus();
        QTest::keyClick(m_app.window(), Qt::Key_Space);
        QTRY_COMPARE(m_app.window()->visibility(), QWindow::Maximized);
        QCOMPARE(accessibleName(zoom), QStringLiteral("Restaurar"));
        QTest::keyClick(m_app.window(), Qt::Key_Space);
        QTRY_VERIFY(m_app.window()->visibility() != QWindow::Maximized);
    }

    // About in both languages, from the sidebar and the dashboard: its texts (the tagline on two
    // lines) and the pages its buttons and links open.
    void aboutFromSidebarAndDashboard()
    {
        clickItem("sidebarRow_about");
        onlyScreen("aboutView");
        const struct {
            AppLanguage language;
            const char *version, *tagline, *license, *close, *zoom;
        } rows[] = {
            {AppLanguage::es, "Versión 1.0",
             "Optimización de almacenamiento nativa para Linux.\nRápida, precisa y sin antivirus falso.",
             "Software libre bajo la licencia GPL-3.0 o posterior", "Cerrar", "Maximizar"},
            {AppLanguage::en, "Version 1.0",
             "Native storage optimization for Linux.\nFast, precise and no fake antivirus.",
             "Free software under the GPL-3.0-or-later license", "Close", "Maximize"},
        };
        for (const auto& row : rows) {
            setLanguage(row.language);
            QCOMPARE(text("aboutVersion"), QString::fromUtf8(row.version));
            QCOMPARE(text("aboutTagline"), QString::fromUtf8(row.tagline));
            QCOMPARE(text("aboutLicense"), QString::fromUtf8(row.license));
            // The window buttons are named for screen readers in the language shown.
            QCOMPARE(accessibleName(item("windowClose")), QString::fromUtf8(row.close));
            QCOMPARE(accessibleName(item("windowZoom")), QString::fromUtf8(row.zoom));
            QTRY_COMPARE(item("aboutTagline")->property("lineCount").toInt(), 2);
            m_app.snap("about-" + LocalizationManager::shared().languageCode(), 100);
        }
        QCOMPARE(text("sidebarRow_about_title"), QStringLiteral("About"));
        m_opened.urls.clear();
        for (const char* link : {"aboutDonate", "aboutContact", "aboutTerms", "aboutPrivacy"})
            clickItem(QLatin1String(link));
        const QList<QUrl> pages{QUrl(config::donationUrl), QUrl(config::contactUrl), QUrl(config::termsUrl),
                                QUrl(config::privacyUrl)};
        QCOMPARE(m_opened.urls, pages);

        clickItem("homeButton");
        QTRY_VERIFY(visible("dashboard"));
        clickItem("dashboardAbout");
        onlyScreen("aboutView");
        clickItem("sidebarRow_settings");
        onlyScreen("settingsView");
    }

    // 20,000 cache entries: the card opens, the list scrolls to its last row with only about a
    // screenful of rows made, and that last row alone is chosen and goes to the Trash.
    void longResultScrollsToTheEndAndRemoves()
    {
        QCOMPARE(m_feed.hits("/track.png"), 0); // no name anywhere fetched its image
        const QString caches = m_home + "/.cache";
        for (const QFileInfo& left : QDir(caches).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            if (!left.fileName().startsWith(QLatin1String("orvane")))
                left.isDir() ? void(QDir(left.filePath()).removeRecursively()) : void(QFile::remove(left.filePath()));
        // Caches is then the only category: nothing in Downloads or in the Trash the tours filled.
        QDir(m_home + "/Downloads").removeRecursively();
        QDir(m_trash).removeRecursively();
        writeFile(caches + "/zz-smallest", 1); // the last row: sizes run largest first
        for (int i = 0; i < 20000; ++i) {
            QFile entry(caches + QStringLiteral("/entry-%1").arg(i, 5, 10, QLatin1Char('0')));
            QVERIFY(entry.open(QIODevice::WriteOnly) && entry.write("0123456789") == 10);
        }
        clickItem("sidebarRow_smart");
        onlyScreen("flowView");
        clickItem("analyzeButton");
        QTRY_VERIFY_WITH_TIMEOUT(visible("resultsView"), 30000);
        QTRY_COMPARE(text("categoryCard_0_elements"), QStringLiteral("20,001 items"));
        clickItem("categoryCard_0_header");
        QTRY_VERIFY(item("categoryCard_0_file_0"));
        clickItem("categoryCard_0_check"); // all selected: clears them
        QCOMPARE(text("selectedText"), QStringLiteral("Selected: Zero KB"));

        // End reaches the last row by keyboard, with the card's header pinned above it; Page Up
        // goes a screenful back. The scroll bar's thumb stays big enough to hold, clear of the
        // window's resize edge.
        QTRY_VERIFY(focusedIn("resultsScroller"));
        QQuickItem* list = item("resultsScroller");
        key(Qt::Key_End);
        QCOMPARE(list->property("cursorFile").toInt(), 20000);
        QTRY_VERIFY(visible("categoryCard_0_file_20000"));
        QTRY_VERIFY(visible("categoryCard_0_pinned"));
        QQuickItem* bar = item("resultsScrollBar");
        QVERIFY(bar->property("visualSize").toDouble() >= 0.05);
        QVERIFY(bar->mapToScene(QPointF(bar->width(), 0)).x() <= m_app.window()->width() - 6);
        key(Qt::Key_PageUp);
        QVERIFY(list->property("cursorFile").toInt() < 20000 - 5);
        QTRY_VERIFY(visible(QStringLiteral("categoryCard_0_file_%1").arg(list->property("cursorFile").toInt())));
        key(Qt::Key_End);
        QTRY_VERIFY(visible("categoryCard_0_file_20000"));
        QCOMPARE(text("categoryCard_0_file_20000_name"), QStringLiteral("zz-smallest"));
        int rows = 0;
        const QRegularExpression rowName(QStringLiteral("^categoryCard_0_file_\\d+$"));
        std::function<void(QQuickItem*)> countRows = [&](QQuickItem* i) {
            rows += rowName.match(i->objectName()).hasMatch();
            for (QQuickItem* child : i->childItems())
                countRows(child);
        };
        countRows(m_app.window()->contentItem());
        QVERIFY2(rows < 200, qPrintable(QString::number(rows)));
        m_app.snap("10-long-results-end", 500);

        clickItem("categoryCard_0_file_20000_check");
        QCOMPARE(text("selectedText"), QStringLiteral("Selected: 1 byte"));
        clickItem("removalStyle_trash");
        clickItem("primaryButton");
        QTRY_VERIFY(visible("confirmDialog"));
        clickItem("dialogConfirm");
        QTRY_VERIFY_WITH_TIMEOUT(visible("doneView"), 15000);
        QCOMPARE(text("doneText"), QStringLiteral("You moved 1 byte to the Trash"));
        QVERIFY(!QFileInfo::exists(caches + "/zz-smallest"));
        QVERIFY(QFileInfo::exists(caches + "/entry-19999"));
    }
};

int main(int argc, char* argv[])
{
    // The offscreen platform's screen is 800 × 600 unless told otherwise: give it a desktop's.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        const QString config = QDir::homePath() + QStringLiteral("/offscreen-screen.json");
        QFile file(config);
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
                       R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    }
    QGuiApplication app(argc, argv);
    TestAppUi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app_ui.moc"
