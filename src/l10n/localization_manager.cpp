#include "localization_manager.h"
#include "string_tables.h"

#include <QLocale>
#include <QSettings>

namespace orvane {

namespace {

using Dictionary = QHash<QString, QString>;

// Built once, on the first lookup (function-local statics are initialised exactly once).
const Dictionary& dictionary(AppLanguage language)
{
    static const auto build = [](bool english) {
        Dictionary d;
        const auto add = [&](const std::vector<StringEntry>& table) {
            for (const StringEntry& e : table)
                d.insert(e.key, english ? e.en : e.es);
        };
        add(stringTable());
        add(addedStringTable());
#if !defined(__APPLE__)
        add(freedesktopVariants()); // later rows replace earlier ones
#endif
        return d;
    };
    static const Dictionary es = build(false);
    static const Dictionary en = build(true);
    return language == AppLanguage::en ? en : es;
}

} // namespace

LocalizationManager::LocalizationManager(QSettings* settings, const QStringList& preferredLanguages,
                                         QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_language(startupChoice(settings, preferredLanguages))
{
    applyToSystem();
}

namespace {
bool settingsUntouched = false;
}

void LocalizationManager::leaveSettingsUntouched()
{
    settingsUntouched = true;
}

LocalizationManager& LocalizationManager::shared()
{
    static QSettings settings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
    // Without settings to write to, the stored choice stands in for the system's list.
    static LocalizationManager manager(
        settingsUntouched ? nullptr : &settings,
        settingsUntouched ? QStringList{rawValue(startupChoice(&settings, QLocale::system().uiLanguages()))}
                          : QLocale::system().uiLanguages());
    return manager;
}

AppLanguage LocalizationManager::startupChoice(QSettings* settings, const QStringList& preferredLanguages)
{
    if (settings) {
        if (auto stored = appLanguageFromRaw(settings->value(storageKey).toString()))
            return *stored;
    }
    const QString first = preferredLanguages.isEmpty() ? QStringLiteral("es") : preferredLanguages.first();
    return first.startsWith(u"en") ? AppLanguage::en : AppLanguage::es;
}

void LocalizationManager::setLanguage(AppLanguage language)
{
    if (language == m_language)
        return;
    m_language = language;
    emit languageChanged();
    if (m_settings)
        m_settings->setValue(storageKey, rawValue(language));
    applyToSystem();
}

void LocalizationManager::setLanguageForThisRun(AppLanguage language)
{
    if (language == m_language)
        return;
    m_language = language;
    emit languageChanged();
    QLocale::setDefault(QLocale(m_language == AppLanguage::en ? QLocale::English : QLocale::Spanish));
}

void LocalizationManager::setLanguageCode(const QString& code)
{
    if (auto language = appLanguageFromRaw(code))
        setLanguage(*language);
}

void LocalizationManager::applyToSystem()
{
    const QString code = rawValue(m_language);
    // Written only when it differs, so a start-up that changes nothing leaves the file alone.
    if (m_settings && m_settings->value(systemLanguagesKey).toStringList() != QStringList{code}) {
        m_settings->setValue(systemLanguagesKey, QStringList{code});
        m_settings->sync(); // a settings file that cannot be written only sets status()
    }
    QLocale::setDefault(QLocale(m_language == AppLanguage::en ? QLocale::English : QLocale::Spanish));
}

QString LocalizationManager::t(const QString& key, const QStringList& args) const
{
    const Dictionary& current = dictionary(m_language);
    auto it = current.constFind(key);
    QString text;
    if (it != current.constEnd()) {
        text = *it;
    } else {
        const Dictionary& spanish = dictionary(AppLanguage::es);
        auto es = spanish.constFind(key);
        text = es != spanish.constEnd() ? *es : key;
    }
    return args.isEmpty() ? text : format(text, args);
}

QString LocalizationManager::format(const QString& pattern, const QStringList& args)
{
    QString out;
    out.reserve(pattern.size() + 16 * args.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == u'%' && i + 1 < pattern.size()) {
            const QChar d = pattern.at(i + 1);
            if (d == u'@') {
                if (next < args.size())
                    out += args.at(next);
                ++next;
                ++i;
                continue;
            }
            if (d == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString t(const QString& key, const QStringList& args)
{
    return LocalizationManager::shared().t(key, args);
}

} // namespace orvane
