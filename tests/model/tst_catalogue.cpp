#include "catalogue.h"
#include "localization_manager.h"
#include "paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;

namespace {

using Kind = SourceLocation::Kind;

FilePath folderOf(const CleanupSource& s)
{
    const FolderSource& folder = std::get<FolderSource>(s.kind);
    return folder.locations.size() == 1 && folder.locations[0].kind == Kind::folder ? folder.locations[0].path
                                                                                     : FilePath("?");
}

FilePath home(const char* rel)
{
    return homeDir() + '/' + rel;
}

// The variables the table reads in a test, as the base directories' reader wants them.
QHash<QByteArray, QByteArray> testEnv;
QByteArray readTestEnv(const char* name)
{
    return testEnv.value(name);
}

// Where each folder source, and the other paths of the table, lie: "source kind path" lines,
// the home folder written "~".
QStringList describe(const Locations& l, const QStringList& sources)
{
    static const QHash<QString, SourceLocations Locations::*> members{
        {"derivedData", &Locations::derivedData}, {"caches", &Locations::caches},
        {"downloads", &Locations::downloads},     {"logs", &Locations::logs},
        {"savedAppState", &Locations::savedAppState}, {"trash", &Locations::trash},
        {"recentFiles", &Locations::recentFiles}, {"safari", &Locations::safariTraces},
        {"chrome", &Locations::chromeTraces},     {"firefox", &Locations::firefoxTraces},
        {"edge", &Locations::edgeTraces}};
    static const char* kinds[] = {"folder", "item", "logFiles", "trash"};
    const auto tilde = [&l](const FilePath& p) {
        return p.startsWith(l.home + '/') ? u'~' + QString::fromUtf8(p.mid(l.home.size())) : QString::fromUtf8(p);
    };
    QStringList lines;
    for (const QString& source : sources) {
        if (members.contains(source)) {
            for (const SourceLocation& location : l.*members.value(source))
                lines << source + u' ' + QLatin1String(kinds[int(location.kind)]) + u' ' + tilde(location.path);
        } else {
            const FilePaths paths = source == u"neverOffered" ? l.neverOffered
                                  : source == u"duplicateRoots" ? l.duplicateRoots
                                                               : FilePaths{l.trashFolder};
            for (const FilePath& path : paths)
                lines << source + u' ' + tilde(path);
        }
    }
    return lines;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

    // The macOS table, whose paths the plans below are checked against.
    Locations mac() const { return locationsFor(Platform::macOS, {homeDir(), {}, {}, {}, {}}); }

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
        const CleanupPlan p = smartPlan(mac());
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
        const CleanupPlan p = cleanupPlan(mac());
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

        const CleanupPlan dup = duplicatesPlan(mac());
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
        const CleanupPlan p = protectPlan(mac());
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
        const CleanupPlan p = smartPlan(mac());
        QCOMPARE(p.title, QStringLiteral("Smart Care"));
        QCOMPARE(p.sources[0].name, QStringLiteral("Xcode DerivedData"));
        QCOMPARE(p.sources[1].name, QStringLiteral("Caches"));
        QCOMPARE(cleanupPlan(mac()).sources[5].name, QStringLiteral("Large files (+100 MB)"));
        QCOMPARE(mainSections()[0].title, QStringLiteral("Smart Care"));

        // The programs' plans: the running platform's table, with the home folder asked anew.
        const QByteArray saved = qgetenv("HOME");
        qputenv("HOME", "/tmp/another-home/");
        QCOMPARE(folderOf(planFor(QStringLiteral("smart"))->sources[2]), QByteArray("/tmp/another-home/Downloads"));
        qputenv("HOME", saved);
        const auto caches = std::get<FolderSource>(planFor(QStringLiteral("smart"))->sources[1].kind);
        QCOMPARE(caches.locations, currentLocations().caches);
        QCOMPARE(caches.neverOffered, currentLocations().neverOffered);
    }

    // Both platforms' tables from one home and set of variables ("~" is the home folder). A
    // source listed without a path has no location: the table leaves out what is not strictly
    // inside the home folder, also through a link.
    void locationTable_data()
    {
        QTest::addColumn<bool>("mac");
        QTest::addColumn<QByteArrayList>("env");
        QTest::addColumn<QByteArray>("userDirs");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("macOS ignores XDG") << true << QByteArrayList{"XDG_CACHE_HOME=~/c", "XDG_DATA_HOME=~/d"} << QByteArray()
            << QStringList{"caches folder ~/Library/Caches", "trash folder ~/.Trash", "neverOffered ~/Library/Caches/Orvane",
                           "trashFolder ~/.Trash"};
        QTest::newRow("linux defaults") << false << QByteArrayList{} << QByteArray()
            << QStringList{"derivedData folder ~/Library/Developer/Xcode/DerivedData", "caches folder ~/.cache",
                           "downloads folder ~/Downloads", "logs item ~/.xsession-errors",
                           "logs item ~/.xsession-errors.old", "logs logFiles ~/.local/share/xorg",
                           "logs logFiles ~/.local/share/sddm", "savedAppState folder ~/.config/session",
                           "trash trash ~/.local/share/Trash", "recentFiles item ~/.local/share/recently-used.xbel",
                           "recentFiles folder ~/.local/share/RecentDocuments",
                           "safari folder ~/Library/Caches/com.apple.Safari", "chrome folder ~/.cache/google-chrome",
                           "chrome folder ~/.cache/chromium", "chrome folder ~/snap/chromium/common/.cache/chromium",
                           "chrome folder ~/.var/app/com.google.Chrome/cache/google-chrome",
                           "chrome folder ~/.var/app/org.chromium.Chromium/cache/chromium",
                           "firefox folder ~/.cache/mozilla/firefox",
                           "firefox folder ~/snap/firefox/common/.cache/mozilla/firefox",
                           "firefox folder ~/.var/app/org.mozilla.firefox/cache/mozilla/firefox",
                           "edge folder ~/.cache/microsoft-edge",
                           "edge folder ~/.var/app/com.microsoft.Edge/cache/microsoft-edge",
                           "neverOffered ~/.cache/Orvane", "neverOffered ~/.config/Orvane", "duplicateRoots ~/Downloads",
                           "duplicateRoots ~/Documents", "duplicateRoots ~/Desktop", "duplicateRoots ~/Pictures",
                           "trashFolder ~/.local/share/Trash"};
        QTest::newRow("linux XDG and user folders")
            << false << QByteArrayList{"XDG_CACHE_HOME=~/cc/", "XDG_DATA_HOME=~/dd", "XDG_CONFIG_HOME=~/cfg"}
            << QByteArray("# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Descargas\"\n"
                          "XDG_DESKTOP_DIR=\"$HOME\"\nXDG_PICTURES_DIR=\"/srv/pictures\"\n")
            << QStringList{"caches folder ~/cc", "trash trash ~/dd/Trash", "savedAppState folder ~/cfg/session",
                           "downloads folder ~/Descargas", "neverOffered ~/cc/Orvane", "neverOffered ~/cfg/Orvane",
                           "duplicateRoots ~/Descargas", "duplicateRoots ~/Documents"};
        QTest::newRow("linux relative and empty ignored")
            << false << QByteArrayList{"XDG_CACHE_HOME=rel/cache", "XDG_DATA_HOME=", "XDG_CONFIG_HOME=./cfg"} << QByteArray()
            << QStringList{"caches folder ~/.cache", "trash trash ~/.local/share/Trash",
                           "savedAppState folder ~/.config/session"};
        QTest::newRow("linux outside home")
            << false << QByteArrayList{"XDG_CACHE_HOME=~", "XDG_DATA_HOME=/var/lib/elsewhere", "XDG_CONFIG_HOME=~/link-out/cfg"}
            << QByteArray()
            << QStringList{"caches", "trash", "savedAppState", "chrome folder ~/google-chrome", "chrome folder ~/chromium",
                           "chrome folder ~/snap/chromium/common/.cache/chromium",
                           "chrome folder ~/.var/app/com.google.Chrome/cache/google-chrome",
                           "chrome folder ~/.var/app/org.chromium.Chromium/cache/chromium"};
    }

    void locationTable()
    {
        QFETCH(bool, mac);
        QFETCH(QByteArrayList, env);
        QFETCH(QByteArray, userDirs);
        QFETCH(QStringList, expected);
        QTemporaryDir home, outside;
        const FilePath h = QFile::encodeName(home.path());
        QVERIFY(QDir().mkpath(outside.filePath(QStringLiteral("cfg"))));
        QVERIFY(QFile::link(outside.path(), home.filePath(QStringLiteral("link-out"))));
        testEnv.clear();
        for (const QByteArray& pair : env) {
            const qsizetype eq = pair.indexOf('=');
            testEnv.insert(pair.left(eq), QByteArray(pair.mid(eq + 1)).replace('~', h));
        }
        if (!userDirs.isEmpty()) {
            QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("cfg"))));
            QFile file(home.filePath(QStringLiteral("cfg/user-dirs.dirs")));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(userDirs) == userDirs.size());
        }
        const Locations l = locationsFor(mac ? Platform::macOS : Platform::linux, baseDirs(h, readTestEnv));
        QStringList sources;
        for (const QString& line : expected)
            if (!sources.contains(line.section(u' ', 0, 0)))
                sources << line.section(u' ', 0, 0);
        QCOMPARE(describe(l, sources), expected.filter(QStringLiteral(" ")));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
