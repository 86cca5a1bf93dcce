#pragma once

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

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
    // The text of `key` in the current language; `language` is the caller's binding dependency.
    Q_INVOKABLE QString text(const QString& language, const QString& key, const QStringList& args = {}) const;

signals:
    void languageChanged();
};

} // namespace orvane
