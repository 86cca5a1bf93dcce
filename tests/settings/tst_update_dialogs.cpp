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
// offer of a newer version (automatic or asked for), "up to date" and failures only when asked
// for, in both languages, over whatever screen is showing.
class TestUpdateDialogs : public QObject
{
    Q_OBJECT

    FeedServer m_feed;
    OpenedUrls m_opened;
    AppHost m_app;

    QQuickItem* item(const QString& name) const { return m_app.item(name); }
    QString text(const QString& name) const { return m_app.text(name); }
    void clickItem(const QString& name) { m_app.clickItem(name); }
    void serve(const QByteArray& response) { m_feed.route("/appcast.xml", response); }
    bool alertShown() const { return shown(item(QStringLiteral("updateAlert"))); }
    // One check asked for from the settings screen, waited for to the end.
    void checkNow()
    {
        QSignalSpy finished(&Updater::shared(), &Updater::checkFinished);
        clickItem(QStringLiteral("checkUpdatesButton"));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
    }

private slots:
    void initTestCase()
    {
        const QUrl feedUrl = m_feed.url(QStringLiteral("/appcast.xml"));
        qputenv("ORVANE_UPDATE_FEED", feedUrl.toEncoded());
        serve(offering("1.1"));
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
        QTRY_VERIFY(alertShown());
        QVERIFY(shown(item(QStringLiteral("onboarding"))));
        QCOMPARE(m_feed.hits("/appcast.xml"), 1);
        QCOMPARE(text("updateAlertTitle"), QStringLiteral("A new version is available"));
        QCOMPARE(text("updateAlertMessage"), QStringLiteral("Orvane 1.1 is now available. You have 1.0."));
        QVERIFY(item("updateAlertCancel")->mapToScene(QPointF(0, 0)).x() < item("updateAlertConfirm")->mapToScene(QPointF(0, 0)).x());
        QTest::qWait(300); // the alert's entrance
        m_app.snap(QStringLiteral("update-available-en"));
        // The tour underneath takes no click while the alert is up.
        QQuickItem* next = item(QStringLiteral("onboardingContinue"));
        QTest::mouseClick(m_app.window(), Qt::LeftButton, {}, next->mapToScene(QPointF(next->width() / 2, next->height() / 2)).toPoint());
        QVERIFY(alertShown());
        QCOMPARE(item(QStringLiteral("onboarding"))->property("steps").value<QObject*>()->property("step").toInt(), 0);

        clickItem("updateAlertCancel"); // Later
        QTRY_VERIFY(!alertShown());
        QVERIFY(m_opened.urls.isEmpty());
    }

    void checkOnDemandFromSettings()
    {
        for (int i = 0; i < 4; ++i) {
            clickItem(QStringLiteral("onboardingContinue"));
            QTest::qWait(400);
        }
        QTRY_VERIFY(!item(QStringLiteral("onboardingLayer"))->isVisible());
        clickItem(QStringLiteral("dashboardSettings"));
        QTRY_VERIFY(shown(item(QStringLiteral("settingsView"))));

        // In Spanish: the offer, and Download opens the release page.
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        checkNow();
        QTRY_VERIFY(alertShown());
        QCOMPARE(text("updateAlertMessage"), QStringLiteral("Orvane 1.1 ya está disponible. Tú tienes la 1.0."));
        QTest::qWait(300);
        m_app.snap(QStringLiteral("update-available-es"));
        clickItem("updateAlertConfirm");
        QTRY_VERIFY(!alertShown());
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl(QStringLiteral("https://orvane.app/releases/1.1"))});
    }

    void upToDateOnlyWhenAsked()
    {
        serve(offering("1.0"));
        checkNow();
        QTRY_VERIFY(alertShown());
        QCOMPARE(text("updateAlertTitle"), QStringLiteral("Ya tienes la última versión."));
        QVERIFY(!shown(item("updateAlertCancel")));
        QTest::qWait(300);
        m_app.snap(QStringLiteral("update-uptodate-es"));
        QTest::keyClick(m_app.window(), Qt::Key_Escape);
        QTRY_VERIFY(!alertShown());

    }

    void failuresOnlyWhenAsked()
    {
        // Every kind of failure and its message is covered by tst_updater; here how one shows.
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        serve(httpResponse(500, "oops"));

        QSignalSpy finished(&Updater::shared(), &Updater::checkFinished);
        Updater::shared().startAutomaticChecks();
        QTRY_COMPARE(finished.count(), 1);
        QTest::qWait(200);
        QVERIFY(!alertShown());

        checkNow();
        QTRY_VERIFY(alertShown());
        QCOMPARE(text("updateAlertTitle"), QStringLiteral("Couldn't check for updates"));
        QCOMPARE(text("updateAlertMessage"), QStringLiteral("The update server answered with an error (HTTP 500). Try again later."));
        QVERIFY(!shown(item("updateAlertCancel")));
        QTest::qWait(300);
        m_app.snap(QStringLiteral("update-failed-en"));
        clickItem("updateAlertConfirm");
        QTRY_VERIFY(!alertShown());
    }

    void failureInSpanish()
    {
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        serve(httpResponse(404, "missing"));
        checkNow();
        QTRY_VERIFY(alertShown());
        QCOMPARE(text("updateAlertTitle"), QStringLiteral("No se pudo buscar actualizaciones"));
        QVERIFY(text("updateAlertMessage").contains(QStringLiteral("HTTP 404")));
        QTest::qWait(300);
        m_app.snap(QStringLiteral("update-failed-es"));
        clickItem("updateAlertConfirm");
        QTRY_VERIFY(!alertShown());
    }

};

QTEST_MAIN(TestUpdateDialogs)
#include "tst_update_dialogs.moc"
