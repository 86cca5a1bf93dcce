#include "palette.h"

#include <QHash>

namespace orvane {

namespace {

QColor rgb(double r, double g, double b, double a = 1.0)
{
    return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}

QList<QColor> colorsOf(const QGradientStops& stops)
{
    QList<QColor> colors;
    for (const auto& stop : stops)
        colors.append(stop.second);
    return colors;
}

} // namespace

QColor accentColor(const QString& sectionId)
{
    static const QHash<QString, QColor> accents = {
        {QStringLiteral("smart"), rgb(1.0, 0.62, 0.2)},
        {QStringLiteral("cleanup"), rgb(1.0, 0.4, 0.18)},
        {QStringLiteral("apps"), rgb(0.68, 0.5, 1.0)},
        {QStringLiteral("space"), rgb(0.25, 0.8, 0.86)},
        {QStringLiteral("protect"), rgb(0.34, 0.86, 0.56)},
        {QStringLiteral("dup"), rgb(1.0, 0.45, 0.62)},
        {QStringLiteral("settings"), rgb(0.62, 0.64, 0.72)},
        {QStringLiteral("about"), rgb(0.62, 0.64, 0.72)},
    };
    return accents.value(sectionId, brandColor());
}

QColor brandColor()
{
    static const QColor brand = rgb(1.0, 0.48, 0.16);
    return brand;
}

QGradientStops appBackgroundStops()
{
    static const QGradientStops stops = {
        {0.0, rgb(0.08, 0.04, 0.14)},
        {0.5, rgb(0.16, 0.06, 0.1)},
        {1.0, rgb(0.42, 0.16, 0.1)},
    };
    return stops;
}

QGradientStops sectionBackgroundStops(const QColor& accent)
{
    QColor tint = accent;
    tint.setAlphaF(0.38f);
    return {
        {0.0, rgb(0.06, 0.05, 0.1)},
        {0.5, rgb(0.11, 0.06, 0.09)},
        {1.0, tint},
    };
}

QList<QColor> Palette::appBackground() const
{
    return colorsOf(appBackgroundStops());
}

QList<QColor> Palette::sectionBackground(const QColor& accent) const
{
    return colorsOf(sectionBackgroundStops(accent));
}

} // namespace orvane
