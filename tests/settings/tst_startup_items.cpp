#include "launch_at_login.h"
#include "localization_manager.h"
#include "paths.h"
#include "privileges.h"
#include "settings_controller.h"
#include "startup_items.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;

namespace {

QByteArray enc(const QString& s)
{
    return QFile::encodeName(s);
}

void touch(const QString& path, const QByteArray& contents = "<plist/>")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

QString writeScript(const QString& dir, const QString& name, const QByteArray& body)
{
    const QString path = dir + u'/' + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

StartupFolders launchAgents(const QString& folder)
{
    return {enc(folder), {}, {}};
}

FilePaths pathsOf(const QList<StartupItem>& items)
{
    FilePaths paths;
    for (const StartupItem& item : items)
        paths.append(item.path);
    return paths;
}

// Name -> kind of every listed item, in the given locales.
QMap<QString, StartupKind> namesOf(const QList<StartupItem>& items, const QStringList& locales)
{
    QMap<QString, StartupKind> names;
    for (const StartupItem& item : items)
        names.insert(startupDisplayName(item, locales), item.kind);
    return names;
}

} // namespace

class TestStartupItems : public QObject
{
    Q_OBJECT

private slots:
    void displayName_data();
    void displayName();
    void desktopEntryReader_data();
    void desktopEntryReader();
    void launchAgentsListing();
    void linuxListing();
    void modelRows();
    void removalOrder_data();
    void removalOrder();
    void childProcesses();
    void removalAlertEdges();
    void systemServicesOnThisDesktop();
};

void TestStartupItems::displayName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("keystone agent") << "com.example.keystone.agent.plist" << "Example Keystone";
    QTest::newRow("prefix repeated") << "com.example.ExampleUpdater.wake.plist" << "Example Updater";
    QTest::newRow("prefix case-insensitive") << "com.acme.ACMEsync.plist" << "Acme Sync";
    QTest::newRow("equal words not shortened") << "com.example.Example.plist" << "Example Example";
    QTest::newRow("trailing app") << "org.example.app.plist" << "Example";
    QTest::newRow("several trailing words") << "net.acme.sync.helper.login.agent.plist" << "Acme Sync";
    QTest::newRow("trailing word alone survives") << "agent.plist" << "Agent";
    QTest::newRow("only a leading word") << "com.plist" << "com.plist";
    QTest::newRow("app alone") << "app.plist" << "app.plist";
    QTest::newRow("leading word only once") << "com.org.thing.plist" << "Org Thing";
    QTest::newRow("leading compare ignores case") << "COM.Example.plist" << "Example";
    QTest::newRow("empty words dropped") << "com..example...keystone.plist" << "Example Keystone";
    QTest::newRow("no extension") << "com.example.tool" << "Example";
    QTest::newRow("spaces kept") << "My Startup Thing.plist" << "My Startup Thing";
    QTest::newRow("non-ascii") << "com.émile.tâche.plist" << "Émile Tâche";
    QTest::newRow("dots only before extension") << "..plist" << "..plist";
    QTest::newRow("systemd unit") << "syncthing.service" << "Syncthing";
}

void TestStartupItems::displayName()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QCOMPARE(startupDisplayName(file), expected);
    // An item without a readable entry goes by the last component of its path.
    const StartupItem item{FilePath("/home/u/.config/autostart/" + file.toUtf8()), StartupKind::autostartEntry, {}};
    QCOMPARE(startupDisplayName(item, {QStringLiteral("es")}), expected);
}

// Desktop entries as they come: the main group only, escapes, locales, and files that are not
// entries at all. `name` is looked up for Mexican Spanish.
void TestStartupItems::desktopEntryReader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("isEntry");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("hidden");
    const QByteArray head = "[Desktop Entry]\n";
    QTest::newRow("plain") << head + "Name=Editor\nExec=/opt/editor %F\nIcon=editor\n" << true << "Editor"
                           << "/opt/editor" << false;
    QTest::newRow("country, then language, then plain")
        << head + "Name=Editor\nName[es]=Editor ES\nName[es_MX]=Editor MX\nName[fr]=Éditeur\n" << true << "Editor MX"
        << "" << false;
    QTest::newRow("language") << head + "Name = Editor\nName[es] = Editor ES\n" << true << "Editor ES" << "" << false;
    QTest::newRow("escapes") << head + "Name=\\sA\\tB\\\\C\\nD\\q\n" << true << " A\tB\\C\nD\\q" << "" << false;
    QTest::newRow("quoted program") << head + "Exec=\"/opt/My App/\\\\$run\" --x %U\n" << true << "" << "/opt/My App/$run"
                                    << false;
    QTest::newRow("odd characters kept") << head + "Name=<b>Ünï ☃ &amp; $(rm -rf ~)\nExec=/opt/a;b`c%%d|e %u\n" << true
                                         << "<b>Ünï ☃ &amp; $(rm -rf ~)" << "/opt/a;b`c%d|e" << false;
    QTest::newRow("unclosed quote") << head + "Exec=\"/opt/editor --x\n" << true << "" << "" << false;
    QTest::newRow("not UTF-8") << head + "Name=ab\xff\xfe" "c\n" << true << QString::fromUtf8("ab\xff\xfe" "c") << ""
                               << false;
    QTest::newRow("other groups ignored")
        << "# comment\n[Other]\nName=No\n" + head + "Name=Yes\nName=Twice\nHidden=true\n[Desktop Action new]\nName=No\n"
        << true << "Yes" << "" << true;
    QTest::newRow("Hidden must be true") << head + "Hidden=True\n" << true << "" << "" << false;
    QTest::newRow("CRLF lines") << head.chopped(1) + "\r\nName=Win\r\nHidden=true\r\n" << true << "Win" << "" << true;
    QTest::newRow("malformed lines skipped") << head + "garbage\n=x\nNa me=x\nName[=y\nName=Ok\n" << true << "Ok" << ""
                                             << false;
    QTest::newRow("no main group") << QByteArray("Name=Editor\n[Desktop Entrys]\nName=x\n") << false << "" << "" << false;
    QTest::newRow("empty") << QByteArray() << false << "" << "" << false;
    QTest::newRow("binary") << head + QByteArray("Name=x\0y\n", 9) << false << "" << "" << false;
    QTest::newRow("huge") << head + "Name=Huge\n" + QByteArray(300 * 1024, '#') << false << "" << "" << false;
}

void TestStartupItems::desktopEntryReader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isEntry);
    QFETCH(QString, name);
    QFETCH(QString, program);
    QFETCH(bool, hidden);
    QTemporaryDir dir;
    const QString path = dir.filePath("entry.desktop");
    touch(path, bytes);
    // Parsed from memory and read from a file, the answer is the same.
    for (const auto& entry : {parseDesktopEntry(bytes), readDesktopEntry(enc(path))}) {
        QCOMPARE(entry.has_value(), isEntry);
        if (!entry)
            continue;
        QCOMPARE(entry->name({QStringLiteral("es_MX")}), name);
        QCOMPARE(execProgram(entry->exec()), program);
        QCOMPARE(entry->hidden(), hidden);
    }
    // Never read through a link, nor from something that is not a regular file.
    QVERIFY(QFile::link(path, dir.filePath("link.desktop")));
    QVERIFY(!readDesktopEntry(enc(dir.filePath("link.desktop"))));
    QVERIFY(::mkfifo(enc(dir.filePath("fifo.desktop")).constData(), 0644) == 0);
    QVERIFY(!readDesktopEntry(enc(dir.filePath("fifo.desktop"))));
}

void TestStartupItems::launchAgentsListing()
{
    QTemporaryDir dir;
    touch(dir.filePath("com.example.agent.plist"));
    touch(dir.filePath("notes.txt"));
    touch(dir.filePath("no-extension"));
    touch(dir.filePath(".hidden.plist"));
    QVERIFY(QDir(dir.path()).mkdir("a folder"));
    QVERIFY(QDir(dir.path()).mkdir(".hidden-folder"));
    // Names that are not valid UTF-8 are still listed, byte for byte.
    const QByteArray odd = enc(dir.path()) + "/bad\xff" "name.plist";
    const int fd = ::creat(odd.constData(), 0644);
    QVERIFY(fd >= 0);
    ::close(fd);

    const FilePaths items = pathsOf(listStartupItems(launchAgents(dir.path())));
    QCOMPARE(items.size(), 5);
    QVERIFY(items.contains(odd));
    QVERIFY(items.contains(enc(dir.filePath("a folder"))));
    for (const FilePath& p : items)
        QVERIFY(!lastComponent(p).startsWith('.'));
    // Listing again gives the same order.
    QCOMPARE(pathsOf(listStartupItems(launchAgents(dir.path()))), items);
    ::unlink(odd.constData()); // QTemporaryDir cannot remove a name that is not UTF-8

    // Missing, a file, unreadable: nothing.
    QVERIFY(listStartupItems(launchAgents(dir.filePath("missing"))).isEmpty());
    QVERIFY(listStartupItems(launchAgents(dir.filePath("notes.txt"))).isEmpty());
    QVERIFY(::chmod(enc(dir.path()).constData(), 0) == 0);
    {
        testsupport::FilePermissionsEnforced enforced;
        if (enforced.active())
            QVERIFY(listStartupItems(launchAgents(dir.path())).isEmpty());
    }
    ::chmod(enc(dir.path()).constData(), 0755);
}

// Autostart entries that are on, each systemd unit enabled in a *.wants folder once; names in
// the current language, Orvane's own entry as "Orvane".
void TestStartupItems::linuxListing()
{
    QTemporaryDir config;
    const QString autostart = config.filePath("autostart/");
    const QString units = config.filePath("systemd/user/");
    touch(autostart + "sync.desktop", "[Desktop Entry]\nName=Sync\nName[es]=Sincronizar\nExec=sync\n");
    touch(autostart + "com.example.keystone.agent.desktop", "[Desktop Entry]\nExec=keystone\n");
    touch(autostart + "binary.desktop", QByteArray("\x7f" "ELF\0\0", 6));
    touch(autostart + "off.desktop", "[Desktop Entry]\nName=Off\nHidden=true\n");
    touch(autostart + "gnome-off.desktop", "[Desktop Entry]\nName=Off too\nX-GNOME-Autostart-enabled=false\n");
    touch(autostart + "notes.txt", "[Desktop Entry]\nName=Not an entry file\n");
    touch(autostart + ".hidden.desktop", "[Desktop Entry]\nName=Hidden file\n");
    QVERIFY(registerAutostart(enc(autostart + "orvane.desktop"), QStringLiteral("/usr/bin/orvane")));
    touch(config.filePath("elsewhere.desktop"), "[Desktop Entry]\nName=Read through a link\n");
    QVERIFY(QFile::link(config.filePath("elsewhere.desktop"), autostart + "linked.desktop"));

    touch(units + "indexer.service", "[Service]\nExecStart=/bin/true\n");
    for (const char* wants : {"default.target.wants", "graphical-session.target.wants"}) {
        QVERIFY(QDir().mkpath(units + wants));
        QVERIFY(QFile::link("../indexer.service", units + wants + "/indexer.service"));
    }
    touch(units + "timers.target.wants/backup.timer", "[Timer]\nOnCalendar=daily\n");
    touch(units + "default.target.wants/--global.service", "not a unit name");
    touch(units + "default.target.wants/README", "not a unit");
    QVERIFY(QDir().mkpath(config.filePath("other.wants")));
    touch(config.filePath("other.wants/linked-away.service"));
    QVERIFY(QFile::link(config.filePath("other.wants"), units + "linked.target.wants"));

    const StartupFolders folders{{}, enc(config.filePath("autostart")), enc(config.filePath("systemd/user"))};
    const QList<StartupItem> items = listStartupItems(folders);
    const QMap<QString, StartupKind> expected{
        {"Sincronizar", StartupKind::autostartEntry}, {"Example Keystone", StartupKind::autostartEntry},
        {"Binary", StartupKind::autostartEntry},      {"Orvane", StartupKind::autostartEntry},
        {"Linked", StartupKind::autostartEntry},      {"Indexer", StartupKind::systemdUnit},
        {"Backup", StartupKind::systemdUnit},
    };
    QCOMPARE(namesOf(items, {QStringLiteral("es")}), expected);
    QCOMPARE(items.size(), expected.size());
    QVERIFY(namesOf(items, {QStringLiteral("en")}).contains(QStringLiteral("Sync")));
    // Autostart entries first, then units, in the folders' own order.
    QCOMPARE(items.first().kind, StartupKind::autostartEntry);
    QCOMPARE(items.last().kind, StartupKind::systemdUnit);
}

void TestStartupItems::modelRows()
{
    QTemporaryDir dir;
    touch(dir.filePath("autostart/sync.desktop"), "[Desktop Entry]\nName=Sync\nName[es]=Sincronizar\n");
    StartupItemsModel model(StartupFolders{{}, enc(dir.filePath("autostart")), {}}, {});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy countSpy(&model, &StartupItemsModel::countChanged);

    QCOMPARE(model.rowCount(), 0); // nothing read before refresh
    model.refresh();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(countSpy.size(), 1);
    const auto name = [&] { return model.data(model.index(0), int(StartupItemsModel::Role::displayName)).toString(); };
    // The name follows the language without reading the folder again.
    LocalizationManager::shared().setLanguage(AppLanguage::es);
    QCOMPARE(name(), QStringLiteral("Sincronizar"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    LocalizationManager::shared().setLanguage(AppLanguage::en);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(name(), QStringLiteral("Sync"));
    QCOMPARE(model.displayName(model.itemAt(0)), QStringLiteral("Sync"));

    touch(dir.filePath("autostart/other.desktop"), "[Desktop Entry]\n");
    model.refresh();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(countSpy.size(), 2);
    model.refresh(); // same listing: count unchanged, no signal
    QCOMPARE(countSpy.size(), 2);
}

// What each kind of item asks of the outside world, in order; the result shows in the listing.
void TestStartupItems::removalOrder_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("trashWorks");
    QTest::addColumn<QStringList>("calls");
    const QStringList unloadTrash{"unload", "trash"}, trashUnload{"trash", "unload"}, trashOnly{"trash"};
    QTest::newRow("launch agent: unloaded while its file is there") << int(StartupKind::launchAgent) << true << unloadTrash;
    QTest::newRow("launch agent that stays") << int(StartupKind::launchAgent) << false << unloadTrash;
    QTest::newRow("autostart entry") << int(StartupKind::autostartEntry) << true << trashOnly;
    // systemctl disable deletes the link itself: the Trash takes it first, so it can be restored.
    QTest::newRow("systemd unit") << int(StartupKind::systemdUnit) << true << trashUnload;
    QTest::newRow("systemd link that cannot be trashed stays enabled") << int(StartupKind::systemdUnit) << false << trashOnly;
}

void TestStartupItems::removalOrder()
{
    QFETCH(int, kind);
    QFETCH(bool, trashWorks);
    QFETCH(QStringList, calls);
    QStringList seen;
    const StartupItemServices services{[&](const StartupItem&) { seen << "unload"; },
                                       [&](const FilePath&) {
                                           seen << "trash";
                                           return trashWorks;
                                       },
                                       {}};
    removeStartupItem({FilePath("/home/u/item"), StartupKind(kind), {}}, services);
    QCOMPARE(seen, calls);
}

// launchctl and systemctl as child processes: argument lists (nothing a shell would read),
// waited for, a missing tool skipped, a hanging one stopped.
void TestStartupItems::childProcesses()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("calls.log");
    // Slow on purpose: the log only exists if the caller waited for the exit.
    const QByteArray record = "sleep 0.3\nprintf '%s\\n' \"$#\" \"$@\" > '" + enc(log) + "'\n";
    const QString fake = writeScript(dir.path(), "tool", record + "exit 3\n");
    const QString fine = writeScript(dir.path(), "fine", record);
    const auto calls = [&] {
        QFile f(log);
        const QStringList lines = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                                              : QStringList();
        f.remove();
        return lines;
    };
    // A path a shell would mangle: spaces, quotes, a dollar sign, a semicolon.
    const QString item = dir.filePath("it's a \"test\" $HOME; rm -rf x.plist");
    touch(item);
    unloadWithLaunchctl(enc(item), fake);
    QCOMPARE(calls(), QStringList({"2", "unload", item}));
    QVERIFY(QFile::exists(item));

    QVERIFY(disableSystemdUnit("a@b.service", fine));
    QCOMPARE(calls(), QStringList({"4", "--user", "disable", "--now", "a@b.service"}));
    QVERIFY(!disableSystemdUnit("indexer.service", fake)); // exit status 3
    QCOMPARE(calls().size(), 5);
    for (const QByteArray bad : {"--global.service", "-h", "indexer", "a b.service", ".service"})
        QVERIFY2(!disableSystemdUnit(bad, fine), bad.constData());
    QVERIFY(calls().isEmpty());

    // A tool that does not exist is skipped at once; one that never exits is stopped.
    QElapsedTimer timer;
    timer.start();
    unloadWithLaunchctl(enc(item), dir.filePath("no-such-launchctl"));
    QVERIFY(!disableSystemdUnit("indexer.service", dir.filePath("no-such-systemctl")));
    QVERIFY(timer.elapsed() < 5000);
    const QString hang = writeScript(dir.path(), "hang", "exec sleep 60\n");
    timer.restart();
    unloadWithLaunchctl(enc(item), hang, 300);
    QVERIFY(!disableSystemdUnit("indexer.service", hang, 300));
    QVERIFY2(timer.elapsed() < 20000, "a hanging tool held the caller");
}

// Cancel, confirm and a second press are driven through the screen in tst_settings_ui; these
// are the edges a click cannot reach.
void TestStartupItems::removalAlertEdges()
{
    QTemporaryDir dir, config;
    touch(dir.filePath("com.example.keystone.agent.plist"));
    int calls = 0;
    const StartupItemServices services{[&](const StartupItem&) { ++calls; },
                                       [&](const FilePath& p) {
                                           ++calls;
                                           return QFile::remove(displayPath(p));
                                       },
                                       [&](const FilePath&) { ++calls; }};
    auto* model = new StartupItemsModel(launchAgents(dir.path()), services);
    SettingsController settings(new LaunchAtLogin(enc(config.filePath("autostart/orvane.desktop")), "/usr/bin/orvane"), model);
    settings.refresh();
    settings.requestRemoval(7); // no such row
    QVERIFY(!settings.showRemoveConfirm());
    settings.revealStartupItem(7);
    QCOMPARE(calls, 0);

    // A dialog that reports itself closed before its button's action still removes, once.
    settings.requestRemoval(0);
    QVERIFY(settings.showRemoveConfirm());
    QCOMPARE(settings.itemToRemoveName(), QStringLiteral("Example Keystone"));
    settings.setShowRemoveConfirm(false);
    QSignalSpy done(model, &StartupItemsModel::removalFinished);
    settings.confirmRemoval();
    settings.confirmRemoval();
    QVERIFY(done.wait());
    QCOMPARE(calls, 2);
    QCOMPARE(model->count(), 0);
    QCOMPARE(settings.itemToRemoveName(), QStringLiteral("Example Keystone")); // no longer listed
}

void TestStartupItems::systemServicesOnThisDesktop()
{
    // The production services against the test's own home, on a worker thread: the autostart
    // entry and the unit's link go to the desktop Trash; systemctl is a fake put first on PATH.
    const StartupFolders folders = startupFolders();
    const QString autostart = displayPath(folders.autostart);
    const QString units = displayPath(folders.systemdUser);
    QVERIFY(autostart.startsWith(QDir::homePath()) && units.startsWith(QDir::homePath()));
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + "/.local/share") + "/Trash";
    QVERIFY(trash.contains("test-homes"));
    QDir(trash).removeRecursively(); // what earlier runs left
    QDir(autostart).removeRecursively();
    QDir(units).removeRecursively();
    touch(autostart + "/sys.desktop", "[Desktop Entry]\nName=Sys\n");
    touch(units + "/indexer.service", "[Service]\nExecStart=/bin/true\n");
    QVERIFY(QDir().mkpath(units + "/default.target.wants"));
    QVERIFY(QFile::link("../indexer.service", units + "/default.target.wants/indexer.service"));

    QTemporaryDir bin;
    const QString log = bin.filePath("systemctl.log");
    QVERIFY(!writeScript(bin.path(), "systemctl", "printf '%s ' \"$@\" >> '" + enc(log) + "'\n").isEmpty());
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", enc(bin.path()) + ':' + path);
    StartupItemsModel model; // the real folders and services
    model.refresh();
    QCOMPARE(model.count(), 2);
    QSignalSpy done(&model, &StartupItemsModel::removalFinished);
    for (int row = 1; row >= 0; --row)
        model.removeItem(model.itemAt(row));
    QTRY_COMPARE(done.size(), 2);
    qputenv("PATH", path);

    QCOMPARE(model.count(), 0);
    QFile trashed(trash + "/files/sys.desktop");
    QVERIFY(trashed.open(QIODevice::ReadOnly));
    QCOMPARE(trashed.readAll(), QByteArray("[Desktop Entry]\nName=Sys\n"));
    char target[64] = {};
    QVERIFY(::readlink(enc(trash + "/files/indexer.service").constData(), target, sizeof target - 1) > 0);
    QCOMPARE(QByteArray(target), QByteArray("../indexer.service")); // the link itself, restorable
    QFile calls(log);
    QVERIFY(calls.open(QIODevice::ReadOnly));
    QCOMPARE(calls.readAll(), QByteArray("--user disable --now indexer.service "));
}

QTEST_MAIN(TestStartupItems)
#include "tst_startup_items.moc"
