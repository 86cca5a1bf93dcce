#pragma once

#include <QQuickImageProvider>
#include <QThreadPool>

namespace orvane {

// "image://itemicon/…": icons of found items, with a plain glyph where the desktop has none.
// Asynchronous: which icon an item takes (its application, its desktop entry, its file type) is
// worked out on a worker thread, and each kind's image is made once (on the GUI thread, where
// desktop theme icons must be made) and then shared by every item of that kind.
class ItemIconProvider : public QQuickAsyncImageProvider
{
public:
    ItemIconProvider();
    ~ItemIconProvider() override;
    QQuickImageResponse* requestImageResponse(const QString& id, const QSize& requestedSize) override;

private:
    QThreadPool* m_pool;
    class Maker;
    Maker* m_maker; // makes the kinds' images on the GUI thread
};

} // namespace orvane
