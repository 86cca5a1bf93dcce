#pragma once

// Drawn with QPainter, so it looks the same with every scene-graph backend, the software one included.

#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace orvane {

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

} // namespace orvane
