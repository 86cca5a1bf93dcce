#include "blur.h"
#include "palette.h"
#include "springs.h"
#include "symbols.h"
#include "window_buttons.h"

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
    // The window's buttons follow the desktop's published layout: GNOME's button-layout and
    // KWin's letters, unknown entries dropped, a button named twice shown once.
    void windowButtonLayouts_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("right");
        const QStringList trio{"minimize", "maximize", "close"};
        QTest::newRow("gnome default") << "gnome" << QByteArray("appmenu:close") << QStringList{} << QStringList{"close"};
        QTest::newRow("gnome right") << "gnome" << QByteArray("appmenu:minimize,maximize,close") << QStringList{} << trio;
        QTest::newRow("gnome left") << "gnome" << QByteArray("close,minimize,maximize:appmenu") << QStringList{"close", "minimize", "maximize"} << QStringList{};
        QTest::newRow("gnome no colon") << "gnome" << QByteArray("icon,close") << QStringList{"close"} << QStringList{};
        QTest::newRow("gnome twice, spaces") << "gnome" << QByteArray(" close :spacer, minimize ,close") << QStringList{"close"} << QStringList{"minimize"};
        QTest::newRow("kde left") << "kde" << QByteArray("[org.kde.kdecoration2]\nButtonsOnLeft=XIA\nButtonsOnRight=H\n") << QStringList{"close", "minimize", "maximize"} << QStringList{};
        QTest::newRow("kde one side given") << "kde" << QByteArray("[General]\nX=1\n[org.kde.kdecoration2]\nButtonsOnLeft=MX\n") << QStringList{"close"} << QStringList{"minimize", "maximize"};
        QTest::newRow("kde other group") << "kde" << QByteArray("[Windows]\nButtonsOnLeft=X\n") << QStringList{"none"} << QStringList{"none"};
    }
    void windowButtonLayouts()
    {
        QFETCH(QString, desktop);
        QFETCH(QByteArray, setting);
        QFETCH(QStringList, left);
        QFETCH(QStringList, right);
        WindowButtonLayout layout;
        if (desktop == u"gnome")
            layout = gnomeButtonLayout(QString::fromUtf8(setting));
        else
            layout = kdeButtonLayoutFromConfig(setting).value_or(WindowButtonLayout{{"none"}, {"none"}});
        QCOMPARE(layout.left, left);
        QCOMPARE(layout.right, right);
    }

    // Every name in the table has a glyph in the installed font; an unknown one gets the neutral
    // "help" glyph.
    void symbolsAndColours()
    {
        QVERIFY(loadSymbolFont());
        QFile file(QString::fromLatin1(symbolFontFile));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 24);
        QVERIFY(font.isValid());
        for (auto it = symbolTable().cbegin(); it != symbolTable().cend(); ++it)
            QVERIFY2(font.supportsCharacter(QChar(it.value())), qPrintable(it.key()));
        QCOMPARE(symbolGlyph(QStringLiteral("no.such.symbol")), QString(QChar(0xe8fd)));

        // Section ids are matched exactly; anything else takes the brand colour, not black.
        QVERIFY(accentColor(QStringLiteral("smart")) != brandColor());
        QCOMPARE(accentColor(QStringLiteral("Smart")), brandColor());
        QCOMPARE(accentColor(QString()), brandColor());
        QCOMPARE(contrastRatio(Qt::white, Qt::black), 21.0);
        QVERIFY(qAbs(contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white) - 4.48) < 0.01);
    }

    // Text on every filled button, option and highlight reads at 4.5:1 or better over the whole
    // fill (its lightest point under the hover gloss and its darkest), while the fill keeps the
    // section's colour. (The ratio itself is checked against known pairs above.)
    void textOnEveryAccentReads_data()
    {
        QTest::addColumn<QColor>("fill");
        for (const char* id : {"smart", "cleanup", "apps", "space", "protect", "dup", "settings", "about"})
            QTest::newRow(id) << accentColor(QString::fromLatin1(id));
        QTest::newRow("brand") << brandColor();
        QTest::newRow("destructive") << destructiveColor();
    }
    void textOnEveryAccentReads()
    {
        QFETCH(QColor, fill);
        QCOMPARE(contrastRatio(fill, fill), 1.0);
        const QColor text = textOn(fill);
        const double light = contrastRatio(text, lightestFill(fill));
        const double dark = contrastRatio(text, darkestFill(fill));
        QVERIFY2(std::min(light, dark) >= 4.5, qPrintable(QString::number(std::min(light, dark))));
    }

    // The springs the screens use and the extremes the mapping accepts: within Qt 6.4's ten
    // spline segments (more run past its arrays), time only forward, and close to the spring.
    void curvesFollowTheSpring()
    {
        for (const auto& [response, damping] : std::initializer_list<std::pair<double, double>>{
                 {0.3, 0.7}, {0.35, 0.72}, {0.35, 0.8}, {0.4, 0.7}, {0.5, 0.6}, {0.5, 0.72}, {0.5, 0.825},
                 {0.3, 0.8}, {0.5, 1.0}, {0.2, 0.5}, {1.0, 0.9}}) {
            const QByteArray spring = QByteArray::number(response) + '/' + QByteArray::number(damping);
            const SpringCurve curve = springCurve(response, damping);
            QVERIFY2(curve.bezier.size() % 6 == 0 && curve.bezier.size() / 6 <= 10 && curve.durationMs > 0, spring);
            for (qsizetype i = 2; i < curve.bezier.size(); i += 2)
                QVERIFY2(curve.bezier[i].toDouble() >= curve.bezier[i - 2].toDouble(), spring);
            const QEasingCurve easing = easingOf(curve);
            double worst = 0;
            for (int k = 0; k <= 400; ++k)
                worst = qMax(worst, qAbs(easing.valueForProgress(k / 400.0)
                                         - springValue(response, damping, k / 400.0 * curve.durationMs / 1000.0)));
            QVERIFY2(worst < 0.02 && easing.valueForProgress(1.0) == 1.0, spring + ": " + QByteArray::number(worst));
        }
        // The pop of the onboarding tiles goes past its target before settling; a damping of 1 does not.
        const QEasingCurve pop = easingOf(springCurve(0.5, 0.6)), critical = easingOf(springCurve(0.5, 1.0));
        double popPeak = 0, criticalPeak = 0;
        for (int k = 0; k <= 200; ++k) {
            popPeak = qMax(popPeak, pop.valueForProgress(k / 200.0));
            criticalPeak = qMax(criticalPeak, critical.valueForProgress(k / 200.0));
        }
        QVERIFY(popPeak > 1.05 && criticalPeak <= 1.0 + 1e-6);
    }

    void blurKeepsTheShapeCentredAndSoft()
    {
        QImage alpha(41, 41, QImage::Format_Alpha8);
        alpha.fill(0);
        for (int y = 15; y <= 25; ++y)
            for (int x = 15; x <= 25; ++x)
                alpha.scanLine(y)[x] = 255;
        blurAlpha(alpha, 8);
        const uchar* middle = alpha.scanLine(20);
        QVERIFY(middle[20] > 100 && middle[20] < 255);
        QVERIFY(middle[10] > 0);              // spread out
        QCOMPARE(middle[12], middle[28]);     // symmetric
        QCOMPARE(alpha.scanLine(0)[0], uchar(0));
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_symbols.moc"
