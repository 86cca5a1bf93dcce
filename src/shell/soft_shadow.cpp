#include "soft_shadow.h"

#include "blur.h"

#include <QCache>
#include <QDataStream>
#include <QMutex>
#include <QPainter>

#include <cmath>

namespace orvane {

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

} // namespace orvane
