#include "palette.h"

#include <QTest>

using namespace orvane;

class TestPalette : public QObject
{
    Q_OBJECT

private slots:
    void accents()
    {
        QCOMPARE(accentColor(QStringLiteral("space")), QColor::fromRgbF(0.25f, 0.8f, 0.86f));
        QCOMPARE(accentColor(QStringLiteral("dup")), QColor::fromRgbF(1.0f, 0.45f, 0.62f));
        QCOMPARE(accentColor(QStringLiteral("settings")), accentColor(QStringLiteral("about")));
        QVERIFY(accentColor(QStringLiteral("settings")) != brandColor());
        QCOMPARE(accentColor(QString()), brandColor());
        QCOMPARE(accentColor(QStringLiteral("Smart")), brandColor());
        QVERIFY(accentColor(QStringLiteral("smart")) != brandColor());
        QCOMPARE(brandColor(), QColor::fromRgbF(1.0f, 0.48f, 0.16f));
    }

    void gradients()
    {
        const auto app = appBackgroundStops();
        QCOMPARE(app.size(), 3);
        QCOMPARE(app[1].first, 0.5);
        QCOMPARE(app[2].second, QColor::fromRgbF(0.42f, 0.16f, 0.1f));
        const auto section = sectionBackgroundStops(accentColor(QStringLiteral("apps")));
        QCOMPARE(section.size(), 3);
        QVERIFY(qAbs(section[2].second.alphaF() - 0.38f) < 0.001f); // QColor keeps 16 bits a channel
        QCOMPARE(section[2].second.redF(), 0.68f);
        Palette p;
        QCOMPARE(p.accent(QStringLiteral("protect")), accentColor(QStringLiteral("protect")));
        QCOMPARE(p.appBackground().size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestPalette)
#include "tst_palette.moc"
