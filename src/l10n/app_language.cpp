#include "app_language.h"

namespace orvane {

std::optional<AppLanguage> appLanguageFromRaw(const QString& raw)
{
    if (raw == u"es")
        return AppLanguage::es;
    if (raw == u"en")
        return AppLanguage::en;
    return std::nullopt;
}

QString rawValue(AppLanguage language)
{
    return language == AppLanguage::en ? QStringLiteral("en") : QStringLiteral("es");
}

QString flag(AppLanguage language)
{
    return language == AppLanguage::en ? QStringLiteral("🇺🇸") : QStringLiteral("🇲🇽");
}

QString nativeName(AppLanguage language)
{
    return language == AppLanguage::en ? QStringLiteral("English") : QStringLiteral("Español");
}

} // namespace orvane
