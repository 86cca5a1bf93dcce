#include "catalogue.h"
#include "engine/fixture.h"
#include "localization_manager.h"
#include "paths.h"

#include <QTest>

using namespace orvane;

namespace {

// The members of the location table that folder sources draw on, by name.
const QList<QPair<QString, SourceLocations Locations::*>> sourceMembers{
    {"derivedData", &Locations::derivedData}, {"caches", &Locations::caches},
    {"downloads", &Locations::downloads},     {"logs", &Locations::logs},
    {"savedAppState", &Locations::savedAppState}, {"trash", &Locations::trash},
    {"recentFiles", &Locations::recentFiles}, {"safari", &Locations::safariTraces},
    {"chrome", &Locations::chromeTraces},     {"firefox", &Locations::firefoxTraces},
    {"edge", &Locations::edgeTraces}};

// The variables the table reads in a test, as the base directories' reader wants them.
QHash<QByteArray, QByteArray> testEnv;
QByteArray readTestEnv(const char* name)
{
    return testEnv.value(name);
}

// Every path of a platform's tables as "what [kind] path" lines, the home folder written "~".
QStringList describe(Platform platform, const BaseDirs& dirs)
{
    const Locations l = locationsFor(platform, dirs);
    const AppLocations apps = appLocations(platform, dirs);
    const StartupFolders startup = startupFolders(platform, dirs);
    const auto tilde = [&dirs](const FilePath& p) {
        return p.startsWith(dirs.home + '/') ? u'~' + QString::fromUtf8(p.mid(dirs.home.size())) : QString::fromUtf8(p);
    };
    static const char* kinds[] = {"folder", "item", "logFiles", "trash", "appCaches"};
    QStringList lines;
    for (const auto& [name, member] : sourceMembers)
        for (const SourceLocation& location : l.*member)
            lines << name + u' ' + QLatin1String(kinds[int(location.kind)]) + u' ' + tilde(location.path)
                         + (location.label.isEmpty() ? QString() : QStringLiteral(" (") + location.label + u')');
    for (const UserFolder& folder : userFolders(dirs))
        lines << QStringLiteral("userFolders ") + tilde(folder.path) + u' ' + QLatin1String(folder.icon);
    const QList<QPair<const char*, FilePaths>> lists{
        {"neverOffered", l.neverOffered},    {"duplicateRoots", l.duplicateRoots}, {"trashFolder", {l.trashFolder}},
        {"bundleRoots", apps.bundleRoots},   {"library", {apps.library}},          {"appImageRoots", apps.appImageRoots},
        {"flatpakApps", {apps.flatpakApps}}, {"sandboxData", {apps.sandboxData}},  {"leftoverRoots", apps.leftoverRoots},
        {"desktopEntries", {apps.desktopEntries}}, {"launchAgents", {startup.launchAgents}},
        {"autostart", {startup.autostart}},  {"systemdUser", {startup.systemdUser}}};
    for (const auto& [what, paths] : lists)
        for (const FilePath& path : paths)
            if (!path.isEmpty())
                lines << QLatin1String(what) + u' ' + tilde(path);
    static const char* reasons[] = {"isHome",          "sameAs",           "holdsBaseDir", "insideBaseDir",
                                    "holdsUserFolder", "insideUserFolder", "holdsTrash",   "insideTrash"};
    for (const SkippedBaseDir& skipped : l.skipped)
        lines << QStringList{"skipped", QString::fromLatin1(skipped.variable),
                             skipped.path == dirs.home ? "~" : tilde(skipped.path),
                             QLatin1String(reasons[int(skipped.reason)]), tilde(skipped.other)}
                     .join(u' ')
                     .trimmed();
    return lines;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LocalizationManager::shared().setLanguage(AppLanguage::es); }

    // A plan for the five cleanup sections only, by exact id, each folder source keeping Orvane's
    // own folders out. Texts follow the language on every call; the programs' plans read the
    // running platform's table with the home folder asked anew.
    void sectionsAndPlans()
    {
        QStringList sections;
        for (const SidebarSection& s : mainSections() + bottomSections())
            sections << s.id;
        QCOMPARE(sections, QStringList({"smart", "cleanup", "apps", "space", "protect", "dup", "settings", "about"}));
        const Locations l = locationsFor(Platform::linux, {homeDir(), homeDir() + "/.cache", {}, {}, {}, {}});
        for (const char* id : {"space", "settings", "about", "", "Smart", "smart "})
            QVERIFY2(!planFor(QString::fromLatin1(id), l).has_value(), id);
        const auto appsSource = [&] {
            return std::get<InstalledAppsSource>(planFor(QStringLiteral("apps"), l)->sources[0].kind);
        };
        const QString spanish = mainSections()[2].title, spanishRuntimes = appsSource().unusedRuntimesName;
        for (const char* id : {"smart", "cleanup", "apps", "protect", "dup"}) {
            const std::optional<CleanupPlan> plan = planFor(QString::fromLatin1(id), l);
            QVERIFY2(plan && !plan->sources.isEmpty(), id);
            for (const CleanupSource& s : plan->sources)
                if (const auto* folder = std::get_if<FolderSource>(&s.kind))
                    QVERIFY2(folder->neverOffered == l.neverOffered && !l.neverOffered.isEmpty(), id);
        }

        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QVERIFY(mainSections()[2].title != spanish);
        QVERIFY(!spanishRuntimes.isEmpty() && appsSource().unusedRuntimesName != spanishRuntimes);
        const QByteArray saved = qgetenv("HOME");
        qputenv("HOME", "/tmp/another-home/");
        const FolderSource downloads = std::get<FolderSource>(planFor(QStringLiteral("smart"))->sources[2].kind);
        qputenv("HOME", saved);
        QCOMPARE(downloads.locations, (SourceLocations{{SourceLocation::Kind::folder, "/tmp/another-home/Downloads"}}));
        QCOMPARE(std::get<FolderSource>(planFor(QStringLiteral("smart"))->sources[1].kind).locations, currentLocations().caches);
    }

    // Both platforms' tables from one home and set of variables ("~" is the home folder). A name
    // listed without a path has no location: the table leaves out what is not strictly inside
    // the home folder, also through a link, and what the other platform has. (The Linux places
    // of applications and startup items are used as they are by the installed-apps and
    // startup-items tests.)
    void locationTable()
    {
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        const struct {
            bool mac;
            QByteArrayList env;
            QStringList expected;
            QByteArray userDirs = {};
            QList<QPair<QByteArray, QByteArray>> links = {}; // below the home: link -> "@…" outside, "~…" inside
            QStringList notes = {};                          // of the cleanup plan, in English
        } rows[] = {
            // macOS ignores XDG.
            {true, {"XDG_CACHE_HOME=~/c", "XDG_DATA_HOME=~/d", "XDG_CONFIG_HOME=~/f"},
             {"caches folder ~/Library/Caches", "trash folder ~/.Trash", "neverOffered ~/Library/Caches/Orvane",
              "trashFolder ~/.Trash", "library ~/Library", "appImageRoots", "flatpakApps", "leftoverRoots", "autostart"}},
            // Linux defaults.
            {false, {},
             {"caches folder ~/.cache", "caches appCaches ~/.var/app", "savedAppState folder ~/.config/session",
              "trash trash ~/.local/share/Trash", "neverOffered ~/.cache/Orvane", "neverOffered ~/.config/Orvane",
              "trashFolder ~/.local/share/Trash", "bundleRoots", "library", "launchAgents",
              "userFolders ~/Desktop menubar.dock.rectangle", "userFolders ~/Downloads arrow.down.circle",
              "userFolders ~/Templates folder", "userFolders ~/Public folder", "userFolders ~/Documents doc",
              "userFolders ~/Music music.note", "userFolders ~/Pictures photo", "userFolders ~/Videos film"}},
            // Linux XDG variables and user folders.
            {false, {"XDG_CACHE_HOME=~/cc/", "XDG_DATA_HOME=~/dd", "XDG_CONFIG_HOME=~/cfg"},
             {"caches folder ~/cc", "caches appCaches ~/.var/app", "trash trash ~/dd/Trash", "savedAppState folder ~/cfg/session",
              "downloads folder ~/Descargas", "neverOffered ~/cc/Orvane", "neverOffered ~/cfg/Orvane",
              "duplicateRoots ~/Descargas", "duplicateRoots ~/Documentos", "leftoverRoots ~/cfg", "leftoverRoots ~/dd",
              "leftoverRoots ~/cc", "leftoverRoots ~/.local/state", "autostart ~/cfg/autostart",
              "userFolders ~/Descargas arrow.down.circle", "userFolders ~/Templates folder", "userFolders ~/Public folder",
              "userFolders ~/Documentos doc", "userFolders ~/Music music.note", "userFolders ~/Vídeos film"},
             "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Descargas\"\n"
             "XDG_DESKTOP_DIR=\"$HOME\"\nXDG_PICTURES_DIR=\"/srv/pictures\"\n"
             "XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\nXDG_VIDEOS_DIR=\"$HOME/Vídeos\"\n"},
            // Go's module cache from its variables; one outside the home folder is left out.
            {false, {"GOMODCACHE=~/gm/"},
             {"derivedData item ~/.npm/_cacache (npm)", "derivedData item ~/.cargo/registry/cache (Cargo (registry/cache))",
              "derivedData item ~/.cargo/registry/src (Cargo (registry/src))", "derivedData item ~/.gradle/caches (Gradle)",
              "derivedData item ~/gm/cache/download (Go (pkg/mod/cache/download))",
              "derivedData item ~/.yarn/berry/cache (Yarn)", "derivedData item ~/.local/share/pnpm/store (pnpm)"}},
            {false, {"GOPATH=/opt/go:~/go2"}, {"derivedData item ~/.npm/_cacache (npm)",
              "derivedData item ~/.cargo/registry/cache (Cargo (registry/cache))",
              "derivedData item ~/.cargo/registry/src (Cargo (registry/src))", "derivedData item ~/.gradle/caches (Gradle)",
              "derivedData item ~/.yarn/berry/cache (Yarn)", "derivedData item ~/.local/share/pnpm/store (pnpm)"}},
            // Linux, relative and empty values ignored.
            {false, {"XDG_CACHE_HOME=rel/cache", "XDG_DATA_HOME=", "XDG_CONFIG_HOME=./cfg"},
             {"caches folder ~/.cache", "caches appCaches ~/.var/app", "trash trash ~/.local/share/Trash",
              "savedAppState folder ~/.config/session"}},
            // Linux, values outside the home folder, or the home folder itself: nothing below
            // either is offered, browser caches included.
            {false, {"XDG_CACHE_HOME=~", "XDG_DATA_HOME=/var/lib/elsewhere", "XDG_CONFIG_HOME=~/link-out/cfg"},
             {"caches appCaches ~/.var/app", "trash", "savedAppState", "chrome folder ~/snap/chromium/common/.cache/chromium",
              "chrome folder ~/.var/app/com.google.Chrome/cache/google-chrome",
              "chrome folder ~/.var/app/org.chromium.Chromium/cache/chromium", "leftoverRoots ~/.local/state",
              "autostart", "systemdUser", "skipped XDG_CACHE_HOME ~ isHome"},
             {}, {}, {"XDG_CACHE_HOME (~) is not cleaned: it is your home folder."}},
            // A cache folder that is another base directory, holds one or lies in one is never a
            // source: not as a whole, not for browser caches, not for leftovers.
            {false, {"XDG_CACHE_HOME=~/.config"},
             {"caches appCaches ~/.var/app", "savedAppState", "chrome folder ~/snap/chromium/common/.cache/chromium",
              "chrome folder ~/.var/app/com.google.Chrome/cache/google-chrome",
              "chrome folder ~/.var/app/org.chromium.Chromium/cache/chromium", "leftoverRoots ~/.local/share",
              "leftoverRoots ~/.local/state", "skipped XDG_CACHE_HOME ~/.config sameAs ~/.config",
              "skipped XDG_CONFIG_HOME ~/.config sameAs ~/.config"},
             {}, {}, {"XDG_CACHE_HOME (~/.config) is not cleaned: it is the same folder as ~/.config.",
                      "XDG_CONFIG_HOME (~/.config) is not cleaned: it is the same folder as ~/.config."}},
            // (what lies inside such a folder is in doubt too: the data folder and its Trash here)
            {false, {"XDG_CACHE_HOME=~/.local"},
             {"caches appCaches ~/.var/app", "trash", "leftoverRoots ~/.config", "skipped XDG_CACHE_HOME ~/.local holdsBaseDir ~/.local/share",
              "skipped XDG_DATA_HOME ~/.local/share insideBaseDir ~/.local",
              "skipped XDG_STATE_HOME ~/.local/state insideBaseDir ~/.local"},
             {}, {}, {"XDG_CACHE_HOME (~/.local) is not cleaned: it holds ~/.local/share.",
                      "XDG_DATA_HOME (~/.local/share) is not cleaned: it lies inside ~/.local."}},
            {false, {"XDG_CACHE_HOME=~/.local/share"},
             {"caches appCaches ~/.var/app", "trash", "recentFiles", "logs item ~/.xsession-errors", "logs item ~/.xsession-errors.old",
              "leftoverRoots ~/.config", "leftoverRoots ~/.local/state",
              "skipped XDG_CACHE_HOME ~/.local/share sameAs ~/.local/share",
              "skipped XDG_DATA_HOME ~/.local/share sameAs ~/.local/share"}},
            {false, {"XDG_CACHE_HOME=~/.local/state/cache", "XDG_STATE_HOME=~/.local/state"},
             {"caches appCaches ~/.var/app", "skipped XDG_CACHE_HOME ~/.local/state/cache insideBaseDir ~/.local/state",
              "skipped XDG_STATE_HOME ~/.local/state holdsBaseDir ~/.local/state/cache"}},
            // User folders (named in user-dirs.dirs or by default) and the Trash.
            {false, {"XDG_CONFIG_HOME=~/cfg", "XDG_CACHE_HOME=~/Documents/cache", "XDG_STATE_HOME=~/work"},
             {"caches appCaches ~/.var/app", "skipped XDG_CACHE_HOME ~/Documents/cache insideUserFolder ~/Documents",
              "skipped XDG_STATE_HOME ~/work holdsUserFolder ~/work/Music"},
             "XDG_MUSIC_DIR=\"$HOME/work/Music\"\n"},
            {false, {"XDG_DATA_HOME=~", "XDG_CACHE_HOME=~/Trash/cache"},
             {"caches appCaches ~/.var/app", "trash", "skipped XDG_CACHE_HOME ~/Trash/cache insideTrash ~/Trash",
              "skipped XDG_DATA_HOME ~ isHome"}},
            // Links on a location's way are resolved once: what then leaves the home folder is
            // left out (~/.var, ~/snap, a user folder below a link), what stays is offered by its
            // real path; startup folders outside the home folder are not the user's own.
            {false, {"XDG_CONFIG_HOME=~/cfg"},
             {"chrome folder ~/.cache/google-chrome", "chrome folder ~/.cache/chromium",
              "firefox folder ~/.cache/mozilla/firefox", "edge folder ~/.cache/microsoft-edge",
              "downloads folder ~/real/Downloads", "duplicateRoots ~/real/Downloads", "duplicateRoots ~/Desktop",
              "duplicateRoots ~/Pictures", "sandboxData", "appImageRoots ~/.local/bin", "autostart",
              "systemdUser ~/cfg/systemd/user"},
             "XDG_DOCUMENTS_DIR=\"$HOME/cloud/Documents\"\nXDG_DOWNLOAD_DIR=\"$HOME/dl/Downloads\"\n",
             {{".var", "@"}, {"snap", "@"}, {"cloud", "@"}, {"dl", "~/real"}, {"Applications", "@"},
              {"cfg/autostart", "@"}}},
            {false, {"XDG_CONFIG_HOME=@/cfg"},
             {"autostart", "systemdUser", "savedAppState", "leftoverRoots ~/.local/share", "leftoverRoots ~/.cache",
              "leftoverRoots ~/.local/state"}},
            // User folders outside the home folder, at it, or named twice are left out.
            {false, {"XDG_CONFIG_HOME=~/cfg"},
             {"userFolders ~/Templates folder", "userFolders ~/Public folder", "userFolders ~/Music doc",
              "userFolders ~/Pictures photo", "userFolders ~/Videos film"},
             "XDG_DESKTOP_DIR=\"/tmp\"\nXDG_DOWNLOAD_DIR=\"$HOME/../elsewhere\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n"
             "XDG_DOCUMENTS_DIR=\"$HOME/Music\"\n"},
        };
        for (const auto& row : rows) {
            fixture::TempDir home, outside;
            const FilePath h = home.path();
            const auto place = [&](QByteArray value) { return value.replace('~', h).replace('@', outside.path()); };
            QVERIFY(fixture::makeDirs(outside.path() + "/cfg") && fixture::makeSymlink(outside.path(), h + "/link-out"));
            QVERIFY(row.userDirs.isEmpty() || fixture::writeBytes(h + "/cfg/user-dirs.dirs", row.userDirs));
            for (const auto& [link, target] : row.links)
                QVERIFY(fixture::makeDirs(place(target)) && fixture::makeDirs(parentPath(h + '/' + link))
                        && fixture::makeSymlink(place(target), h + '/' + link));
            testEnv.clear();
            for (const QByteArray& pair : row.env) {
                const qsizetype eq = pair.indexOf('=');
                testEnv.insert(pair.left(eq), place(pair.mid(eq + 1)));
            }
            const BaseDirs dirs = baseDirs(h, readTestEnv);
            if (!row.notes.isEmpty())
                QCOMPARE(planFor(QStringLiteral("cleanup"), locationsFor(Platform::linux, dirs))->notes, row.notes);
            // The lines of the names the row speaks of, name by name in the row's order.
            const QStringList all = describe(row.mac ? Platform::macOS : Platform::linux, dirs);
            QStringList named, got;
            for (const QString& line : row.expected)
                if (const QString name = line.section(u' ', 0, 0); !named.contains(name))
                    named << name;
            for (const QString& name : named)
                for (const QString& line : all)
                    if (line.section(u' ', 0, 0) == name)
                        got << line;
            QCOMPARE(got, row.expected.filter(QStringLiteral(" ")));
        }

        // ~/.var leading out of the home folder: no Flatpak app caches are looked for there.
        fixture::TempDir home, outside;
        testEnv.clear();
        QVERIFY(fixture::makeDirs(outside.path() + "/app") && fixture::makeSymlink(outside.path(), home.path() + "/.var"));
        QVERIFY(describe(Platform::linux, baseDirs(home.path(), readTestEnv)).filter(QStringLiteral("appCaches")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
