#include "ring_arc.h"

#include "blur.h"
#include "palette.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace orvane {

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
        paintTinted(painter, alpha, m_glow, QPointF(0, 0));
    }
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    gradient.setColorAt(0, gradientTop(m_color));
    gradient.setColorAt(1, gradientBottom(m_color));
    painter->setPen(QPen(QBrush(gradient), m_lineWidth, Qt::SolidLine, cap));
    painter->setBrush(Qt::NoBrush);
    painter->drawArc(box, start, span);
}

} // namespace orvane
