#pragma once

// Drawn with QPainter, so it looks the same with every scene-graph backend, the software one included.

#include <QColor>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace orvane {

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

} // namespace orvane
