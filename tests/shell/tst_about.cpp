#include "app_config.h"
#include "localization_manager.h"
#include "screen_host.h"

#include <QDesktopServices>

using namespace orvane;
using namespace orvane::testing;

// The About screen on its own, in both languages: its texts, the line break of the tagline, the
// order of its parts and where each button and link leads.
class TestAbout : public QObject
{
    Q_OBJECT

    ScreenHost m_host;
    OpenedUrls m_opened;

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

    void textsInBothLanguages()
    {
        const struct {
            const char *language, *version, *tagline;
        } rows[] = {
            {"es", "Versión 1.0", "Optimización de almacenamiento nativa para Linux.\nRápida, precisa y sin antivirus falso."},
            {"en", "Version 1.0", "Native storage optimization for Linux.\nFast, precise and no fake antivirus."},
        };
        for (const auto& row : rows) {
            LocalizationManager::shared().setLanguageCode(QString::fromLatin1(row.language));
            QCOMPARE(m_host.text("aboutVersion"), QString::fromUtf8(row.version));
            QCOMPARE(m_host.text("aboutTagline"), QString::fromUtf8(row.tagline));
            // The line break shows as two lines (the screen is wide enough for either).
            QTRY_COMPARE(m_host.item("aboutTagline")->property("lineCount").toInt(), 2);
            // Everything stacked in order; the three texts centred in the screen.
            const char* stack[] = {"aboutVersion", "aboutMadeBy", "aboutTagline", "aboutDonate", "aboutTerms"};
            for (int k = 0; k < 5; ++k) {
                QQuickItem* i = m_host.item(QString::fromLatin1(stack[k]));
                const QPointF top = i->mapToScene(QPointF(i->width() / 2, 0));
                QVERIFY2(k == 0 || top.y() > m_host.item(QString::fromLatin1(stack[k - 1]))->mapToScene(QPointF(0, 0)).y(), stack[k]);
                QVERIFY2(k > 2 || qAbs(top.x() - m_host.window()->width() / 2.0) <= 1.0, stack[k]);
            }
            m_host.snap(QStringLiteral("about-") + row.language, 100);
        }
    }

    void buttonsAndLinksOpenTheirPages()
    {
        m_opened.urls.clear();
        for (const char* name : {"aboutDonate", "aboutContact", "aboutTerms", "aboutPrivacy"})
            m_host.clickItem(QString::fromLatin1(name));
        const QList<QUrl> expected{QUrl(QString::fromLatin1(config::donationUrl)), QUrl(QString::fromLatin1(config::contactUrl)),
                                   QUrl(QString::fromLatin1(config::termsUrl)), QUrl(QString::fromLatin1(config::privacyUrl))};
        QCOMPARE(m_opened.urls, expected);
        // The separator is not a link.
        QQuickItem* terms = m_host.item("aboutTerms");
        QTest::mouseClick(m_host.window(), Qt::LeftButton, {}, terms->mapToScene(QPointF(terms->width() + 9, terms->height() / 2)).toPoint());
        QCOMPARE(m_opened.urls.size(), 4);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
