#pragma once

#include "palette.h"

#include <QColor>
#include <QObject>
#include <QQuickImageProvider>
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

// "image://itemicon/…": icons of found items, with a plain glyph where the desktop has none.
class ItemIconProvider : public QQuickImageProvider
{
public:
    ItemIconProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

// What the shell adds to an engine before its QML loads: the icon font and the image provider.
void prepareEngine(QQmlEngine& engine);

} // namespace orvane
