#pragma once

#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// A spring given as (response in seconds, damping fraction), the way the designs state it,
// turned into a duration and a Bézier easing curve that follows the spring's step response
// (overshoot included) and ends when its swing has died down to 0.1 %.
struct SpringCurve {
    int durationMs = 0;
    QVariantList bezier; // x, y of c1, c2 and end of each segment, for Easing.BezierSpline
};
SpringCurve springCurve(double response, double dampingFraction);
// The spring's step response at time t seconds (0 at rest, 1 at the target).
double springValue(double response, double dampingFraction, double t);

class Springs : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    Q_INVOKABLE int duration(double response, double dampingFraction) const;
    Q_INVOKABLE QVariantList curve(double response, double dampingFraction) const;
};

} // namespace orvane
