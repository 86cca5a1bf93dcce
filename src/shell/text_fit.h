#pragma once

#include <QFont>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// Widths for wrapped text.
class TextFit : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    // The narrowest width, up to `maxWidth`, at which `text` in `font` wraps into no more lines
    // than at `maxWidth`: the lines come out even and no word is left alone on the last one.
    Q_INVOKABLE qreal balancedWidth(const QString& text, const QFont& font, qreal maxWidth) const;
};

} // namespace orvane
