#include "localization_manager.h"
#include "string_tables.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;

class TestLocalization : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    std::unique_ptr<QSettings> freshSettings(const QString& name)
    {
        return std::make_unique<QSettings>(m_dir.filePath(name + QStringLiteral(".ini")), QSettings::IniFormat);
    }

private slots:
    void tableHoldsExactlyTheReferenceTexts()
    {
        const auto& table = stringTable();
        QCOMPARE(table.size(), std::size_t(120));
        QSet<QString> keys;
        for (const auto& e : table)
            keys.insert(e.key);
        QCOMPARE(keys.size(), 120);
        // Digest of every (key, es, en) triple in order, taken from the reference table when it
        // was transcribed: any drifted character, reordering or lost row changes it.
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (const auto& e : table) {
            hash.addData((e.key + QChar(0x1f) + e.es + QChar(0x1f) + e.en + QChar(0x1e)).toUtf8());
        }
        QCOMPARE(hash.result().toHex(),
                 QByteArray("bddd6aa71d3281286072eab70fdea30befb6ace0843ec2d7e5316627e87e6584"));
        QCOMPARE(table.front().key, QStringLiteral("nav.smart"));
        QCOMPARE(table.back().key, QStringLiteral("settings.upToDate"));
    }

    void textsThatAreEasyToGetWrong()
    {
        auto settings = freshSettings(QStringLiteral("texts"));
        LocalizationManager m(settings.get(), {QStringLiteral("es-MX")});
        QCOMPARE(m.t(QStringLiteral("dashboard.summary")), QStringLiteral("libres  ·  %@ en uso  ·  %@ total"));
        QCOMPARE(m.t(QStringLiteral("detail.comingSoon")), QString::fromUtf8("Próximamente \xF0\x9F\x9A\xA7"));
        m.setLanguage(AppLanguage::en);
        QCOMPARE(m.t(QStringLiteral("about.madeBy")), QString::fromUtf8("Made with \xF0\x9F\x94\xA5 by Pardell"));
        QCOMPARE(m.t(QStringLiteral("onb.s1.body")),
                 QString::fromUtf8("Reclaim real gigabytes with a precise scan engine \xE2\x80\x94 native and ultra-fast."));
        QVERIFY(m.t(QStringLiteral("about.tagline")).contains(u'\n'));
    }

    // A build that is not for macOS words the texts that name a Mac, a macOS folder or the
    // Finder for its own desktop: every such reference text has a variant in both languages,
    // with the same placeholders, and no variant names them.
    void freedesktopWording()
    {
        const QRegularExpression macWords(QStringLiteral("\\b(Mac|macOS|Finder)\\b|Library|LaunchAgents"));
        QHash<QString, StringEntry> reference;
        for (const StringEntry& e : stringTable())
            reference.insert(e.key, e);
        auto settings = freshSettings(QStringLiteral("variants"));
        LocalizationManager m(settings.get(), {QStringLiteral("es")});
        QSet<QString> variantKeys;
        for (const AppLanguage language : allLanguages) {
            m.setLanguage(language);
            for (const StringEntry& v : freedesktopVariants()) {
                QVERIFY2(reference.contains(v.key), qPrintable(v.key));
                const bool en = language == AppLanguage::en;
                const QString text = en ? v.en : v.es;
                QVERIFY2(!text.isEmpty() && !macWords.match(text).hasMatch(), qPrintable(text));
                QCOMPARE(text.count(QStringLiteral("%@")), (en ? reference[v.key].en : reference[v.key].es).count(QStringLiteral("%@")));
#if !defined(__APPLE__)
                QCOMPARE(m.t(v.key), text);
#endif
                variantKeys.insert(v.key);
            }
        }
        for (const StringEntry& e : stringTable())
            QVERIFY2(variantKeys.contains(e.key) == (macWords.match(e.es).hasMatch() || macWords.match(e.en).hasMatch()),
                     qPrintable(e.key));
#if !defined(__APPLE__)
        m.setLanguage(AppLanguage::es);
        QCOMPARE(m.t(QStringLiteral("results.clean")), QStringLiteral("¡Tu equipo ya está limpio aquí!"));
#endif
    }

    void startupChoice_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("british english") << QVariant() << QStringList{"en-GB", "es-ES"} << "en";
        QTest::newRow("plain english") << QVariant() << QStringList{"en"} << "en";
        QTest::newRow("french") << QVariant() << QStringList{"fr-FR", "en-US"} << "es";
        QTest::newRow("german") << QVariant() << QStringList{"de"} << "es";
        QTest::newRow("empty list") << QVariant() << QStringList{} << "es";
        QTest::newRow("stored en beats spanish system") << QVariant("en") << QStringList{"es-ES"} << "en";
        QTest::newRow("stored es beats english system") << QVariant("es") << QStringList{"en-US"} << "es";
        QTest::newRow("stored german ignored") << QVariant("de") << QStringList{"en-US"} << "en";
        QTest::newRow("stored capitalised ignored") << QVariant("EN") << QStringList{"fr"} << "es";
    }

    void startupChoice()
    {
        QFETCH(QVariant, stored);
        QFETCH(QStringList, preferred);
        QFETCH(QString, expected);
        auto settings = freshSettings(QString::fromLatin1(QTest::currentDataTag()));
        if (stored.isValid())
            settings->setValue(LocalizationManager::storageKey, stored);
        LocalizationManager m(settings.get(), preferred);
        QCOMPARE(m.languageCode(), expected);
        // The start-up choice itself is never stored; only the system language list is.
        QCOMPARE(settings->value(LocalizationManager::storageKey), stored);
        QCOMPARE(settings->value(LocalizationManager::systemLanguagesKey).toStringList(), QStringList{expected});
    }

    void setLanguageStoresOnlyRealChanges()
    {
        auto settings = freshSettings(QStringLiteral("set"));
        LocalizationManager m(settings.get(), {QStringLiteral("es")});
        QSignalSpy spy(&m, &LocalizationManager::languageChanged);
        settings->remove(LocalizationManager::systemLanguagesKey);

        m.setLanguage(AppLanguage::es);
        QCOMPARE(spy.count(), 0);
        QVERIFY(!settings->contains(LocalizationManager::storageKey));
        QVERIFY(!settings->contains(LocalizationManager::systemLanguagesKey));

        m.setLanguage(AppLanguage::en);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(settings->value(LocalizationManager::storageKey).toString(), QStringLiteral("en"));
        QCOMPARE(settings->value(LocalizationManager::systemLanguagesKey).toStringList(), QStringList{"en"});
        QCOMPARE(m.t(QStringLiteral("nav.apps")), QStringLiteral("Applications"));

        m.setLanguageCode(QStringLiteral("fr")); // not a language: ignored
        QCOMPARE(m.languageCode(), QStringLiteral("en"));
        QCOMPARE(spy.count(), 1);
    }

    void unwritableSettingsDoNotCrash()
    {
        QSettings settings(QStringLiteral("/proc/orvane-cannot-write/settings.ini"), QSettings::IniFormat);
        LocalizationManager m(&settings, {QStringLiteral("en")});
        m.setLanguage(AppLanguage::es);
        QCOMPARE(m.languageCode(), QStringLiteral("es"));
        QCOMPARE(m.t(QStringLiteral("nav.apps")), QStringLiteral("Aplicaciones"));
    }

    void lookupFallbacksAndFormatting()
    {
        auto settings = freshSettings(QStringLiteral("lookup"));
        LocalizationManager m(settings.get(), {QStringLiteral("es")});
        QCOMPARE(m.t(QStringLiteral("nav.apps")), QStringLiteral("Aplicaciones"));
        QCOMPARE(m.t(QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));
        QCOMPARE(m.t(QStringLiteral("no.such.key"), {QStringLiteral("x")}), QStringLiteral("no.such.key"));
        QCOMPARE(m.t(QStringLiteral("detail.freeOfTotal"), {QStringLiteral("1 GB"), QStringLiteral("2 GB")}),
                 QStringLiteral("1 GB libres de 2 GB"));
        m.setLanguage(AppLanguage::en);
        QCOMPARE(m.t(QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));
        QCOMPARE(m.t(QStringLiteral("detail.percentInUse"), {QStringLiteral("42 %")}), QStringLiteral("42 % in use"));
        QCOMPARE(m.t(QStringLiteral("detail.percentInUse")), QStringLiteral("%@ in use"));
        QCOMPARE(m.t(QStringLiteral("space.usedOfTotal"), {"1", "2", "3"}), QStringLiteral("1 used of 2  ·  3 free"));
    }

    void formatPlaceholders()
    {
        // An argument that itself holds "%@" is inserted as it is, not expanded again.
        QCOMPARE(LocalizationManager::format(QStringLiteral("%@ and %@"), {QStringLiteral("%@"), QStringLiteral("b")}),
                 QStringLiteral("%@ and b"));
        QCOMPARE(LocalizationManager::format(QStringLiteral("100%% %@"), {QStringLiteral("x")}),
                 QStringLiteral("100% x"));
        QCOMPARE(LocalizationManager::format(QStringLiteral("%@ %@"), {QStringLiteral("one")}), QStringLiteral("one "));
        QCOMPARE(LocalizationManager::format(QStringLiteral("trailing %"), {QStringLiteral("x")}),
                 QStringLiteral("trailing %"));
    }

    void languageRawValues()
    {
        QCOMPARE(appLanguageFromRaw(QStringLiteral("es")), AppLanguage::es);
        QCOMPARE(appLanguageFromRaw(QStringLiteral("en")), AppLanguage::en);
        QVERIFY(!appLanguageFromRaw(QStringLiteral("de")).has_value());
        QVERIFY(!appLanguageFromRaw(QString()).has_value());
        QCOMPARE(allLanguages.front(), AppLanguage::es);
        QCOMPARE(nativeName(AppLanguage::es), QStringLiteral("Español"));
    }
};

QTEST_GUILESS_MAIN(TestLocalization)
#include "tst_localization.moc"
