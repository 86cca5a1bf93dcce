#include "shell_qml.h"

#include "byte_format.h"
#include "icons.h"
#include "localization_manager.h"
#include "painted_items.h"
#include "symbols.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QHash>
#include <QMimeDatabase>
#include <QMutex>
#include <QPainter>
#include <QQmlEngine>
#include <QTextLayout>

#include <cmath>

#include <memory>
#include <optional>

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

namespace {

int wrappedLines(const QString& text, const QFont& font, qreal width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

} // namespace

qreal TextFit::balancedWidth(const QString& text, const QFont& font, qreal maxWidth) const
{
    if (text.isEmpty() || maxWidth <= 0)
        return std::max<qreal>(maxWidth, 0);
    const int lines = wrappedLines(text, font, maxWidth);
    if (lines <= 1)
        return maxWidth;
    // Narrowest whole width that still takes `lines` lines.
    int low = int(maxWidth / lines), high = int(std::ceil(maxWidth));
    while (low < high) {
        const int mid = (low + high) / 2;
        if (wrappedLines(text, font, mid) <= lines)
            high = mid;
        else
            low = mid + 1;
    }
    // A little room, so the text item's own layout breaks the lines at the same places.
    return std::min<qreal>(maxWidth, high + 2);
}

namespace {

// A plain glyph of an item's kind, for items the desktop has no icon for.
QImage glyphIcon(const QString& symbol, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    QFont font{QString::fromLatin1(symbolFontFamily)};
    font.setPixelSize(side - 8);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 190));
    p.drawText(image.rect(), Qt::AlignCenter, symbolGlyph(symbol));
    return image;
}

// Which image an item shows, as a key shared by every item that shows the same one: the
// application bundle or desktop entry whose icon it takes, else its file type, plus the glyph it
// falls back to. Remembered by name, like the item icons themselves.
QString kindOf(const QString& name, const FilePath& path)
{
    static QMutex mutex;
    static QHash<QString, QString> byName;
    {
        QMutexLocker lock(&mutex);
        const auto it = byName.constFind(name);
        if (it != byName.cend())
            return *it;
    }
    const IconSource source = chooseIconSource(name, path, applicationFolders());
    const QFileInfo info(QFile::decodeName(path));
    const QString glyph = path.endsWith(".app") ? QStringLiteral("square.grid.2x2.fill")
                          : info.isDir()        ? QStringLiteral("folder")
                                                : QStringLiteral("doc.fill");
    QString kind;
    if (!source.bundle.isEmpty())
        kind = QStringLiteral("bundle:") + QString::fromUtf8(source.bundle.toPercentEncoding());
    else if (!source.desktopEntry.isEmpty())
        kind = QStringLiteral("entry:") + QString::fromUtf8(source.desktopEntry.toPercentEncoding());
    else
        kind = QStringLiteral("type:") + QMimeDatabase().mimeTypeForFile(QFile::decodeName(source.item.isEmpty() ? path : source.item)).name();
    kind += u'|' + glyph;
    QMutexLocker lock(&mutex);
    return *byName.insert(name, byName.value(name, kind));
}

constexpr int kIconSide = 64;

struct IconCache {
    QMutex mutex;
    QHash<QString, QImage> byKind;

    std::optional<QImage> find(const QString& kind)
    {
        QMutexLocker lock(&mutex);
        const auto it = byKind.constFind(kind);
        return it == byKind.cend() ? std::nullopt : std::optional<QImage>(*it);
    }
};

IconCache& iconCache()
{
    static IconCache cache;
    return cache;
}

class ItemIconResponse : public QQuickImageResponse
{
public:
    // Shared with the work that answers: the response may be deleted (its image no longer
    // wanted) on the engine's thread while that work is still under way.
    struct State {
        QMutex mutex;
        ItemIconResponse* response = nullptr;
        QSize requested;

        void finish(QImage image)
        {
            if (requested.isValid() && !requested.isEmpty() && image.size() != requested)
                image = image.scaled(requested, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            QMutexLocker lock(&mutex);
            if (!response)
                return;
            response->m_image = std::move(image);
            emit response->finished();
        }
    };

    explicit ItemIconResponse(const QSize& requested)
        : m_state(std::make_shared<State>())
    {
        m_state->response = this;
        m_state->requested = requested;
    }
    ~ItemIconResponse() override
    {
        QMutexLocker lock(&m_state->mutex);
        m_state->response = nullptr;
    }
    QQuickTextureFactory* textureFactory() const override
    {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }
    std::shared_ptr<State> state() const { return m_state; }

private:
    std::shared_ptr<State> m_state;
    QImage m_image;
};

} // namespace

ItemIconProvider::ItemIconProvider()
    : m_pool(new QThreadPool)
{
    m_pool->setMaxThreadCount(1); // a light load beside the scan and the GUI
}

ItemIconProvider::~ItemIconProvider()
{
    m_pool->clear();
    m_pool->waitForDone();
    delete m_pool;
}

QQuickImageResponse* ItemIconProvider::requestImageResponse(const QString& id, const QSize& requestedSize)
{
    auto* response = new ItemIconResponse(requestedSize);
    m_pool->start([state = response->state(), id] {
        QString name;
        FilePath path;
        decodeItemIconId(id, &name, &path);
        const QString kind = kindOf(name, path);
        if (const std::optional<QImage> cached = iconCache().find(kind)) {
            state->finish(*cached);
            return;
        }
        // Desktop theme icons are made on the GUI thread, once per kind.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [state, name, path, kind] {
            QImage image;
            if (const std::optional<QImage> cached = iconCache().find(kind)) {
                image = *cached;
            } else {
                image = itemIcon(name, path, kIconSide);
                if (image.isNull())
                    image = glyphIcon(kind.section(u'|', -1), kIconSide);
                QMutexLocker lock(&iconCache().mutex);
                iconCache().byKind.insert(kind, image);
            }
            state->finish(image);
        }, Qt::QueuedConnection);
    });
    return response;
}

void prepareEngine(QQmlEngine& engine)
{
    loadSymbolFont();
    engine.addImageProvider(QLatin1String(itemIconProviderId), new ItemIconProvider);
}

} // namespace orvane
