#include "launch_at_login.h"
#include "localization_manager.h"
#include "paths.h"
#include "privileges.h"
#include "settings_controller.h"
#include "startup_items.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <signal.h>
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

// A shell script at `path` that runs `body`.
void writeScript(const QString& path, const QByteArray& body)
{
    touch(path, "#!/bin/sh\n" + body);
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

// The whole file, or a null array when it cannot be read.
QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
    void displayName_data()
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

    void displayName()
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
    void desktopEntryReader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isEntry");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("hidden");
        const auto entry = [](const char* tag, const QByteArray& bytes, const QString& name, const QString& program = {},
                              bool hidden = false) { QTest::newRow(tag) << bytes << true << name << program << hidden; };
        const auto notEntry = [](const char* tag, const QByteArray& bytes) {
            QTest::newRow(tag) << bytes << false << QString() << QString() << false;
        };
        const QByteArray head = "[Desktop Entry]\n";
        entry("plain", head + "Name=Editor\nExec=/opt/editor %F\nIcon=editor\n", "Editor", "/opt/editor");
        entry("country, then language, then plain",
              head + "Name=Editor\nName[es]=Editor ES\nName[es_MX]=Editor MX\nName[fr]=Éditeur\n", "Editor MX");
        entry("language", head + "Name = Editor\nName[es] = Editor ES\n", "Editor ES");
        entry("escapes", head + "Name=\\sA\\tB\\\\C\\nD\\q\n", " A\tB\\C\nD\\q");
        entry("quoted program", head + "Exec=\"/opt/My App/\\\\$run\" --x %U\n", "", "/opt/My App/$run");
        entry("odd characters kept", head + "Name=<b>Ünï ☃ &amp; $(rm -rf ~)\nExec=/opt/a;b`c%%d|e %u\n",
              "<b>Ünï ☃ &amp; $(rm -rf ~)", "/opt/a;b`c%d|e");
        entry("unclosed quote", head + "Exec=\"/opt/editor --x\n", "");
        entry("not UTF-8", head + "Name=ab\xff\xfe" "c\n", QString::fromUtf8("ab\xff\xfe" "c"));
        entry("other groups ignored",
              "# comment\n[Other]\nName=No\n" + head + "Name=Yes\nName=Twice\nHidden=true\n[Desktop Action new]\nName=No\n",
              "Yes", "", true);
        entry("Hidden must be true", head + "Hidden=True\n", "");
        entry("CRLF lines", head.chopped(1) + "\r\nName=Win\r\nHidden=true\r\n", "Win", "", true);
        entry("malformed lines skipped", head + "garbage\n=x\nNa me=x\nName[=y\nName=Ok\n", "Ok");
        notEntry("no main group", "Name=Editor\n[Desktop Entrys]\nName=x\n");
        notEntry("empty", {});
        notEntry("binary", head + QByteArray("Name=x\0y\n", 9));
        notEntry("huge", head + "Name=Huge\n" + QByteArray(300 * 1024, '#'));
    }

    void desktopEntryReader()
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

    // Every visible entry of LaunchAgents, whatever it is (a name that is not UTF-8 byte for byte);
    // the autostart entries that are on, by their name in the current language, Orvane's own as
    // "Orvane", a link or a non-entry by its file name; each systemd unit enabled in a *.wants
    // folder, once; in that order. Missing, unreadable or non-folder locations give nothing.
    void listing()
    {
        QTemporaryDir config;
        const QString agents = config.filePath("LaunchAgents/");
        const QString autostart = config.filePath("autostart/");
        const QString units = config.filePath("systemd/user/");
        for (const char* name : {"com.example.agent.plist", "notes.txt", ".hidden.plist", "a folder/x", ".hidden-folder/x"})
            touch(agents + name);
        const QByteArray odd = enc(agents) + "bad\xff" "name.plist";
        const int fd = ::creat(odd.constData(), 0644);
        QVERIFY(fd >= 0);
        ::close(fd);

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
        touch(config.filePath("other.wants/linked-away.service"));
        QVERIFY(QFile::link(config.filePath("other.wants"), units + "linked.target.wants"));

        const StartupFolders folders{enc(agents), enc(autostart), enc(units)};
        const QList<StartupItem> items = listStartupItems(folders);
        ::unlink(odd.constData()); // QTemporaryDir cannot remove a name that is not UTF-8
        const QMap<QString, StartupKind> expected{
            {"Example", StartupKind::launchAgent},        {"Notes", StartupKind::launchAgent},
            {"A folder", StartupKind::launchAgent},       {QString::fromUtf8("Bad\xef\xbf\xbdname"), StartupKind::launchAgent},
            {"Sincronizar", StartupKind::autostartEntry}, {"Example Keystone", StartupKind::autostartEntry},
            {"Binary", StartupKind::autostartEntry},      {"Orvane", StartupKind::autostartEntry},
            {"Linked", StartupKind::autostartEntry},      {"Indexer", StartupKind::systemdUnit},
            {"Backup", StartupKind::systemdUnit},
        };
        QCOMPARE(namesOf(items, {QStringLiteral("es")}), expected);
        QCOMPARE(items.size(), expected.size());
        QVERIFY(std::any_of(items.cbegin(), items.cend(), [&](const StartupItem& i) { return i.path == odd; }));
        QVERIFY(namesOf(items, {QStringLiteral("en")}).contains(QStringLiteral("Sync")));
        QVERIFY(std::is_sorted(items.cbegin(), items.cend(), [](const auto& a, const auto& b) { return a.kind < b.kind; }));

        for (const QString& none : {config.filePath("missing"), agents + "notes.txt"})
            QVERIFY(listStartupItems({enc(none), enc(none), enc(none)}).isEmpty());
        QVERIFY(::chmod(enc(config.path()).constData(), 0) == 0);
        {
            testsupport::FilePermissionsEnforced enforced;
            if (enforced.active())
                QVERIFY(listStartupItems(folders).isEmpty());
        }
        ::chmod(enc(config.path()).constData(), 0755);
    }

    // What each kind of item asks of the outside world, in order; the result shows in the listing.
    void removalOrder_data()
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

    void removalOrder()
    {
        QFETCH(int, kind);
        QFETCH(bool, trashWorks);
        QFETCH(QStringList, calls);
        QStringList seen;
        const auto unload = [&](const StartupItem&) { seen << "unload"; };
        const auto trash = [&](const FilePath&) { return (seen << "trash", trashWorks); };
        removeStartupItem({FilePath("/home/u/item"), StartupKind(kind), {}}, {unload, trash, {}});
        QCOMPARE(seen, calls);
    }

    // launchctl and systemctl as child processes: argument lists (nothing a shell would read),
    // waited for (the fake records its call only after a pause), systemctl's exit status as the
    // outcome; a name that could read as an option or is no unit never reaches systemctl; a missing
    // tool is skipped, and a hanging one stopped: the call returns and the process is gone.
    void childProcesses_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QByteArray>("unit"); // for launchctl the item's path
        QTest::addColumn<QByteArray>("script"); // "" no such program
        QTest::addColumn<QStringList>("calls"); // argument count and arguments, as the tool saw them
        QTest::addColumn<bool>("ok");
        const QByteArray record = "sleep 0.1\nprintf '%s\\n' \"$#\" \"$@\" > \"$0.log\"\n";
        const QByteArray hang = "echo $$ > \"$0.pid\"\nexec sleep 1000\n";
        const QString item = "/no such/it's a \"test\" $HOME; rm -rf x.plist";
        const QStringList disable{"4", "--user", "disable", "--now"};
        QTest::newRow("launchctl") << "launchctl" << item.toUtf8() << record + "exit 3" << QStringList{"2", "unload", item} << false;
        QTest::newRow("systemctl") << "systemctl" << QByteArray("a@b.service") << record << disable + QStringList{"a@b.service"} << true;
        QTest::newRow("systemctl fails") << "systemctl" << QByteArray("x.service") << record + "exit 3" << disable + QStringList{"x.service"}
                                         << false;
        for (const char* bad : {"--global.service", "-h", "indexer", "a b.service", ".service"})
            QTest::addRow("not a unit: %s", bad) << "systemctl" << QByteArray(bad) << record << QStringList() << false;
        for (const char* tool : {"launchctl", "systemctl"})
            QTest::addRow("%s missing", tool) << tool << QByteArray("x.service") << QByteArray() << QStringList() << false;
        // Both tools run through the same limit; one hanging is enough.
        QTest::newRow("systemctl hangs") << "systemctl" << QByteArray("x.service") << hang << QStringList() << false;
    }

    void childProcesses()
    {
        QFETCH(QString, tool);
        QFETCH(QByteArray, unit);
        QFETCH(QByteArray, script);
        QFETCH(QStringList, calls);
        QFETCH(bool, ok);
        QTemporaryDir dir;
        const QString program = dir.filePath(tool);
        if (!script.isEmpty())
            writeScript(program, script);
        const bool hangs = script.contains("sleep 1000");
        const int limit = hangs ? 1000 : 30000;
        const bool succeeded = tool == u"systemctl" ? disableSystemdUnit(unit, program, limit)
                                                    : (unloadWithLaunchctl(unit, program, limit), false);
        QCOMPARE(succeeded, ok);
        QCOMPARE(QString::fromUtf8(contents(program + ".log")).split(u'\n', Qt::SkipEmptyParts), calls);
        const QByteArray pid = contents(program + ".pid");
        QCOMPARE(!pid.isNull(), hangs);
        if (hangs)
            QVERIFY2(::kill(pid.trimmed().toInt(), 0) != 0 && errno == ESRCH, "the hanging tool still runs");
    }

    // The model lists on refresh, signalling its count only when it changes, and renames rows
    // when the language changes without listing again. The removal edges a click cannot reach
    // (cancel, confirm and a second press are driven through the screen in tst_settings_ui).
    void modelAndRemovalEdges()
    {
        QTemporaryDir dir, config;
        touch(dir.filePath("agents/com.example.keystone.agent.plist"));
        touch(dir.filePath("autostart/sync.desktop"), "[Desktop Entry]\nName=Sync\nName[es]=Sincronizar\n");
        int calls = 0;
        const StartupItemServices services{[&](const StartupItem&) { ++calls; },
                                           [&](const FilePath& p) { return (++calls, QFile::remove(displayPath(p))); },
                                           [&](const FilePath&) { ++calls; }};
        auto* model = new StartupItemsModel({enc(dir.filePath("agents")), enc(dir.filePath("autostart")), {}}, services);
        SettingsController settings(new LaunchAtLogin(enc(config.filePath("autostart/orvane.desktop")), "/usr/bin/orvane"), model);
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy countSpy(model, &StartupItemsModel::countChanged);
        QCOMPARE(model->rowCount(), 0); // nothing read before refresh
        settings.refresh();
        settings.refresh();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(countSpy.size(), 1);
        const auto name = [&] { return model->data(model->index(1), int(StartupItemsModel::Role::displayName)).toString(); };
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QCOMPARE(name(), QStringLiteral("Sincronizar"));
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(name(), QStringLiteral("Sync"));
        QCOMPARE(model->displayName(model->itemAt(1)), QStringLiteral("Sync"));

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
        QCOMPARE(model->count(), 1);
        QCOMPARE(countSpy.size(), 2);
        QCOMPARE(settings.itemToRemoveName(), QStringLiteral("Example Keystone")); // no longer listed
    }

    void systemServicesOnThisDesktop()
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
        writeScript(bin.filePath("systemctl"), "printf '%s ' \"$@\" >> '" + enc(log) + "'\n");
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
        QCOMPARE(contents(trash + "/files/sys.desktop"), QByteArray("[Desktop Entry]\nName=Sys\n"));
        char target[64] = {};
        QVERIFY(::readlink(enc(trash + "/files/indexer.service").constData(), target, sizeof target - 1) > 0);
        QCOMPARE(QByteArray(target), QByteArray("../indexer.service")); // the link itself, restorable
        QCOMPARE(contents(log), QByteArray("--user disable --now indexer.service "));
    }
};

QTEST_MAIN(TestStartupItems)
#include "tst_startup_items.moc"
