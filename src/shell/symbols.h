#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// Each symbol name the screens use, drawn as a glyph of the Material Icons font.
// Outline or filled glyphs follow the name (".fill" names get filled ones where the font has both).
const QHash<QString, char16_t>& symbolTable();
// The glyph of a symbol name; an unknown name gets a neutral "help" glyph.
QString symbolGlyph(const QString& name);
inline constexpr char symbolFontFamily[] = "Material Icons";
// Installed by Debian's fonts-material-design-icons-iconfont, which the package depends on.
inline constexpr char symbolFontFile[] = "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";
// Registers the installed icon font with the application; true when it is usable.
bool loadSymbolFont();

class Symbols : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)

public:
    using QObject::QObject;
    QString fontFamily() const { return QLatin1String(symbolFontFamily); }
    Q_INVOKABLE QString glyph(const QString& name) const { return symbolGlyph(name); }
};

} // namespace orvane
