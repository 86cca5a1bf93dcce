#include "shell_qml.h"

#include "byte_format.h"
#include "icons.h"
#include "localization_manager.h"
#include "painted_items.h"
#include "symbols.h"

#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QQmlEngine>

namespace orvane {

L10n::L10n(QObject* parent)
    : QObject(parent)
{
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, &L10n::languageChanged);
}

QString L10n::language() const
{
    return LocalizationManager::shared().languageCode();
}

void L10n::setLanguage(const QString& code)
{
    LocalizationManager::shared().setLanguageCode(code);
}

QString L10n::t(const QString& key, const QStringList& args) const
{
    return LocalizationManager::shared().t(key, args);
}

QString L10n::text(const QString& language, const QString& key, const QStringList& args) const
{
    Q_UNUSED(language);
    return LocalizationManager::shared().t(key, args);
}

QString L10n::bytes(qint64 count) const
{
    return formatBytes(count);
}

QColor ShellPalette::gradientTop(const QColor& c) const
{
    return orvane::gradientTop(c);
}

QColor ShellPalette::gradientBottom(const QColor& c) const
{
    return orvane::gradientBottom(c);
}

ItemIconProvider::ItemIconProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QImage ItemIconProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    constexpr int side = 64;
    QString name;
    FilePath path;
    QImage image;
    if (decodeItemIconId(id, &name, &path))
        image = itemIcon(name, path, side);
    if (image.isNull()) {
        // No desktop icon: a plain glyph of the item's kind.
        const QFileInfo info(QFile::decodeName(path));
        const QString symbol = path.endsWith(".app") ? QStringLiteral("square.grid.2x2.fill")
                               : info.isDir()        ? QStringLiteral("folder")
                                                     : QStringLiteral("doc.fill");
        image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        QFont font{QString::fromLatin1(symbolFontFamily)};
        font.setPixelSize(side - 8);
        p.setFont(font);
        p.setPen(QColor(255, 255, 255, 190));
        p.drawText(image.rect(), Qt::AlignCenter, symbolGlyph(symbol));
    }
    if (requestedSize.isValid() && !requestedSize.isEmpty())
        image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}

void prepareEngine(QQmlEngine& engine)
{
    loadSymbolFont();
    engine.addImageProvider(QLatin1String(itemIconProviderId), new ItemIconProvider);
}

} // namespace orvane
