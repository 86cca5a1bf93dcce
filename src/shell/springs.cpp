#include "springs.h"

#include <QtMath>

namespace orvane {

namespace {

struct Motion {
    double value;
    double velocity;
};

Motion spring(double response, double zeta, double t)
{
    const double w0 = 2.0 * M_PI / response;
    if (zeta < 1.0) {
        const double a = zeta * w0;
        const double wd = w0 * std::sqrt(1.0 - zeta * zeta);
        const double e = std::exp(-a * t);
        return {1.0 - e * (std::cos(wd * t) + a / wd * std::sin(wd * t)), e * std::sin(wd * t) * w0 * w0 / wd};
    }
    const double e = std::exp(-w0 * t);
    return {1.0 - e * (1.0 + w0 * t), w0 * w0 * t * e};
}

double settleTime(double response, double zeta)
{
    const double w0 = 2.0 * M_PI / response;
    const double rate = zeta < 1.0 ? zeta * w0 : w0 * 0.75; // critically damped decays about like this
    return std::log(1000.0) / rate;
}

} // namespace

double springValue(double response, double dampingFraction, double t)
{
    return spring(qMax(response, 0.01), qBound(0.05, dampingFraction, 1.0), qMax(0.0, t)).value;
}

SpringCurve springCurve(double response, double dampingFraction)
{
    response = qMax(response, 0.01);
    dampingFraction = qBound(0.05, dampingFraction, 1.0);
    const double total = settleTime(response, dampingFraction);
    SpringCurve curve;
    curve.durationMs = int(std::lround(total * 1000.0));
    // Cubic Hermite pieces (value and slope at both ends) written as Bézier segments. Qt 6.4's
    // BezierSpline easing keeps its segments in arrays of 10 and writes past them when given more
    // (garbage values, then heap corruption), so 10 it is: still within 0.02 of the spring.
    constexpr int segments = 10;
    double u0 = 0.0;
    Motion m0 = spring(response, dampingFraction, 0.0);
    for (int i = 1; i <= segments; ++i) {
        const double u1 = double(i) / segments;
        Motion m1 = spring(response, dampingFraction, u1 * total);
        if (i == segments)
            m1 = {1.0, 0.0};
        const double h = u1 - u0;
        const double d0 = m0.velocity * total;
        const double d1 = m1.velocity * total;
        curve.bezier << u0 + h / 3.0 << m0.value + d0 * h / 3.0 << u1 - h / 3.0 << m1.value - d1 * h / 3.0 << u1
                     << m1.value;
        u0 = u1;
        m0 = m1;
    }
    return curve;
}

int Springs::duration(double response, double dampingFraction) const
{
    return springCurve(response, dampingFraction).durationMs;
}

QVariantList Springs::curve(double response, double dampingFraction) const
{
    return springCurve(response, dampingFraction).bezier;
}

} // namespace orvane
