#include "painted_items.h"
#include "palette.h"
#include "springs.h"
#include "symbols.h"

#include <QEasingCurve>
#include <QFile>
#include <QGuiApplication>
#include <QRawFont>
#include <QTest>

using namespace orvane;

namespace {

// The curve the way QML's easing.bezierCurve builds it.
QEasingCurve easingOf(const SpringCurve& curve)
{
    QEasingCurve easing(QEasingCurve::BezierSpline);
    for (qsizetype i = 0; i + 5 < curve.bezier.size(); i += 6)
        easing.addCubicBezierSegment(QPointF(curve.bezier[i].toDouble(), curve.bezier[i + 1].toDouble()),
                                     QPointF(curve.bezier[i + 2].toDouble(), curve.bezier[i + 3].toDouble()),
                                     QPointF(curve.bezier[i + 4].toDouble(), curve.bezier[i + 5].toDouble()));
    return easing;
}

} // namespace

// The shell's drawing pieces: icon glyphs, section colours, the springs every screen animates
// with (played through Qt's own easing curve) and the soft shadows.
class TestSymbols : public QObject
{
    Q_OBJECT

private slots:
    void everySymbolHasAGlyphInTheBundledFont()
    {
        QVERIFY(loadSymbolFont());
        QFile file(QStringLiteral(":/Orvane/Shell/fonts/MaterialIcons-Regular.ttf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 24);
        QVERIFY(font.isValid());
        QStringList missing;
        for (auto it = symbolTable().cbegin(); it != symbolTable().cend(); ++it)
            if (!font.supportsCharacter(QChar(it.value())))
                missing << it.key();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", ")));
    }

    void namesTheScreensUse()
    {
        // Sections, sources, controls and progress screens all have a glyph of their own.
        const QStringList names = {"sparkles", "trash", "square.grid.2x2", "internaldrive", "shield", "doc.on.doc",
                                   "gearshape", "info.circle", "hammer", "shippingbox", "arrow.down.circle", "doc.text",
                                   "macwindow", "doc.fill", "clock.arrow.circlepath", "safari", "globe", "flame",
                                   "checkmark.seal.fill", "house.fill", "heart.fill", "bolt.fill", "checkmark.square.fill",
                                   "square", "minus.square.fill", "chevron.right", "sparkle", "paintbrush.pointed.fill",
                                   "checkmark.circle.fill"};
        for (const QString& name : names)
            QVERIFY2(symbolTable().contains(name), qPrintable(name));
        QCOMPARE(symbolGlyph(QStringLiteral("no.such.symbol")), QString(QChar(0xe8fd)));
    }

    void unknownSectionsFallBackToTheBrandColour()
    {
        // Section ids are matched exactly; anything else takes the brand colour, not black.
        QVERIFY(accentColor(QStringLiteral("smart")) != brandColor());
        QCOMPARE(accentColor(QStringLiteral("Smart")), brandColor());
        QCOMPARE(accentColor(QString()), brandColor());
        QCOMPARE(accentColor(QStringLiteral("settings")), accentColor(QStringLiteral("about")));
    }

    void curvesFollowTheSpring_data()
    {
        QTest::addColumn<double>("response");
        QTest::addColumn<double>("damping");
        // The ones the screens use, and the extremes the mapping accepts.
        for (const auto& [r, d] : std::initializer_list<std::pair<double, double>>{
                 {0.3, 0.7}, {0.35, 0.72}, {0.35, 0.8}, {0.4, 0.7}, {0.5, 0.6}, {0.5, 0.72}, {0.5, 0.825},
                 {0.3, 0.8}, {0.5, 1.0}, {0.2, 0.5}, {1.0, 0.9}})
            QTest::addRow("%.2f/%.2f", r, d) << r << d;
    }

    void curvesFollowTheSpring()
    {
        QFETCH(double, response);
        QFETCH(double, damping);
        const SpringCurve curve = springCurve(response, damping);
        // Qt 6.4 keeps at most 10 spline segments; more run past its arrays.
        QCOMPARE(curve.bezier.size() % 6, 0);
        QVERIFY(curve.bezier.size() / 6 <= 10);
        QCOMPARE(curve.bezier.last().toDouble(), 1.0);
        QCOMPARE(curve.bezier[curve.bezier.size() - 2].toDouble(), 1.0);
        QVERIFY(curve.durationMs > 0);
        double x = 0; // time only moves forward along the curve
        for (qsizetype i = 0; i < curve.bezier.size(); i += 2) {
            QVERIFY(curve.bezier[i].toDouble() >= x);
            x = curve.bezier[i].toDouble();
        }

        const QEasingCurve easing = easingOf(curve);
        const double seconds = curve.durationMs / 1000.0;
        double worst = 0;
        for (int k = 0; k <= 400; ++k) {
            const double x = k / 400.0;
            worst = qMax(worst, qAbs(easing.valueForProgress(x) - springValue(response, damping, x * seconds)));
        }
        QVERIFY2(worst < 0.02, qPrintable(QString::number(worst)));
        QCOMPARE(easing.valueForProgress(1.0), 1.0);
    }

    void underdampedSpringsOvershoot()
    {
        // The pop of the onboarding tiles goes past its target before settling; a damping of 1 does not.
        const QEasingCurve pop = easingOf(springCurve(0.5, 0.6));
        double peak = 0;
        for (int k = 0; k <= 200; ++k)
            peak = qMax(peak, pop.valueForProgress(k / 200.0));
        QVERIFY(peak > 1.05);
        const QEasingCurve critical = easingOf(springCurve(0.5, 1.0));
        for (int k = 0; k <= 200; ++k)
            QVERIFY(critical.valueForProgress(k / 200.0) <= 1.0 + 1e-6);
    }
    void blurKeepsTheShapeCentredAndSoft()
    {
        QImage alpha(41, 41, QImage::Format_Alpha8);
        alpha.fill(0);
        alpha.scanLine(20)[20] = 255;
        for (int y = 15; y <= 25; ++y)
            for (int x = 15; x <= 25; ++x)
                alpha.scanLine(y)[x] = 255;
        blurAlpha(alpha, 8);
        const int centre = alpha.scanLine(20)[20];
        QVERIFY(centre > 100 && centre < 255);
        QVERIFY(alpha.scanLine(20)[10] > 0);                 // spread out
        QCOMPARE(alpha.scanLine(20)[12], alpha.scanLine(20)[28]); // symmetric
        QCOMPARE(alpha.scanLine(0)[0], uchar(0));
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_symbols.moc"
