#include "localization_manager.h"
#include "onboarding.h"
#include "screen_host.h"
#include "test_home.h"

#include <QSignalSpy>

using namespace orvane;
using namespace orvane::testing;

// The first-run tour: its step rules, the language it stores, and the real screen driven like a
// user would, in both languages, up to the flag that keeps it from coming back.
class TestOnboarding : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScreenHost> m_host;

    QQuickItem* item(const QString& name) const { return m_host->item(name); }
    QString text(const QString& name) const { return m_host->text(name); }
    void clickItem(const QString& name) { m_host->clickItem(name); }
    // Pages on the stage: two while one slides out, one once it has gone.
    int pages() const { return int(item(QStringLiteral("onboardingStage"))->childItems().size()); }
    void settle()
    {
        QTRY_COMPARE(pages(), 1);
        QTRY_COMPARE(item(QStringLiteral("onboardingStage"))->childItems().first()->x(), 0.0);
    }
    OnboardingSteps* steps() const
    {
        return qobject_cast<OnboardingSteps*>(item(QStringLiteral("onboarding"))->property("steps").value<QObject*>());
    }
    void showTour()
    {
        m_host = std::make_unique<ScreenHost>();
        QVERIFY2(m_host->show("import Orvane.Shell", "OnboardingView { anchors.fill: parent; lastStep: 3 }"),
                 qPrintable(m_host->error()));
        QVERIFY(item(QStringLiteral("onboarding")));
        settle();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(testing::inOwnTestHome(), "tests run in their own home");
        appSettings().clear();
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        setupApplication();
    }

    void stepRules()
    {
        OnboardingSteps tour;
        QSignalSpy moved(&tour, &OnboardingSteps::stepChanged);
        QSignalSpy finished(&tour, &OnboardingSteps::finished);
        QCOMPARE(tour.lastStep(), 3);
        tour.back(); // no Back on step 0
        QCOMPARE(tour.step(), 0);
        QVERIFY(!tour.canGoBack());
        for (int expected = 1; expected <= 3; ++expected) {
            tour.advance();
            QCOMPARE(tour.step(), expected);
        }
        QCOMPARE(tour.continueKey(), QStringLiteral("onb.start"));
        tour.back();
        QCOMPARE(tour.continueKey(), QStringLiteral("onb.continue"));
        tour.advance();
        QCOMPARE(moved.count(), 5);
        QCOMPARE(finished.count(), 0);

        // Get started ends the tour once and never opens a step 4, however often it is pressed;
        // Back does nothing after that.
        tour.advance();
        tour.advance();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(tour.step(), 3);
        QVERIFY(tour.done());
        tour.back();
        QCOMPARE(tour.step(), 3);
        QCOMPARE(moved.count(), 5);
    }

    void otherLengths()
    {
        // Its length is fixed once it has moved.
        OnboardingSteps shortTour;
        shortTour.setLastStep(1);
        shortTour.advance();
        QVERIFY(shortTour.onLastStep());
        shortTour.setLastStep(5);
        QCOMPARE(shortTour.lastStep(), 1);

        // Nothing below zero: a tour of the language step alone ends on its first Continue.
        OnboardingSteps single;
        QSignalSpy finished(&single, &OnboardingSteps::finished);
        single.setLastStep(-2);
        QCOMPARE(single.lastStep(), 0);
        single.advance();
        QCOMPARE(single.step(), 0);
        QCOMPARE(finished.count(), 1);
    }

    void languageChoiceIsStoredAtOnce()
    {
        LocalizationManager& loc = LocalizationManager::shared();
        loc.setLanguage(AppLanguage::es);
        OnboardingSteps tour;
        QSignalSpy changed(&loc, &LocalizationManager::languageChanged);
        QSignalSpy moved(&tour, &OnboardingSteps::stepChanged);

        tour.chooseLanguage(QStringLiteral("en"));
        QCOMPARE(loc.language(), AppLanguage::en);
        QCOMPARE(appSettings().value(QStringLiteral("app_language")).toString(), QStringLiteral("en"));
        QCOMPARE(appSettings().value(QStringLiteral("AppleLanguages")).toStringList(), QStringList{QStringLiteral("en")});
        QCOMPARE(tour.step(), 0);
        QCOMPARE(moved.count(), 0);

        tour.chooseLanguage(QStringLiteral("en")); // already current: nothing happens
        tour.chooseLanguage(QStringLiteral("fr")); // not one of ours
        tour.chooseLanguage(QString());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(loc.language(), AppLanguage::en);
        loc.setLanguage(AppLanguage::es);
    }

    void languageStepOnScreen()
    {
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        showTour();
        QCOMPARE(text(QStringLiteral("onbTitle_0")), QStringLiteral("Elige tu idioma"));
        QVERIFY(!shown(item(QStringLiteral("onboardingBack"))));
        QCOMPARE(item(QStringLiteral("pageDot_0"))->width(), 26.0);
        QCOMPARE(item(QStringLiteral("pageDot_1"))->width(), 8.0);
        QTRY_COMPARE(item(QStringLiteral("langCard_es"))->property("chosen").toDouble(), 1.0);
        QCOMPARE(item(QStringLiteral("langCard_en"))->property("chosen").toDouble(), 0.0);
        screenshot(m_host->window(), QStringLiteral("onboarding-0-es"));

        // English: every text changes at once, the step stays, the English card lights up.
        clickItem(QStringLiteral("langCard_en"));
        QCOMPARE(LocalizationManager::shared().language(), AppLanguage::en);
        QCOMPARE(text(QStringLiteral("onbTitle_0")), QStringLiteral("Choose your language"));
        QCOMPARE(text(QStringLiteral("onboardingContinueText")), QStringLiteral("Continue"));
        QCOMPARE(steps()->step(), 0);
        QCOMPARE(pages(), 1);
        QTRY_COMPARE(item(QStringLiteral("langCard_en"))->property("chosen").toDouble(), 1.0);
        QTRY_COMPARE(item(QStringLiteral("langCard_es"))->property("chosen").toDouble(), 0.0);
        screenshot(m_host->window(), QStringLiteral("onboarding-0-en"));
    }

    void slidesPlayInEnglish()
    {
        // Continues from the language step above, now in English.
        clickItem(QStringLiteral("onboardingContinue"));
        QCOMPARE(steps()->step(), 1);
        QVERIFY(item(QStringLiteral("onboardingPage_1")));
        settle();
        QVERIFY(!item(QStringLiteral("onboardingPage_0")));
        QCOMPARE(text(QStringLiteral("onbTitle_1")), QStringLiteral("Welcome to Orvane"));
        QVERIFY(shown(item(QStringLiteral("onboardingBack"))));
        QCOMPARE(item(QStringLiteral("pageDot_1"))->width(), 26.0);
        // The ring fills to 68 % while the counter rolls up to 62.
        QQuickItem* reclaim = item(QStringLiteral("onbReclaimMock"));
        QVERIFY(reclaim);
        QVERIFY(reclaim->property("gb").toDouble() < 62);
        QTRY_COMPARE(reclaim->property("gb").toDouble(), 62.0);
        QCOMPARE(reclaim->property("progress").toDouble(), 0.68);
        QCOMPARE(text(QStringLiteral("onbReclaimNumber")), QStringLiteral("62"));
        m_host->snap(QStringLiteral("onboarding-1-en"), 300);

        clickItem(QStringLiteral("onboardingContinue"));
        settle();
        QCOMPARE(text(QStringLiteral("onbTitle_2")), QStringLiteral("Your whole computer, in one place"));
        // The tiles pop in one after another and all end in place.
        QVERIFY(item(QStringLiteral("onbModulesMock"))->property("shown").toBool());
        QTRY_COMPARE(item(QStringLiteral("onbTile_5"))->scale(), 1.0);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(item(QStringLiteral("onbTile_%1").arg(i))->opacity(), 1.0);
        screenshot(m_host->window(), QStringLiteral("onboarding-2-en"));

        clickItem(QStringLiteral("onboardingContinue"));
        QCOMPARE(text(QStringLiteral("onboardingContinueText")), QStringLiteral("Get started"));
        settle();
        QCOMPARE(text(QStringLiteral("onbCheckLabel_2")), QStringLiteral("Large files"));
        QTRY_COMPARE(item(QStringLiteral("onbControlMock"))->property("checked").toList(),
                     QVariantList({true, true, true}));
        m_host->snap(QStringLiteral("onboarding-3-en"), 500);

        // A language change on a later slide redraws it too (the settings can change it meanwhile).
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QCOMPARE(text(QStringLiteral("onbTitle_3")), QStringLiteral("Tú tienes el control"));
        QCOMPARE(text(QStringLiteral("onbCheckLabel_1")), QStringLiteral("Duplicados"));
        QCOMPARE(text(QStringLiteral("onboardingContinueText")), QStringLiteral("Empezar"));
        m_host->snap(QStringLiteral("onboarding-3-es"));
        LocalizationManager::shared().setLanguage(AppLanguage::en);
    }

    void checklistTicksInTurn()
    {
        // Back to step 2 and forward again: the tiles and the checklist start over, and the
        // rows tick one after another.
        QCOMPARE(steps()->step(), 3);
        clickItem(QStringLiteral("onboardingBack"));
        QCOMPARE(text(QStringLiteral("onboardingContinueText")), QStringLiteral("Continue"));
        settle();
        QQuickItem* lastTile = item(QStringLiteral("onbTile_5"));
        QVERIFY(lastTile->scale() < 0.5);
        QTRY_COMPARE(lastTile->scale(), 1.0);

        clickItem(QStringLiteral("onboardingContinue"));
        QQuickItem* control = nullptr;
        for (QQuickItem* page : item(QStringLiteral("onboardingStage"))->childItems())
            if (page->objectName() == QStringLiteral("onboardingPage_3"))
                control = findItem(page, QStringLiteral("onbControlMock"));
        QVERIFY(control);
        const auto checked = [control] { return control->property("checked").toList(); };
        QCOMPARE(checked(), QVariantList({false, false, false}));
        QTRY_VERIFY(checked().at(0).toBool());
        QVERIFY(!checked().at(2).toBool());
        QTRY_VERIFY(checked().at(1).toBool());
        QTRY_VERIFY(checked().at(2).toBool());
    }

    void getStartedFinishesOnce()
    {
        QQuickItem* view = item(QStringLiteral("onboarding"));
        QSignalSpy finish(view, SIGNAL(finish()));
        QCOMPARE(steps()->step(), 3);
        clickItem(QStringLiteral("onboardingContinue"));
        clickItem(QStringLiteral("onboardingContinue"));
        QCOMPARE(finish.count(), 1);
        QCOMPARE(steps()->step(), 3);
        QVERIFY(!item(QStringLiteral("onboardingPage_4")));
        QVERIFY(!item(QStringLiteral("pageDot_4")));
    }

    void finishingInTheApplication()
    {
        // The whole window: the tour lies over the dashboard until Get started, then the flag is
        // stored and the dashboard takes input.
        AppHost app;
        QVERIFY(app.load(false));
        QQuickItem* layer = app.item(QStringLiteral("onboardingLayer"));
        QVERIFY(layer && layer->isVisible());
        QVERIFY(app.item(QStringLiteral("dashboard")));
        for (int i = 0; i < 4; ++i) {
            app.clickItem(QStringLiteral("onboardingContinue"));
            QTest::qWait(400);
        }
        QTRY_VERIFY(!layer->isVisible());
        QVERIFY(appSettings().value(QStringLiteral("hasCompletedOnboarding")).toBool());
        app.snap(QStringLiteral("onboarding-finished-dashboard"));
    }
};

QTEST_MAIN(TestOnboarding)
#include "tst_onboarding.moc"
