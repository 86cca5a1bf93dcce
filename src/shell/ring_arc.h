#pragma once

// Drawn with QPainter, so it looks the same with every scene-graph backend, the software one included.

#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// A circle stroked from `from` to `to` (fractions of a turn, clockwise from the top) with a soft
// top-to-bottom gradient of `color`, over an optional full `trackColor` circle, with an optional
// glow of `glowColor`. `lineWidth` is the stroke, `diameter` the circle's outer size.
class RingArc : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(double from READ from WRITE setFrom NOTIFY changed)
    Q_PROPERTY(double to READ to WRITE setTo NOTIFY changed)
    Q_PROPERTY(double lineWidth READ lineWidth WRITE setLineWidth NOTIFY changed)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY changed)
    Q_PROPERTY(QColor trackColor READ trackColor WRITE setTrackColor NOTIFY changed)
    Q_PROPERTY(QColor glowColor READ glowColor WRITE setGlowColor NOTIFY changed)
    Q_PROPERTY(double glowRadius READ glowRadius WRITE setGlowRadius NOTIFY changed)
    Q_PROPERTY(bool roundCap READ roundCap WRITE setRoundCap NOTIFY changed)
    Q_PROPERTY(double inset READ inset WRITE setInset NOTIFY changed) // room left for the glow

public:
    explicit RingArc(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;

    double from() const { return m_from; }
    void setFrom(double v);
    double to() const { return m_to; }
    void setTo(double v);
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double v);
    QColor color() const { return m_color; }
    void setColor(const QColor& c);
    QColor trackColor() const { return m_track; }
    void setTrackColor(const QColor& c);
    QColor glowColor() const { return m_glow; }
    void setGlowColor(const QColor& c);
    double glowRadius() const { return m_glowRadius; }
    void setGlowRadius(double r);
    bool roundCap() const { return m_roundCap; }
    void setRoundCap(bool r);
    double inset() const { return m_inset; }
    void setInset(double v);

signals:
    void changed();

private:
    double m_inset = 0;
    double m_from = 0;
    double m_to = 1;
    double m_lineWidth = 14;
    QColor m_color = Qt::white;
    QColor m_track = Qt::transparent;
    QColor m_glow = Qt::transparent;
    double m_glowRadius = 0;
    bool m_roundCap = true;
};

} // namespace orvane
