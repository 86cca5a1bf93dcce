#include "item_icon_provider.h"

#include "icons.h"
#include "symbols.h"

#include <QFileInfo>
#include <QFont>
#include <QHash>
#include <QMimeDatabase>
#include <QMutex>
#include <QPainter>
#include <QTimer>

#include <sys/stat.h>

#include <memory>
#include <optional>

namespace orvane {

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
// falls back to; with where that image comes from. Remembered by name, like the item icons
// themselves. Reads files: only ever called on the provider's worker.
struct ItemKind {
    QString kind;
    IconSource source;
    QStringList typeIcons; // a kind of file type: its theme icon names
};

ItemKind kindOf(const QString& name, const FilePath& path)
{
    static QMutex mutex;
    static QHash<QString, ItemKind> byName;
    {
        QMutexLocker lock(&mutex);
        const auto it = byName.constFind(name);
        if (it != byName.cend())
            return *it;
    }
    ItemKind found;
    found.source = chooseIconSource(name, path, applicationFolders());
    const IconSource& source = found.source;
    struct stat st;
    const bool folder = ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
    const QString glyph = path.endsWith(".app") ? QStringLiteral("square.grid.2x2.fill")
                          : folder              ? QStringLiteral("folder")
                                                : QStringLiteral("doc.fill");
    QString& kind = found.kind;
    if (!source.bundle.isEmpty())
        kind = QStringLiteral("bundle:") + QString::fromUtf8(source.bundle.toPercentEncoding());
    else if (!source.desktopEntry.isEmpty())
        kind = QStringLiteral("entry:") + QString::fromUtf8(source.desktopEntry.toPercentEncoding());
    else {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(QFile::decodeName(source.item.isEmpty() ? path : source.item));
        kind = QStringLiteral("type:") + type.name();
        found.typeIcons = {type.iconName(), type.genericIconName()};
    }
    kind += u'|' + glyph;
    QMutexLocker lock(&mutex);
    return *byName.insert(name, byName.value(name, found));
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
            if (!image.isNull() && requested.isValid() && !requested.isEmpty() && image.size() != requested)
                image = image.scaled(requested, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            QMutexLocker lock(&mutex);
            if (!response)
                return;
            response->m_image = std::move(image);
            emit response->finished();
        }
        // False once the image is no longer wanted (its row scrolled away): the work is skipped.
        bool wanted()
        {
            QMutexLocker lock(&mutex);
            return response && !cancelled;
        }
        bool cancelled = false;
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
    void cancel() override
    {
        QMutexLocker lock(&m_state->mutex);
        m_state->cancelled = true;
    }
    std::shared_ptr<State> state() const { return m_state; }

private:
    std::shared_ptr<State> m_state;
    QImage m_image;
};

} // namespace

// Finishes on the GUI thread the kinds whose files gave no image: a desktop theme icon by name
// (theme icons can only be made there) or the kind's glyph. No file of the item is read here: the
// worker has read them all. One kind per turn of a short timer: a list of files of twenty types
// opening at once costs a frame no more than one icon does.
class ItemIconProvider::Maker : public QObject
{
public:
    Maker()
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(16);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { makeOne(); });
    }

    // Any thread.
    void request(const QString& kind, const QStringList& themeNames, std::shared_ptr<ItemIconResponse::State> state)
    {
        QMutexLocker lock(&m_mutex);
        m_pending.append({kind, themeNames, std::move(state)});
        if (m_scheduled)
            return;
        m_scheduled = true;
        QMetaObject::invokeMethod(this, [this] { m_timer.start(); }, Qt::QueuedConnection);
    }

private:
    struct Pending {
        QString kind;
        QStringList themeNames;
        std::shared_ptr<ItemIconResponse::State> state;
    };

    void makeOne()
    {
        QList<Pending> batch;
        {
            QMutexLocker lock(&m_mutex);
            if (m_pending.isEmpty()) {
                m_scheduled = false;
                return;
            }
            // Every request waiting for the first kind in line, answered by one image.
            const QString kind = m_pending.first().kind;
            for (qsizetype i = 0; i < m_pending.size();) {
                if (m_pending[i].kind == kind)
                    batch.append(m_pending.takeAt(i));
                else
                    ++i;
            }
        }
        const Pending& first = batch.first();
        QImage image;
        if (const std::optional<QImage> cached = iconCache().find(first.kind)) {
            image = *cached;
        } else {
            image = themeIcon(first.themeNames, kIconSide);
            if (image.isNull())
                image = glyphIcon(first.kind.section(u'|', -1), kIconSide);
            QMutexLocker lock(&iconCache().mutex);
            iconCache().byKind.insert(first.kind, image);
        }
        for (const Pending& p : std::as_const(batch))
            p.state->finish(image);
        QMutexLocker lock(&m_mutex);
        if (m_pending.isEmpty())
            m_scheduled = false;
        else
            m_timer.start();
    }

    QMutex m_mutex;
    QList<Pending> m_pending;
    bool m_scheduled = false;
    QTimer m_timer;
};

ItemIconProvider::ItemIconProvider()
    : m_pool(new QThreadPool)
    , m_maker(new Maker)
{
    m_pool->setMaxThreadCount(1); // a light load beside the scan and the GUI
    // The first desktop icon loads the icon theme and its plugins (tens of ms): done once while
    // the application is idle after starting, not when a list of files first opens.
    QTimer::singleShot(2000, m_maker, [] { (void)themeIcon({QStringLiteral("folder")}, kIconSide); });
}

ItemIconProvider::~ItemIconProvider()
{
    m_pool->clear();
    m_pool->waitForDone();
    delete m_pool;
    delete m_maker;
}

QQuickImageResponse* ItemIconProvider::requestImageResponse(const QString& id, const QSize& requestedSize)
{
    auto* response = new ItemIconResponse(requestedSize);
    m_pool->start([state = response->state(), id, maker = m_maker] {
        if (!state->wanted()) {
            state->finish({}); // a cancelled answer still finishes, so the engine can let go of it
            return;
        }
        QString name;
        FilePath path;
        decodeItemIconId(id, &name, &path);
        const ItemKind kind = kindOf(name, path);
        if (const std::optional<QImage> cached = iconCache().find(kind.kind)) {
            state->finish(*cached);
            return;
        }
        // Every file read happens here, on the worker; the GUI thread gets only what is left to
        // look up in the icon theme.
        const bool typeOnly = kind.source.bundle.isEmpty() && kind.source.desktopEntry.isEmpty();
        PreparedIcon prepared = typeOnly ? PreparedIcon{{}, kind.typeIcons} : prepareItemIcon(kind.source, path, kIconSide);
        if (prepared.image.isNull()) {
            maker->request(kind.kind, prepared.themeNames, state);
            return;
        }
        {
            QMutexLocker lock(&iconCache().mutex);
            iconCache().byKind.insert(kind.kind, prepared.image);
        }
        state->finish(prepared.image);
    });
    return response;
}

} // namespace orvane
