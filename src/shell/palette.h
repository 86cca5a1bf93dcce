#pragma once

#include <QColor>
#include <QGradientStops>
#include <QObject>
#include <QString>

namespace orvane {

// Accent colour of a section id (exact match); any other id gets the brand colour.
QColor accentColor(const QString& sectionId);
QColor brandColor();
// Stops of the gradients drawn from the top-leading to the bottom-trailing corner.
QGradientStops appBackgroundStops();
QGradientStops sectionBackgroundStops(const QColor& accent);

// The same values for QML.
class Palette : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QColor brand READ brand CONSTANT)
    Q_PROPERTY(QList<QColor> appBackground READ appBackground CONSTANT)

public:
    using QObject::QObject;

    QColor brand() const { return brandColor(); }
    QList<QColor> appBackground() const;
    Q_INVOKABLE QColor accent(const QString& sectionId) const { return accentColor(sectionId); }
    Q_INVOKABLE QList<QColor> sectionBackground(const QColor& accent) const;
};

} // namespace orvane
