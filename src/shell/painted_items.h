#pragma once

// Drawing pieces that render the same with every scene-graph backend, the software one included:
// soft shadows and glows as their own items behind the content, gradient rings, diagonal gradients.

#include <QColor>
#include <QImage>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// Blurs the alpha channel of `image` (Format_Alpha8) in place, roughly a Gaussian of the given radius.
void blurAlpha(QImage& image, double radius);

// A blurred rounded rectangle. The item is larger than the shape by `pad` on every side, so place
// it with its shape over the target: x = target.x - pad + offset.
class SoftShadow : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY changed)
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius NOTIFY changed)
    Q_PROPERTY(double blur READ blur WRITE setBlur NOTIFY changed)
    Q_PROPERTY(bool circle READ circle WRITE setCircle NOTIFY changed)
    Q_PROPERTY(double pad READ pad NOTIFY changed)
    // Leaves the shape itself clear (at this offset from where it is drawn), so a glow behind a
    // translucent card shows around it, not through it.
    Q_PROPERTY(bool knockout MEMBER m_knockout NOTIFY changed)
    Q_PROPERTY(double knockoutDx MEMBER m_knockoutDx NOTIFY changed)
    Q_PROPERTY(double knockoutDy MEMBER m_knockoutDy NOTIFY changed)

public:
    explicit SoftShadow(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;

    QColor color() const { return m_color; }
    void setColor(const QColor& c);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double r);
    double blur() const { return m_blur; }
    void setBlur(double b);
    bool circle() const { return m_circle; }
    void setCircle(bool c);
    double pad() const;

signals:
    void changed();

private:
    template<typename T>
    void assignAndNotify(T& member, const T& value);
    QColor m_color = Qt::black;
    double m_cornerRadius = 0;
    double m_blur = 8;
    bool m_circle = false;
    bool m_knockout = false;
    double m_knockoutDx = 0;
    double m_knockoutDy = 0;
};

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

// A linear gradient from the top-leading to the bottom-trailing corner through evenly spaced stops.
class DiagonalGradient : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<QColor> colors READ colors WRITE setColors NOTIFY colorsChanged)
    Q_PROPERTY(double radius READ radius WRITE setRadius NOTIFY colorsChanged)

public:
    explicit DiagonalGradient(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;
    QList<QColor> colors() const { return m_colors; }
    void setColors(const QList<QColor>& colors);
    double radius() const { return m_radius; }
    void setRadius(double r);

signals:
    void colorsChanged();

private:
    QList<QColor> m_colors;
    double m_radius = 0;
};

// The two tones a single colour is shaded with (a little lighter at the top, darker at the bottom).
QColor gradientTop(const QColor& c);
QColor gradientBottom(const QColor& c);

} // namespace orvane
