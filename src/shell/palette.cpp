#include "palette.h"

#include <QHash>

#include <algorithm>
#include <cmath>

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

QColor destructiveColor()
{
    static const QColor red = rgb(1.0, 0.33, 0.28); // light enough for dark text over its whole gradient
    return red;
}

QColor inkColor()
{
    static const QColor ink = rgb(0.1, 0.06, 0.13);
    return ink;
}

namespace {

double luminance(const QColor& c)
{
    const auto channel = [](float v) {
        return v <= 0.04045f ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The hover gloss of a filled button: white at this opacity at its top.
constexpr float kGloss = 0.28f;

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor lightestFill(const QColor& tint)
{
    const QColor top = gradientTop(tint);
    const auto over = [](float v) { return kGloss + (1 - kGloss) * v; };
    return QColor::fromRgbF(over(top.redF()), over(top.greenF()), over(top.blueF()));
}

QColor darkestFill(const QColor& tint)
{
    QColor bottom = gradientBottom(tint);
    bottom.setAlphaF(1.0f);
    return bottom;
}

QColor textOn(const QColor& tint)
{
    const QColor white(Qt::white);
    const auto worst = [&](const QColor& text) {
        return std::min(contrastRatio(text, lightestFill(tint)), contrastRatio(text, darkestFill(tint)));
    };
    return worst(white) >= worst(inkColor()) ? white : inkColor();
}

QColor gradientTop(const QColor& c)
{
    return c.lighter(118);
}

QColor gradientBottom(const QColor& c)
{
    return c.darker(112);
}

QList<QColor> Palette::appBackground() const
{
    return colorsOf(appBackgroundStops());
}

QVariantList Palette::sectionBackground(const QColor& accent) const
{
    QVariantList colors;
    for (const QColor& c : colorsOf(sectionBackgroundStops(accent)))
        colors.append(c);
    return colors;
}

} // namespace orvane
