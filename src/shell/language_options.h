#pragma once

#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// The languages in the order the choosers show them, with their fixed flag and native name.
class LanguageOptions : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Languages)
    QML_SINGLETON
    // [{ code: "es", flag: "🇲🇽", name: "Español" }, { code: "en", … }]
    Q_PROPERTY(QVariantList all READ all CONSTANT)

public:
    using QObject::QObject;
    static QVariantList all();
};

} // namespace orvane
