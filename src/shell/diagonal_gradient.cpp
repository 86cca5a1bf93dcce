#include "diagonal_gradient.h"

#include <QLinearGradient>
#include <QPainter>

namespace orvane {

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
