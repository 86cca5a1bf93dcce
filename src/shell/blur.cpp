#include "blur.h"

#include <QPainter>
#include <QtMath>

#include <vector>

namespace orvane {

namespace {

// One box-blur pass of width 2r+1 along rows (horizontal) or columns.
void boxBlur(QImage& img, int r, bool horizontal)
{
    if (r < 1)
        return;
    const int w = img.width(), h = img.height();
    const int lines = horizontal ? h : w, len = horizontal ? w : h;
    std::vector<int> line(static_cast<size_t>(len));
    const int window = 2 * r + 1;
    // Raw access: scanLine() checks for sharing on every call, which dominated the blur.
    uchar* const bits = img.bits();
    const qsizetype stride = img.bytesPerLine();
    for (int l = 0; l < lines; ++l) {
        auto px = [&](int i) -> uchar& {
            return horizontal ? bits[l * stride + i] : bits[i * stride + l];
        };
        for (int i = 0; i < len; ++i)
            line[size_t(i)] = px(i);
        int sum = 0;
        for (int i = -r; i <= r; ++i)
            sum += (i >= 0 && i < len) ? line[size_t(i)] : 0;
        for (int i = 0; i < len; ++i) {
            px(i) = uchar(sum / window);
            const int out = i - r, in = i + r + 1;
            sum += (in < len ? line[size_t(in)] : 0) - (out >= 0 ? line[size_t(out)] : 0);
        }
    }
}

} // namespace

void blurAlpha(QImage& image, double radius)
{
    // Three box passes approximate a Gaussian with sigma = radius / 2.
    const double sigma = radius / 2.0;
    if (sigma < 0.5)
        return;
    const int r = qMax(1, int(std::lround(std::sqrt(12.0 * sigma * sigma / 3.0 + 1.0) / 2.0)));
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(image, r, true);
        boxBlur(image, r, false);
    }
}

QImage colorized(const QImage& alpha, const QColor& color)
{
    QImage tinted(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    QColor opaque = color;
    opaque.setAlpha(255);
    tinted.fill(opaque);
    QPainter p(&tinted);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.drawImage(0, 0, alpha);
    return tinted;
}

void paintTinted(QPainter* painter, const QImage& alpha, const QColor& color, const QPointF& at)
{
    const QImage tinted = colorized(alpha, color);
    painter->save();
    painter->setOpacity(painter->opacity() * color.alphaF());
    painter->drawImage(at, tinted);
    painter->restore();
}

} // namespace orvane
