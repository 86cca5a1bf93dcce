#include "painted_items.h"

#include <QCache>
#include <QDataStream>
#include <QLinearGradient>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
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

// `alpha` in the colour (opaque: the colour's own alpha is applied when drawing).
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

void colorize(QPainter* painter, const QImage& alpha, const QColor& color, const QPointF& at)
{
    const QImage tinted = colorized(alpha, color);
    painter->save();
    painter->setOpacity(painter->opacity() * color.alphaF());
    painter->drawImage(at, tinted);
    painter->restore();
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

QColor gradientTop(const QColor& c)
{
    return c.lighter(118);
}

QColor gradientBottom(const QColor& c)
{
    return c.darker(112);
}

// ---- SoftShadow ----

SoftShadow::SoftShadow(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    connect(this, &SoftShadow::changed, this, [this] { update(); });
}

template<typename T>
void SoftShadow::assignAndNotify(T& member, const T& value)
{
    if (value != member) {
        member = value;
        emit changed();
    }
}

void SoftShadow::setColor(const QColor& c)
{
    assignAndNotify(m_color, c);
}

void SoftShadow::setCornerRadius(double r)
{
    assignAndNotify(m_cornerRadius, r);
}

void SoftShadow::setBlur(double b)
{
    assignAndNotify(m_blur, b);
}

void SoftShadow::setCircle(bool c)
{
    assignAndNotify(m_circle, c);
}

double SoftShadow::pad() const
{
    return std::ceil(m_blur * 1.5) + 2.0;
}

void SoftShadow::paint(QPainter* painter)
{
    const int w = int(std::ceil(width())), h = int(std::ceil(height()));
    if (w <= 0 || h <= 0 || m_color.alpha() == 0)
        return;
    // Shadows repeat: every card of a list has the same one. Each is blurred once and kept.
    static QMutex mutex;
    static QCache<QByteArray, QImage> made(48 * 1024); // in KB
    QByteArray key;
    {
        QDataStream out(&key, QIODevice::WriteOnly);
        out << width() << height() << m_blur << m_cornerRadius << m_circle << m_knockout << m_knockoutDx
            << m_knockoutDy << m_color.rgba();
    }
    {
        QMutexLocker lock(&mutex);
        if (const QImage* image = made.object(key)) {
            painter->save();
            painter->setOpacity(painter->opacity() * m_color.alphaF());
            painter->drawImage(QPointF(0, 0), *image);
            painter->restore();
            return;
        }
    }
    const double p = pad();
    QImage alpha(w, h, QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter ap(&alpha);
        ap.setRenderHint(QPainter::Antialiasing);
        ap.setPen(Qt::NoPen);
        ap.setBrush(QColor(0, 0, 0, 255));
        const QRectF shape(p, p, width() - 2 * p, height() - 2 * p);
        if (m_circle)
            ap.drawEllipse(shape);
        else
            ap.drawRoundedRect(shape, m_cornerRadius, m_cornerRadius);
    }
    blurAlpha(alpha, m_blur);
    if (m_knockout) {
        QPainter ap(&alpha);
        ap.setRenderHint(QPainter::Antialiasing);
        ap.setCompositionMode(QPainter::CompositionMode_Clear);
        ap.setPen(Qt::NoPen);
        ap.setBrush(QColor(0, 0, 0, 255));
        const QRectF shape(p + m_knockoutDx, p + m_knockoutDy, width() - 2 * p, height() - 2 * p);
        if (m_circle)
            ap.drawEllipse(shape);
        else
            ap.drawRoundedRect(shape, m_cornerRadius, m_cornerRadius);
    }
    QImage tinted = colorized(alpha, m_color);
    painter->save();
    painter->setOpacity(painter->opacity() * m_color.alphaF());
    painter->drawImage(QPointF(0, 0), tinted);
    painter->restore();
    const int kb = int(tinted.sizeInBytes() / 1024) + 1;
    QMutexLocker lock(&mutex);
    made.insert(key, new QImage(std::move(tinted)), kb);
}

// ---- RingArc ----

RingArc::RingArc(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &RingArc::changed, this, [this] { update(); });
}

#define RING_SETTER(Name, member, Type)                                                                                \
    void RingArc::Name(Type v)                                                                                         \
    {                                                                                                                  \
        if (v != member) {                                                                                             \
            member = v;                                                                                                \
            emit changed();                                                                                            \
        }                                                                                                              \
    }
RING_SETTER(setFrom, m_from, double)
RING_SETTER(setTo, m_to, double)
RING_SETTER(setLineWidth, m_lineWidth, double)
RING_SETTER(setColor, m_color, const QColor&)
RING_SETTER(setTrackColor, m_track, const QColor&)
RING_SETTER(setGlowColor, m_glow, const QColor&)
RING_SETTER(setGlowRadius, m_glowRadius, double)
RING_SETTER(setRoundCap, m_roundCap, bool)
RING_SETTER(setInset, m_inset, double)
#undef RING_SETTER

void RingArc::paint(QPainter* painter)
{
    const double size = qMin(width(), height()) - 2 * m_inset;
    if (size <= m_lineWidth)
        return;
    const QRectF box((width() - size) / 2 + m_lineWidth / 2, (height() - size) / 2 + m_lineWidth / 2,
                     size - m_lineWidth, size - m_lineWidth);
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_track.alpha() > 0) {
        painter->setPen(QPen(m_track, m_lineWidth, Qt::SolidLine, Qt::FlatCap));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(box);
    }
    const double from = qBound(0.0, m_from, 1.0), to = qBound(0.0, m_to, 1.0);
    if (to <= from)
        return;
    // Qt angles: 16ths of a degree, counter-clockwise from three o'clock.
    const int start = int(std::lround((90.0 - from * 360.0) * 16));
    const int span = -int(std::lround((to - from) * 360.0 * 16));
    const Qt::PenCapStyle cap = m_roundCap ? Qt::RoundCap : Qt::FlatCap;
    if (m_glow.alpha() > 0 && m_glowRadius > 0) {
        QImage alpha(int(std::ceil(width())), int(std::ceil(height())), QImage::Format_Alpha8);
        alpha.fill(0);
        {
            QPainter ap(&alpha);
            ap.setRenderHint(QPainter::Antialiasing);
            ap.setPen(QPen(QColor(0, 0, 0, 255), m_lineWidth, Qt::SolidLine, cap));
            ap.drawArc(box, start, span);
        }
        blurAlpha(alpha, m_glowRadius);
        colorize(painter, alpha, m_glow, QPointF(0, 0));
    }
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    gradient.setColorAt(0, gradientTop(m_color));
    gradient.setColorAt(1, gradientBottom(m_color));
    painter->setPen(QPen(QBrush(gradient), m_lineWidth, Qt::SolidLine, cap));
    painter->setBrush(Qt::NoBrush);
    painter->drawArc(box, start, span);
}

// ---- DiagonalGradient ----

DiagonalGradient::DiagonalGradient(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setOpaquePainting(false);
}

void DiagonalGradient::setColors(const QList<QColor>& colors)
{
    if (colors == m_colors)
        return;
    m_colors = colors;
    emit colorsChanged();
    update();
}

void DiagonalGradient::setRadius(double r)
{
    if (r == m_radius)
        return;
    m_radius = r;
    emit colorsChanged();
    update();
}

void DiagonalGradient::paint(QPainter* painter)
{
    if (m_colors.isEmpty())
        return;
    QLinearGradient gradient(QPointF(0, 0), QPointF(width(), height()));
    for (qsizetype i = 0; i < m_colors.size(); ++i)
        gradient.setColorAt(m_colors.size() == 1 ? 0.0 : double(i) / double(m_colors.size() - 1), m_colors[i]);
    if (m_radius <= 0) {
        painter->fillRect(QRectF(0, 0, width(), height()), gradient);
        return;
    }
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(gradient);
    painter->drawRoundedRect(QRectF(0, 0, width(), height()), m_radius, m_radius);
}

} // namespace orvane
