#include "localization_manager.h"
#include "string_tables.h"

#include <QCryptographicHash>
#include <QRegularExpression>
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
    // Digest of every (key, es, en) triple in order, taken from the reference table when it was
    // transcribed (then with the sidebar naming the cleanup plan "Deep Clean" like its screen):
    // any drifted character, reordering, lost or added row changes it.
    void tableHoldsExactlyTheReferenceTexts()
    {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (const auto& e : stringTable())
            hash.addData((e.key + QChar(0x1f) + e.es + QChar(0x1f) + e.en + QChar(0x1e)).toUtf8());
        QCOMPARE(hash.result().toHex(),
                 QByteArray("1dc1438f5ed00b2bf96a0b7e209bb9ab7832cb9a348811a5e8ed76451813db34"));
    }

    // A build that is not for macOS words the texts that name a Mac, a macOS folder or the Finder
    // for its own desktop: each such reference text has a variant in both languages, with the
    // same placeholders, and no variant names them. Every other reference text is what a lookup
    // gives in its language: no other table replaces one.
    void lookupsAndFreedesktopWording()
    {
        const QRegularExpression macWords(QStringLiteral("\\b(Mac|macOS|Finder)\\b|Library|LaunchAgents"));
        QHash<QString, StringEntry> variants;
        for (const StringEntry& v : freedesktopVariants())
            variants.insert(v.key, v);
        auto settings = freshSettings(QStringLiteral("texts"));
        LocalizationManager m(settings.get(), {QStringLiteral("es")});
        std::size_t matched = 0;
        for (const AppLanguage language : allLanguages) {
            m.setLanguage(language);
            const auto text = [language](const StringEntry& e) { return language == AppLanguage::en ? e.en : e.es; };
            for (const StringEntry& e : stringTable()) {
                const bool namesMac = macWords.match(e.es).hasMatch() || macWords.match(e.en).hasMatch();
                QVERIFY2(variants.contains(e.key) == namesMac, qPrintable(e.key));
                if (!variants.contains(e.key)) {
                    QCOMPARE(m.t(e.key), text(e));
                    continue;
                }
                ++matched;
                const QString variant = text(variants[e.key]);
                QVERIFY2(!variant.isEmpty() && !macWords.match(variant).hasMatch(), qPrintable(variant));
                QCOMPARE(variant.count(QStringLiteral("%@")), text(e).count(QStringLiteral("%@")));
#if defined(__APPLE__)
                QCOMPARE(m.t(e.key), text(e));
#else
                QCOMPARE(m.t(e.key), variant);
#endif
            }
        }
        QCOMPARE(matched, 2 * freedesktopVariants().size()); // each variant replaces a reference text
    }

    void startupChoice_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("british english") << QVariant() << QStringList{"en-GB", "es-ES"} << "en";
        QTest::newRow("plain english") << QVariant() << QStringList{"en"} << "en";
        QTest::newRow("french") << QVariant() << QStringList{"fr-FR", "en-US"} << "es";
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

        m.setLanguageCode(QStringLiteral("fr")); // not a language: ignored
        QCOMPARE(m.languageCode(), QStringLiteral("en"));
        QCOMPARE(spy.count(), 1);
    }

    // Unknown keys come back as written; "%@" placeholders are filled in order, an argument that
    // itself holds "%@" is not expanded again, "%%" is a percent sign; without arguments the text
    // stays as written.
    void lookupAndFormat_data()
    {
        QTest::addColumn<QString>("language"); // "": the key is a pattern for format()
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown key") << "es" << "no.such.key" << QStringList() << "no.such.key";
        QTest::newRow("two args") << "es" << "detail.freeOfTotal" << QStringList{"1 GB", "2 GB"} << "1 GB libres de 2 GB";
        QTest::newRow("one arg") << "en" << "detail.percentInUse" << QStringList{"42 %"} << "42 % in use";
        QTest::newRow("no args") << "en" << "detail.percentInUse" << QStringList() << "%@ in use";
        QTest::newRow("three args") << "en" << "space.usedOfTotal" << QStringList{"1", "2", "3"} << "1 used of 2  ·  3 free";
        QTest::newRow("arg holding a placeholder") << "" << "%@ and %@" << QStringList{"%@", "b"} << "%@ and b";
        QTest::newRow("percent sign") << "" << "100%% %@" << QStringList{"x"} << "100% x";
        QTest::newRow("too few args") << "" << "%@ %@" << QStringList{"one"} << "one ";
        QTest::newRow("trailing percent") << "" << "trailing %" << QStringList{"x"} << "trailing %";
    }

    void lookupAndFormat()
    {
        QFETCH(QString, language);
        QFETCH(QString, key);
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        auto settings = freshSettings(QStringLiteral("lookup"));
        LocalizationManager m(settings.get(), {language});
        QCOMPARE(language.isEmpty() ? LocalizationManager::format(key, args) : m.t(key, args), expected);
    }
};

QTEST_GUILESS_MAIN(TestLocalization)
#include "tst_localization.moc"
