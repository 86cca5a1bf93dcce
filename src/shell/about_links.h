#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// The About screen's fixed version text and the four outside pages it opens (donation,
// contact mail, terms, privacy).
class AboutLinks : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(QUrl donation READ donation CONSTANT)
    Q_PROPERTY(QUrl contact READ contact CONSTANT)
    Q_PROPERTY(QUrl terms READ terms CONSTANT)
    Q_PROPERTY(QUrl privacy READ privacy CONSTANT)

public:
    using QObject::QObject;
    static QString version();
    static QUrl donation();
    static QUrl contact();
    static QUrl terms();
    static QUrl privacy();
    // Hands the address to its default application; false when nothing took it.
    Q_INVOKABLE bool open(const QUrl& url) const;
};

} // namespace orvane
