#include "language_options.h"

#include "app_language.h"

#include <QVariantMap>

namespace orvane {

QVariantList LanguageOptions::all()
{
    QVariantList list;
    for (AppLanguage language : allLanguages)
        list.append(QVariantMap{{QStringLiteral("code"), rawValue(language)},
                                {QStringLiteral("flag"), flag(language)},
                                {QStringLiteral("name"), nativeName(language)}});
    return list;
}

} // namespace orvane
