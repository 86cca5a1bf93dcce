#pragma once

#include <QColor>
#include <QGradientStops>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// Accent colour of a section id (exact match); any other id gets the brand colour.
QColor accentColor(const QString& sectionId);
QColor brandColor();
// Stops of the gradients drawn from the top-leading to the bottom-trailing corner.
QGradientStops appBackgroundStops();
QGradientStops sectionBackgroundStops(const QColor& accent);
// The red of destructive buttons.
QColor destructiveColor();
// The dark text used on fills too light for white.
QColor inkColor();

// Contrast of two opaque colours as the WCAG defines it (1 to 21).
double contrastRatio(const QColor& a, const QColor& b);
// The lightest and darkest points of a filled button of `tint`: the top of its gradient under the
// hover gloss, and the bottom of its gradient.
QColor lightestFill(const QColor& tint);
QColor darkestFill(const QColor& tint);
// Text on a button or option filled with `tint`: white or ink, whichever reads better over the
// whole fill.
QColor textOn(const QColor& tint);
// The two tones a single colour is shaded with (a little lighter at the top, darker at the bottom).
QColor gradientTop(const QColor& c);
QColor gradientBottom(const QColor& c);

// The same values for QML.
class Palette : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Colors)
    QML_SINGLETON
    Q_PROPERTY(QColor brand READ brand CONSTANT)
    Q_PROPERTY(QList<QColor> appBackground READ appBackground CONSTANT)
    Q_PROPERTY(QColor destructive READ destructive CONSTANT)

public:
    using QObject::QObject;

    QColor brand() const { return brandColor(); }
    QList<QColor> appBackground() const;
    Q_INVOKABLE QColor accent(const QString& sectionId) const { return accentColor(sectionId); }
    // A variant list: Qt 6.4's qmllint reads a method's QList<QColor> as one colour.
    Q_INVOKABLE QVariantList sectionBackground(const QColor& accent) const;
    QColor destructive() const { return destructiveColor(); }
    Q_INVOKABLE QColor textOn(const QColor& tint) const { return orvane::textOn(tint); }
    Q_INVOKABLE QColor gradientTop(const QColor& c) const { return orvane::gradientTop(c); }
    Q_INVOKABLE QColor gradientBottom(const QColor& c) const { return orvane::gradientBottom(c); }
};

} // namespace orvane
