#pragma once

#include "palette.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QQuickImageProvider>
#include <QThreadPool>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;

namespace orvane {

// The language manager for QML. Bind texts as `L10n.text(L10n.language, "key", [args])`: reading
// `language` in the call is what makes the binding look the text up again after a switch.
class L10n : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)

public:
    explicit L10n(QObject* parent = nullptr);
    QString language() const;
    void setLanguage(const QString& code);
    Q_INVOKABLE QString t(const QString& key, const QStringList& args = {}) const;
    // The text of `key` in the current language; `language` is the caller's binding dependency.
    Q_INVOKABLE QString text(const QString& language, const QString& key, const QStringList& args = {}) const;
    Q_INVOKABLE QString bytes(qint64 count) const;

signals:
    void languageChanged();
};

// The fixed palette for QML, plus the two tones a colour's gradient is shaded with.
class ShellPalette : public Palette
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Colors)
    QML_SINGLETON

public:
    using Palette::Palette;
    Q_INVOKABLE QColor gradientTop(const QColor& c) const;
    Q_INVOKABLE QColor gradientBottom(const QColor& c) const;
};

// Whether the user works with the keyboard: from a key press to the next pointer press. Focus
// rings show only then, so a click leaves no ring behind.
class KeyboardMode : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)

public:
    explicit KeyboardMode(QObject* parent = nullptr);
    bool active() const { return m_active; }

signals:
    void activeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_active = false;
};

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

// What the shell adds to an engine before its QML loads: the icon font and the image provider.
void prepareEngine(QQmlEngine& engine);

} // namespace orvane
