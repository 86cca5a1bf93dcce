#include "app_config.h"
#include "localization_manager.h"
#include "screen_host.h"

#include <QDesktopServices>

using namespace orvane;
using namespace orvane::testing;

// The About screen on its own, in both languages: its texts, the line break of the tagline and
// where each button and link leads.
class TestAbout : public QObject
{
    Q_OBJECT

    ScreenHost m_host;
    OpenedUrls m_opened;

    QString text(const QString& name) const { return m_host.text(name); }
    void clickItem(const QString& name) { m_host.clickItem(name); }

private slots:
    void initTestCase()
    {
        for (const char* scheme : {"https", "http", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_opened, "open");
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        setupApplication();
        QVERIFY2(m_host.show("import Orvane.Shell", "AboutView { anchors.fill: parent }", {}, {}, QSize(860, 640)),
                 qPrintable(m_host.error()));
    }

    void cleanupTestCase()
    {
        for (const char* scheme : {"https", "http", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    void textsInBothLanguages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("tagline");
        QTest::newRow("es") << "es" << "Versión 1.0"
                            << "Optimización de almacenamiento nativa para Linux.\nRápida, precisa y sin antivirus falso.";
        QTest::newRow("en") << "en" << "Version 1.0" << "Native storage optimization for Linux.\nFast, precise and no fake antivirus.";
    }

    void textsInBothLanguages()
    {
        QFETCH(QString, language);
        QFETCH(QString, version);
        QFETCH(QString, tagline);
        LocalizationManager::shared().setLanguageCode(language);
        QCOMPARE(text("aboutVersion"), version);
        QCOMPARE(text("aboutTagline"), tagline);
        // The line break shows as two lines, each on its own (the screen is wide enough for either).
        QTRY_COMPARE(m_host.item("aboutTagline")->property("lineCount").toInt(), 2);
        // Everything stacked in order, centred in the screen.
        const auto centreX = [this](const char* name) {
            QQuickItem* i = m_host.item(QString::fromLatin1(name));
            return i->mapToScene(QPointF(i->width() / 2, 0)).x();
        };
        for (const char* name : {"aboutVersion", "aboutMadeBy", "aboutTagline"})
            QVERIFY2(qAbs(centreX(name) - m_host.window()->width() / 2.0) <= 1.0, name);
        const auto top = [this](const char* name) { return m_host.item(QString::fromLatin1(name))->mapToScene(QPointF(0, 0)).y(); };
        QVERIFY(top("aboutVersion") < top("aboutMadeBy"));
        QVERIFY(top("aboutMadeBy") < top("aboutTagline"));
        QVERIFY(top("aboutTagline") < top("aboutDonate"));
        QVERIFY(top("aboutDonate") < top("aboutTerms"));
        m_host.snap(QStringLiteral("about-") + language, 100);
    }

    void buttonsAndLinksOpenTheirPages()
    {
        m_opened.urls.clear();
        clickItem("aboutDonate");
        clickItem("aboutContact");
        clickItem("aboutTerms");
        clickItem("aboutPrivacy");
        const QList<QUrl> expected{QUrl(QString::fromLatin1(config::donationUrl)),
                                   QUrl(QString::fromLatin1(config::contactUrl)),
                                   QUrl(QString::fromLatin1(config::termsUrl)),
                                   QUrl(QString::fromLatin1(config::privacyUrl))};
        QCOMPARE(m_opened.urls, expected);
        // The separator is not a link.
        QQuickItem* terms = m_host.item("aboutTerms");
        const QPointF between = terms->mapToScene(QPointF(terms->width() + 9, terms->height() / 2));
        QTest::mouseClick(m_host.window(), Qt::LeftButton, {}, between.toPoint());
        QCOMPARE(m_opened.urls.size(), 4);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
