#include "l10n_qml.h"

#include "localization_manager.h"

namespace orvane {

L10n::L10n(QObject* parent)
    : QObject(parent)
{
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, &L10n::languageChanged);
}

QString L10n::language() const
{
    return LocalizationManager::shared().languageCode();
}

void L10n::setLanguage(const QString& code)
{
    LocalizationManager::shared().setLanguageCode(code);
}

QString L10n::text(const QString& language, const QString& key, const QStringList& args) const
{
    Q_UNUSED(language);
    return LocalizationManager::shared().t(key, args);
}

} // namespace orvane
