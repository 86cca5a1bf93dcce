#include "catalogue.h"
#include "localization_manager.h"
#include "paths.h"

#include <QTest>

using namespace orvane;

namespace {

FilePath folderOf(const CleanupSource& s)
{
    return std::get<FolderSource>(s.kind).url;
}

FilePath home(const char* rel)
{
    return homeDir() + '/' + rel;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void init() { LocalizationManager::shared().setLanguage(AppLanguage::es); }

    void sectionsInOrder()
    {
        const auto sections = mainSections();
        QStringList ids;
        for (const auto& s : sections)
            ids << s.id;
        QCOMPARE(ids, (QStringList{"smart", "cleanup", "apps", "space", "protect", "dup"}));
        QCOMPARE(sections[3].icon, QStringLiteral("internaldrive"));
        QCOMPARE(sections[2].title, QStringLiteral("Aplicaciones"));
        const auto bottom = bottomSections();
        QCOMPARE(bottom.size(), 2);
        QCOMPARE(bottom[0].id, QStringLiteral("settings"));
        QCOMPARE(bottom[1].icon, QStringLiteral("info.circle"));
    }

    void onlyCleanupSectionsHavePlans()
    {
        for (const char* id : {"space", "settings", "about", "", "Smart", "smart "})
            QVERIFY2(!planFor(QString::fromLatin1(id)).has_value(), id);
        for (const char* id : {"smart", "cleanup", "apps", "protect", "dup"}) {
            const auto p = planFor(QString::fromLatin1(id));
            QVERIFY2(p.has_value(), id);
            QCOMPARE(p->highlights.size(), 3);
        }
    }

    void smartCare()
    {
        const CleanupPlan p = smartPlan();
        QCOMPARE(p.title, QStringLiteral("Cuidado inteligente"));
        QCOMPARE(p.defaultRemoval, RemovalStyle::permanent);
        QCOMPARE(p.sources.size(), 5);
        QCOMPARE(p.sources[0].name, QStringLiteral("Xcode DerivedData"));
        QCOMPARE(p.sources[0].icon, QStringLiteral("hammer"));
        QCOMPARE(folderOf(p.sources[0]), home("Library/Developer/Xcode/DerivedData"));
        QCOMPARE(p.sources[1].name, QStringLiteral("Cachés"));
        QCOMPARE(folderOf(p.sources[1]), home("Library/Caches"));
        QCOMPARE(p.sources[2].name, QStringLiteral("Descargas"));
        QCOMPARE(p.sources[2].icon, QStringLiteral("arrow.down.circle"));
        QCOMPARE(folderOf(p.sources[2]), home("Downloads"));
        QCOMPARE(folderOf(p.sources[3]), home("Library/Logs"));
        QCOMPARE(p.sources[4].icon, QStringLiteral("trash"));
        QCOMPARE(folderOf(p.sources[4]), home(".Trash"));
        const QList<bool> selected{true, true, false, true, true};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(p.sources[i].autoSelect, selected[i]);
        QCOMPARE(p.highlights, (QStringList{"Rápido y sin riesgos", "Cachés y temporales", "Ideal para el día a día"}));
    }

    void deepClean()
    {
        const CleanupPlan p = cleanupPlan();
        QCOMPARE(p.defaultRemoval, RemovalStyle::permanent);
        QCOMPARE(p.sources.size(), 6);
        QCOMPARE(p.sources[1].name, QStringLiteral("Cachés de usuario"));
        QCOMPARE(p.sources[3].name, QStringLiteral("Estado guardado de apps"));
        QCOMPARE(p.sources[3].icon, QStringLiteral("macwindow"));
        QCOMPARE(folderOf(p.sources[3]), home("Library/Saved Application State"));
        QVERIFY(!p.sources[3].autoSelect);
        const auto& big = p.sources[5];
        QCOMPARE(big.name, QStringLiteral("Archivos grandes (+100 MB)"));
        QCOMPARE(big.icon, QStringLiteral("doc.fill"));
        QVERIFY(!big.autoSelect);
        const auto& kind = std::get<BigFilesSource>(big.kind);
        QCOMPARE(kind.root, homeDir());
        QCOMPARE(kind.minSize, qint64(104857600));
    }

    void applicationsAndDuplicates()
    {
        const CleanupPlan apps = appsPlan();
        QCOMPARE(apps.defaultRemoval, RemovalStyle::trash);
        QCOMPARE(apps.sources.size(), 1);
        QVERIFY(std::holds_alternative<InstalledAppsSource>(apps.sources[0].kind));
        QCOMPARE(apps.sources[0].icon, QStringLiteral("square.grid.2x2"));
        QVERIFY(!apps.sources[0].autoSelect);

        const CleanupPlan dup = duplicatesPlan();
        QCOMPARE(dup.defaultRemoval, RemovalStyle::trash);
        QCOMPARE(dup.sources.size(), 1);
        const auto& kind = std::get<DuplicatesSource>(dup.sources[0].kind);
        QCOMPARE(kind.minSize, qint64(1048576));
        QCOMPARE(kind.roots, (FilePaths{home("Downloads"), home("Documents"), home("Desktop"), home("Pictures")}));
        QVERIFY(dup.sources[0].autoSelect);
        QCOMPARE(dup.sources[0].icon, QStringLiteral("doc.on.doc"));
    }

    void protection()
    {
        const CleanupPlan p = protectPlan();
        QCOMPARE(p.defaultRemoval, RemovalStyle::permanent);
        const QList<QByteArray> paths{"Library/Application Support/com.apple.sharedfilelist",
                                      "Library/Caches/com.apple.Safari", "Library/Caches/Google/Chrome",
                                      "Library/Caches/Firefox", "Library/Caches/Microsoft Edge",
                                      "Library/Saved Application State"};
        const QStringList icons{"clock.arrow.circlepath", "safari", "globe", "flame", "globe", "macwindow"};
        QCOMPARE(p.sources.size(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(folderOf(p.sources[i]), home(paths[i].constData()));
            QCOMPARE(p.sources[i].icon, icons[i]);
            QCOMPARE(p.sources[i].autoSelect, i != 5);
        }
        QCOMPARE(p.sources[5].name, QStringLiteral("Ventanas guardadas"));
    }

    void plansFollowTheLanguageAndTheHome()
    {
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        const CleanupPlan p = smartPlan();
        QCOMPARE(p.title, QStringLiteral("Smart Care"));
        QCOMPARE(p.sources[0].name, QStringLiteral("Xcode DerivedData"));
        QCOMPARE(p.sources[1].name, QStringLiteral("Caches"));
        QCOMPARE(cleanupPlan().sources[5].name, QStringLiteral("Large files (+100 MB)"));
        QCOMPARE(mainSections()[0].title, QStringLiteral("Smart Care"));

        const QByteArray saved = qgetenv("HOME");
        qputenv("HOME", "/tmp/another-home/");
        QCOMPARE(folderOf(smartPlan().sources[2]), QByteArray("/tmp/another-home/Downloads"));
        qputenv("HOME", saved);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
