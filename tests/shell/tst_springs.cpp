#include "springs.h"

#include <QEasingCurve>
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

// The springs every screen animates with, played through Qt's own easing curve.
class TestSprings : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_APPLESS_MAIN(TestSprings)
#include "tst_springs.moc"
