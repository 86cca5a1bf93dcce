#pragma once

// Soft edges for the painted items: shadows and glows drawn as blurred alpha masks, tinted.

#include <QColor>
#include <QImage>
#include <QPointF>

class QPainter;

namespace orvane {

// Blurs the alpha channel of `image` (Format_Alpha8) in place, roughly a Gaussian of the given radius.
void blurAlpha(QImage& image, double radius);
// `alpha` in the colour (opaque: the colour's own alpha is applied when drawing).
QImage colorized(const QImage& alpha, const QColor& color);
// Draws `alpha` in the colour at `at`, with the colour's alpha as opacity.
void paintTinted(QPainter* painter, const QImage& alpha, const QColor& color, const QPointF& at);

} // namespace orvane
