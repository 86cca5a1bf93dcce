#include "localization_manager.h"
#include "ui_driver.h"
#include "updater.h"
#include "feed_server.h"

#include <QDesktopServices>
#include <QSignalSpy>

using namespace orvane;
using namespace orvane::testing;
using namespace testsupport;

namespace {

// The feed offering `version`, with its release page.
QByteArray offering(const QByteArray& version)
{
    return httpResponse(200, feed(item(version, version, "https://orvane.app/releases/" + version)));
}

} // namespace

// The updater's dialogs in the running application, against a feed served on loopback: the
// offer of a newer version (automatic or asked for), and "up to date" and failures when asked
// for, in both languages, over whatever screen is showing. Which checks stay silent, and every
// kind of failure, are the updater's own test.
class TestUpdateDialogs : public QObject
{
    Q_OBJECT

    FeedServer m_feed;
    OpenedUrls m_opened;
    AppHost m_app;

    QQuickItem* item(const QString& name) const { return m_app.item(name); }
    QString text(const QString& name) const { return m_app.text(name); }
    void clickItem(const QString& name) { m_app.clickItem(name); }
    bool alertShown() const { return shown(item(QStringLiteral("updateAlert"))); }

private slots:
    void initTestCase()
    {
        const QUrl feedUrl = m_feed.url(QStringLiteral("/appcast.xml"));
        qputenv("ORVANE_UPDATE_FEED", feedUrl.toEncoded());
        m_feed.route("/appcast.xml", offering("1.1"));
        for (const char* scheme : {"https", "http"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_opened, "open");
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QVERIFY(m_app.load(false)); // the first-run tour is showing
        QCOMPARE(Updater::shared().feedUrl(), feedUrl);
        QVERIFY(Updater::shared().automaticChecksActive());
    }

    void cleanupTestCase()
    {
        for (const char* scheme : {"https", "http"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    void automaticCheckOffersNewerVersionOverEverything()
    {
        // The launch check finds 1.1 and says so even above the first-run tour.
        QTRY_VERIFY_WITH_TIMEOUT(alertShown(), 30000);
        QVERIFY(shown(item(QStringLiteral("onboarding"))));
        QCOMPARE(m_feed.hits("/appcast.xml"), 1);
        QCOMPARE(text("updateAlertTitle"), QStringLiteral("A new version is available"));
        QCOMPARE(text("updateAlertMessage"), QStringLiteral("Orvane 1.1 is now available. You have 1.0."));
        QVERIFY(item("updateAlertCancel")->mapToScene(QPointF(0, 0)).x() < item("updateAlertConfirm")->mapToScene(QPointF(0, 0)).x());
        m_app.snap(QStringLiteral("update-available-en"), 300);
        // The tour underneath takes no click while the alert is up.
        QQuickItem* next = item(QStringLiteral("onboardingContinue"));
        QTest::mouseClick(m_app.window(), Qt::LeftButton, {}, next->mapToScene(QPointF(next->width() / 2, next->height() / 2)).toPoint());
        QVERIFY(alertShown());
        QCOMPARE(item(QStringLiteral("onboarding"))->property("steps").value<QObject*>()->property("step").toInt(), 0);

        clickItem("updateAlertCancel"); // Later
        QTRY_VERIFY(!alertShown());
        QVERIFY(m_opened.urls.isEmpty());
    }

    // From the settings screen: the offer (Download opens the release page), "up to date" and a
    // failure, each in its language; only the offer has a second button.
    void checksAskedForFromSettings()
    {
        for (int i = 0; i < 4; ++i)
            clickItem(QStringLiteral("onboardingContinue"));
        QTRY_VERIFY(!item(QStringLiteral("onboardingLayer"))->isVisible());
        clickItem(QStringLiteral("dashboardSettings"));
        QTRY_VERIFY(shown(item(QStringLiteral("settingsView"))));

        const struct {
            AppLanguage language;
            QByteArray response;
            const char* title;
            const char* message; // or a part of it
            const char* screenshot;
            bool escape; // dismissed with Escape rather than the confirm button
        } rows[] = {
            {AppLanguage::es, offering("1.1"), "Hay una versión nueva", "Orvane 1.1 ya está disponible. Tú tienes la 1.0.",
             "update-available-es", false},
            {AppLanguage::es, offering("1.0"), "Ya tienes la última versión.", "Versión actual: 1.0", "update-uptodate-es", true},
            {AppLanguage::en, httpResponse(500, "oops"), "Couldn't check for updates",
             "The update server answered with an error (HTTP 500). Try again later.", "update-failed-en", false},
            {AppLanguage::es, httpResponse(404, "missing"), "No se pudo buscar actualizaciones", "HTTP 404",
             "update-failed-es", true},
        };
        for (const auto& row : rows) {
            LocalizationManager::shared().setLanguage(row.language);
            m_feed.route("/appcast.xml", row.response);
            QSignalSpy finished(&Updater::shared(), &Updater::checkFinished);
            clickItem(QStringLiteral("checkUpdatesButton"));
            QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
            QCOMPARE(finished.first().first().toBool(), true);
            QTRY_VERIFY(alertShown());
            QCOMPARE(text("updateAlertTitle"), QString::fromUtf8(row.title));
            QVERIFY2(text("updateAlertMessage").contains(QString::fromUtf8(row.message)), qPrintable(text("updateAlertMessage")));
            const bool offer = QByteArray(row.screenshot).startsWith("update-available");
            QCOMPARE(shown(item("updateAlertCancel")), offer);
            m_app.snap(QString::fromLatin1(row.screenshot), 300);
            m_opened.urls.clear();
            if (row.escape)
                QTest::keyClick(m_app.window(), Qt::Key_Escape);
            else
                clickItem("updateAlertConfirm");
            QTRY_VERIFY(!alertShown());
            QCOMPARE(m_opened.urls, offer ? QList<QUrl>{QUrl("https://orvane.app/releases/1.1")} : QList<QUrl>{});
        }
    }
};

QTEST_MAIN(TestUpdateDialogs)
#include "tst_update_dialogs.moc"
