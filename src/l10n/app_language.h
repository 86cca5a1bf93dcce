#pragma once

#include <QString>
#include <array>
#include <optional>

namespace orvane {

enum class AppLanguage { es, en };

inline constexpr std::array<AppLanguage, 2> allLanguages{AppLanguage::es, AppLanguage::en};

std::optional<AppLanguage> appLanguageFromRaw(const QString& raw);
QString rawValue(AppLanguage language);
// Fixed texts, the same whatever the current language.
QString flag(AppLanguage language);
QString nativeName(AppLanguage language);

} // namespace orvane
