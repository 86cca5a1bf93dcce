#pragma once

#include "app_language.h"

#include <QHash>
#include <QObject>
#include <QStringList>

class QSettings;

namespace orvane {

// The one place that knows the current language. Screens read every text through t(),
// so a change of `language` redraws them all.
class LocalizationManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString language READ languageCode WRITE setLanguageCode NOTIFY languageChanged)

public:
    static inline const QString storageKey = QStringLiteral("app_language");
    static inline const QString systemLanguagesKey = QStringLiteral("AppleLanguages");

    // `settings` is not owned; `preferredLanguages` stands for the system's list, first = most preferred.
    LocalizationManager(QSettings* settings, const QStringList& preferredLanguages, QObject* parent = nullptr);

    // The process-wide instance, made on first use with the application's settings
    // and the system's preferred languages.
    static LocalizationManager& shared();
    // Called before the first shared(): the shared instance reads the stored language but never
    // writes the settings (the home folder is someone else's, see foreignHome()).
    static void leaveSettingsUntouched();

    AppLanguage language() const { return m_language; }
    QString languageCode() const { return rawValue(m_language); }

    void setLanguage(AppLanguage language);
    void setLanguageCode(const QString& code);
    // Switches the language for this process only: nothing is stored (a one-off command-line choice).
    void setLanguageForThisRun(AppLanguage language);

    Q_INVOKABLE QString t(const QString& key, const QStringList& args = {}) const;

    // Tells the system which language the application prefers.
    void applyToSystem();

    // "%@" placeholders filled in order; "%%" is a literal percent sign.
    static QString format(const QString& pattern, const QStringList& args);

signals:
    void languageChanged();

private:
    static AppLanguage startupChoice(QSettings* settings, const QStringList& preferredLanguages);

    QSettings* m_settings;
    AppLanguage m_language;
};

// Shorthand for LocalizationManager::shared().t(...).
QString t(const QString& key, const QStringList& args = {});

} // namespace orvane
