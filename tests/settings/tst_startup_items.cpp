// What the settings screen does to the desktop: the user's startup items, Orvane's own autostart
// entry, and showing an item in the file manager.

#include "desktop_services.h"
#include "engine/fixture.h"
#include "keep_list.h"
#include "launch_at_login.h"
#include "localization_manager.h"
#include "paths.h"
#include "settings_controller.h"
#include "startup_items.h"

#include <QAbstractItemModelTester>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <glib.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/syscall.h>

using namespace orvane;
using fixture::writeBytes;

namespace {

// The whole file, or a null array when it cannot be read.
QByteArray contents(const QByteArray& path)
{
    QFile f(QFile::decodeName(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A shell script at `path` that runs `body`.
bool writeScript(const QByteArray& path, const QByteArray& body)
{
    return writeBytes(path, "#!/bin/sh\n" + body) && ::chmod(path.constData(), 0700) == 0;
}

// What a desktop session makes of the entry's Exec line: GLib reads the key file (string
// escapes), "%%" becomes "%" and any other field code is dropped, as a launcher does, and GLib
// splits the command line with its quoting rules.
QStringList launchedArguments(const QByteArray& entry)
{
    g_autoptr(GKeyFile) file = g_key_file_new();
    if (!g_key_file_load_from_data(file, entry.constData(), gsize(entry.size()), G_KEY_FILE_NONE, nullptr))
        return {};
    g_autofree gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    QByteArray line;
    for (const char* c = exec; c && *c; ++c) {
        if (*c != '%')
            line += *c;
        else if (c[1] && *++c == '%')
            line += '%';
    }
    g_auto(GStrv) argv = nullptr;
    QStringList out;
    if (exec && g_shell_parse_argv(line.constData(), nullptr, &argv, nullptr))
        for (gchar** arg = argv; *arg; ++arg)
            out << QString::fromUtf8(*arg);
    return out;
}

// Run as root, "cannot write here" does not bite: the calling thread gives up (or takes back) its
// power to override file permissions. A process without that power has nothing to give up.
bool overrideFilePermissions(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    data[0].effective = on ? data[0].effective | (bits & data[0].permitted) : data[0].effective & ~bits;
    return ::syscall(SYS_capset, &header, data) == 0;
}

// A file manager on a private bus.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> calls;
public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString&) { calls << uris; }
};

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

    QList<QUrl> m_opened; // what the file manager was asked to open

public slots:
    void openUrl(const QUrl& url) { m_opened << url; }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler("file", this, "openUrl"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }

    // Readable names from file names: leading "com"/"org"/"net" once and in any case, a vendor
    // prefix repeated in the next word, trailing "app"/"agent"/"helper"-like words, empty words
    // dropped; nothing left means the file name as it is. An item without a readable entry goes
    // by the last component of its path.
    void displayName()
    {
        const struct {
            const char *file, *expected;
        } rows[] = {
            {"com.example.keystone.agent.plist", "Example Keystone"}, {"com.acme.ACMEsync.plist", "Acme Sync"},
            {"com.example.ExampleUpdater.wake.plist", "Example Updater"}, {"agent.plist", "Agent"},
            {"net.acme.sync.helper.login.agent.plist", "Acme Sync"}, {"com.plist", "com.plist"},
            {"com.example.Example.plist", "Example Example"}, {"org.example.app.plist", "Example"},
            {"com..example...keystone.plist", "Example Keystone"}, {"com.org.thing.plist", "Org Thing"},
            {"My Startup Thing.plist", "My Startup Thing"}, {"COM.Example.plist", "Example"}, {"app.plist", "app.plist"},
            {"com.émile.tâche.plist", "Émile Tâche"}, {"com.example.tool", "Example"}, {"..plist", "..plist"},
            {"syncthing.service", "Syncthing"},
        };
        for (const auto& row : rows) {
            QCOMPARE(startupDisplayName(QString::fromUtf8(row.file)), QString::fromUtf8(row.expected));
            const StartupItem item{"/home/u/.config/autostart/" + QByteArray(row.file), StartupKind::autostartEntry, {}};
            QCOMPARE(startupDisplayName(item, {QStringLiteral("es")}), QString::fromUtf8(row.expected));
        }
    }

    // Desktop entries as they come: the main group only, escapes, locales, and files that are not
    // entries at all. The name is looked up for Mexican Spanish. Parsed from memory and read from a
    // file, the answer is the same; never read through a link, nor from what is not a regular file.
    void desktopEntryReader()
    {
        const QByteArray head = "[Desktop Entry]\n";
        const struct {
            QByteArray bytes;
            bool isEntry;
            QString name = {}, program = {};
            bool hidden = false;
        } rows[] = {
            {head + "Name=Editor\nExec=/opt/editor %F\nIcon=editor\n", true, "Editor", "/opt/editor"},
            // country, then language, then plain
            {head + "Name=Editor\nName[es]=Editor ES\nName[es_MX]=Editor MX\nName[fr]=Éditeur\n", true, "Editor MX"},
            {head + "Name = Editor\nName[es] = Editor ES\n", true, "Editor ES"},
            {head + "Name=\\sA\\tB\\\\C\\nD\\q\n", true, " A\tB\\C\nD\\q"},
            {head + "Exec=\"/opt/My App/\\\\$run\" --x %U\n", true, "", "/opt/My App/$run"},
            {head + "Name=<b>Ünï ☃ &amp; $(rm -rf ~)\nExec=\"/opt/a;b\\\\`c%%d|e\" %u\n", true,
             "<b>Ünï ☃ &amp; $(rm -rf ~)", "/opt/a;b`c%d|e"}, // odd characters kept when quoted
            // Exec quoting broken: reserved characters bare, quoted in part, unknown escape, field code
            {head + "Exec=/opt/a;b %u\n", true},
            {head + "Exec=\"/opt/editor\"x %u\n", true},
            {head + "Exec=\"/opt/\\\\q\"\n", true},
            {head + "Exec=/opt/editor%f\n", true},
            {head + "Exec=\"/opt/editor --x\n", true}, // unclosed quote
            {head + "Name=ab\xff\xfe" "c\n", true, QString::fromUtf8("ab\xff\xfe" "c")},
            {"# comment\n[Other]\nName=No\n" + head + "Name=Yes\nName=Twice\nHidden=true\n[Desktop Action x]\nName=No\n",
             true, "Yes", "", true},
            {head + "Hidden=True\n", true},
            {head.chopped(1) + "\r\nName=Win\r\nHidden=true\r\n", true, "Win", "", true},
            {head + "garbage\n=x\nNa me=x\nName[=y\nName=Ok\n", true, "Ok"},
            {"Name=Editor\n[Desktop Entrys]\nName=x\n", false},
            {{}, false},
            {head + QByteArray("Name=x\0y\n", 9), false},
            {head + "Name=Huge\n" + QByteArray(300 * 1024, '#'), false},
        };
        fixture::TempDir dir;
        const QByteArray path = dir.path() + "/entry.desktop";
        for (const auto& row : rows) {
            QVERIFY(writeBytes(path, row.bytes));
            for (const auto& entry : {parseDesktopEntry(row.bytes), readDesktopEntry(path)}) {
                QVERIFY2(entry.has_value() == row.isEntry, row.bytes.left(60).constData());
                if (!entry)
                    continue;
                QCOMPARE(entry->name({QStringLiteral("es_MX")}), row.name);
                QCOMPARE(execProgram(entry->exec()), row.program);
                QCOMPARE(entry->hidden(), row.hidden);
            }
        }
        QVERIFY(writeBytes(path, head + "Name=Editor\n") && readDesktopEntry(path));
        const QByteArray link = dir.path() + "/link.desktop", fifo = dir.path() + "/fifo.desktop";
        QVERIFY(fixture::makeSymlink(path, link) && fixture::makeFifo(fifo));
        QVERIFY(!readDesktopEntry(link) && !readDesktopEntry(fifo));
    }

    // Every visible entry of LaunchAgents, whatever it is (a name that is not UTF-8 byte for byte);
    // the autostart entries that are on, by their name in the current language, Orvane's own as
    // "Orvane", a link or a non-entry by its file name; each systemd unit enabled in a *.wants
    // folder, once; in that order. Missing or non-folder locations give nothing (unreadable ones:
    // refusedLocations).
    void listing()
    {
        fixture::TempDir config;
        const QByteArray agents = config.path() + "/LaunchAgents/", autostart = config.path() + "/autostart/";
        const QByteArray units = config.path() + "/systemd/user/";
        const QByteArray odd = agents + "bad\xff" "name.plist";
        for (const char* name : {"com.example.agent.plist", "notes.txt", ".hidden.plist", "a folder/x", ".hidden-folder/x"})
            QVERIFY(writeBytes(agents + name, "<plist/>"));
        QVERIFY(writeBytes(odd, "<plist/>"));

        const QByteArray entry = "[Desktop Entry]\n";
        QVERIFY(writeBytes(autostart + "sync.desktop", entry + "Name=Sync\nName[es]=Sincronizar\nExec=sync\n"));
        QVERIFY(writeBytes(autostart + "com.example.keystone.agent.desktop", entry + "Exec=keystone\n"));
        QVERIFY(writeBytes(autostart + "binary.desktop", QByteArray("\x7f" "ELF\0\0", 6)));
        QVERIFY(writeBytes(autostart + "off.desktop", entry + "Name=Off\nHidden=true\n"));
        QVERIFY(writeBytes(autostart + "gnome-off.desktop", entry + "Name=Off too\nX-GNOME-Autostart-enabled=false\n"));
        QVERIFY(writeBytes(autostart + "notes.txt", entry + "Name=Not an entry file\n"));
        QVERIFY(writeBytes(autostart + ".hidden.desktop", entry + "Name=Hidden file\n"));
        QVERIFY(registerAutostart(autostart + "orvane.desktop", QStringLiteral("/usr/bin/orvane")));
        QVERIFY(writeBytes(config.path() + "/elsewhere.desktop", entry + "Name=Read through a link\n"));
        QVERIFY(fixture::makeSymlink(config.path() + "/elsewhere.desktop", autostart + "linked.desktop"));

        QVERIFY(writeBytes(units + "indexer.service", "[Service]\nExecStart=/bin/true\n"));
        for (const QByteArray wants : {"default.target.wants/", "graphical-session.target.wants/"}) {
            QVERIFY(fixture::makeDirs(units + wants));
            QVERIFY(fixture::makeSymlink("../indexer.service", units + wants + "indexer.service"));
        }
        QVERIFY(writeBytes(units + "timers.target.wants/backup.timer", "[Timer]\nOnCalendar=daily\n"));
        QVERIFY(writeBytes(units + "default.target.wants/--global.service", "not a unit name"));
        QVERIFY(writeBytes(units + "default.target.wants/README", "not a unit"));
        QVERIFY(writeBytes(config.path() + "/other.wants/linked-away.service", "[Service]\n"));
        QVERIFY(fixture::makeSymlink(config.path() + "/other.wants", units + "linked.target.wants"));

        const StartupFolders folders{agents, autostart, units};
        const QList<StartupItem> items = listStartupItems(folders);
        const QMap<QString, StartupKind> expected{
            {"Example", StartupKind::launchAgent},        {"Notes", StartupKind::launchAgent},
            {"A folder", StartupKind::launchAgent},       {QString::fromUtf8("Bad\uFFFDname"), StartupKind::launchAgent},
            {"Sincronizar", StartupKind::autostartEntry}, {"Example Keystone", StartupKind::autostartEntry},
            {"Binary", StartupKind::autostartEntry},      {"Linked", StartupKind::autostartEntry},      {"Indexer", StartupKind::systemdUnit},
            {"Backup", StartupKind::systemdUnit},
        };
        QCOMPARE(namesOf(items, {QStringLiteral("es")}), expected);
        QCOMPARE(items.size(), expected.size());
        QVERIFY(std::any_of(items.cbegin(), items.cend(), [&](const StartupItem& i) { return i.path == odd; }));
        QVERIFY(namesOf(items, {QStringLiteral("en")}).contains(QStringLiteral("Sync")));
        QVERIFY(std::is_sorted(items.cbegin(), items.cend(), [](auto& a, auto& b) { return a.kind < b.kind; }));

        for (const QByteArray& none : {config.path() + "/missing", agents + "notes.txt"})
            QVERIFY(listStartupItems({none, none, none}).isEmpty());
    }

    // Programs in hostile places: the session starts exactly that program, with no arguments, and
    // the entry passes desktop-file-validate where it is installed.
    void execQuoting()
    {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        fixture::TempDir dir;
        const QStringList programs{"/usr/bin/orvane", "/opt/My Apps/orvane", "/opt/a\"b/orvane", "/opt/$HOME/orvane",
                                   "/opt/a\\b/orvane", "/opt/a`b/orvane", "/opt/100%/orvane", "/home/o'neil/orvane",
                                   "/opt/a;b|c&d>e<f*g?h#i(j)k~/orvane", "/opt/a\tb\nc/orvane", "/opt/Aplicación/orvane",
                                   "/opt/My \"odd\" $dir\\100%/orvane"};
        for (const QString& program : programs) {
            const QByteArray entry = autostartEntryContents(program);
            QCOMPARE(launchedArguments(entry), QStringList{program});
            if (validator.isEmpty())
                continue;
            QVERIFY(writeBytes(dir.path() + "/orvane.desktop", entry));
            QProcess p;
            p.start(validator, {QFile::decodeName(dir.path() + "/orvane.desktop")});
            QVERIFY(p.waitForFinished(30000));
            const QByteArray out = p.readAllStandardOutput() + p.readAllStandardError();
            QVERIFY2(p.exitCode() == 0 && out.trimmed().isEmpty(), out.constData());
        }
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed; the Exec lines were checked with GLib only");
    }

    // Registered where no folder is there yet (the session's autostart folder, by default), written
    // whole, left alone when already right, written anew for a moved program, removed. Entries
    // switched off by hand (or by a session's settings) read as off; registering turns them on.
    // The toggle on screen: tst_settings_ui.
    void registerAndUnregister()
    {
        QCOMPARE(autostartEntryPath(), qgetenv("XDG_CONFIG_HOME") + "/autostart/orvane.desktop");
        fixture::TempDir dir;
        const FilePath entry = dir.path() + "/config/autostart/orvane.desktop";
        QVERIFY(!autostartEnabled(entry));
        QVERIFY(unregisterAutostart(entry)); // nothing to remove is fine
        QVERIFY(!registerAutostart(entry, QString())); // no program to start
        QVERIFY(!fixture::exists(entry));

        QVERIFY(registerAutostart(entry, "/opt/orvane/bin/orvane"));
        QVERIFY(autostartEnabled(entry));
        QCOMPARE(contents(entry), autostartEntryContents("/opt/orvane/bin/orvane"));
        QCOMPARE(QDir(QFile::decodeName(dir.path() + "/config/autostart")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"orvane.desktop"});

        // Enabling twice keeps the very same file: same inode, its old time stamp untouched.
        const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        QVERIFY(::utimensat(AT_FDCWD, entry.constData(), old, 0) == 0);
        struct stat before {}, after {};
        QVERIFY(::stat(entry.constData(), &before) == 0);
        QVERIFY(registerAutostart(entry, "/opt/orvane/bin/orvane"));
        QVERIFY(::stat(entry.constData(), &after) == 0);
        QVERIFY(after.st_ino == before.st_ino && after.st_mtim.tv_sec == 1000000000);

        QVERIFY(registerAutostart(entry, "/usr/local/bin/orvane")); // a moved program is registered anew
        QCOMPARE(contents(entry), autostartEntryContents("/usr/local/bin/orvane"));
        QVERIFY(unregisterAutostart(entry));
        QVERIFY(!fixture::exists(entry) && !autostartEnabled(entry));

        const struct {
            QByteArray contents;
            bool enabled;
        } rows[] = {
            {"[Desktop Entry]\nType=Application\nExec=orvane\n", true},
            {"[Desktop Entry]\nHidden=true\nExec=orvane\n", false},
            {"[Desktop Entry]\nHidden=false\n", true},
            {"[Desktop Entry]\nHidden = true\n", false},
            {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false},
            {"[Desktop Entry]\nExec=o\n[Desktop Action x]\nHidden=true\n", true}, // another group's key
            {"[Desktop Entry]\n# Hidden=true\n", true},
            {"", true},
        };
        for (const auto& row : rows) {
            QVERIFY(writeBytes(entry, row.contents));
            QVERIFY2(autostartEnabled(entry) == row.enabled, row.contents.constData());
            QVERIFY(registerAutostart(entry, "/usr/bin/orvane") && autostartEnabled(entry));
        }
    }

    // A file where the folder belongs, a folder where the entry belongs: refused whoever asks.
    // Then what the user may not write or read.
    void refusedLocations()
    {
        // Startup folders and the login item are the user's own only inside the home folder:
        // with XDG_CONFIG_HOME at the system's folder (/etc/xdg), or reached through a link out of
        // the home, the system's entries and unit links are not listed, and nothing is written there.
        fixture::TempDir system;
        const QByteArray xdg = system.path() + "/xdg";
        QVERIFY(writeBytes(xdg + "/autostart/everyone.desktop", "[Desktop Entry]\nName=Everyone\n"));
        QVERIFY(writeBytes(xdg + "/systemd/user/shared.service", "[Service]\n"));
        QVERIFY(fixture::makeDirs(xdg + "/systemd/user/default.target.wants")
                && fixture::makeSymlink("../shared.service", xdg + "/systemd/user/default.target.wants/shared.service"));
        const QByteArray link = homeDir() + "/config-elsewhere", saved = qgetenv("XDG_CONFIG_HOME");
        QVERIFY(fixture::makeSymlink(xdg, link));
        const auto restoreConfig = qScopeGuard([&] {
            qputenv("XDG_CONFIG_HOME", saved);
            ::unlink(link.constData());
        });
        for (const QByteArray& config : {xdg, link}) {
            qputenv("XDG_CONFIG_HOME", config);
            QVERIFY2(autostartEntryPath().isEmpty(), config.constData());
            QVERIFY(listStartupItems(startupFolders()).isEmpty());
            LaunchAtLogin toggle;
            toggle.setEnabled(true);
            QVERIFY(!toggle.enabled() && !fixture::exists(xdg + "/autostart/orvane.desktop"));
        }

        fixture::TempDir dir;
        QVERIFY(writeBytes(dir.path() + "/a/autostart", "not a folder"));
        QVERIFY(fixture::makeDirs(dir.path() + "/b/autostart/orvane.desktop"));
        for (const char* where : {"/a", "/b"}) {
            const FilePath entry = dir.path() + where + "/autostart/orvane.desktop";
            QVERIFY(!registerAutostart(entry, "/usr/bin/orvane"));
            QVERIFY(!autostartEnabled(entry));
        }

        // A folder the user may not write to: the toggle shows what is, not what was asked, and
        // says so even when nothing changed, so a switch flipped in vain flips back.
        if (!overrideFilePermissions(false))
            QSKIP("file permissions cannot be made to apply to this process");
        const auto restore = qScopeGuard([] { overrideFilePermissions(true); });
        const FilePath folder = dir.path() + "/autostart", entry = folder + "/orvane.desktop";
        QVERIFY(fixture::makeDirs(folder) && ::chmod(folder.constData(), 0555) == 0);
        QVERIFY(!registerAutostart(entry, "/usr/bin/orvane"));
        QVERIFY(!autostartEnabled(entry));
        QVERIFY(QDir(QFile::decodeName(folder)).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        LaunchAtLogin toggle(entry, "/usr/bin/orvane");
        QSignalSpy changed(&toggle, &LaunchAtLogin::enabledChanged);
        toggle.setEnabled(true);
        QVERIFY(!toggle.enabled());
        QCOMPARE(changed.size(), 1);

        // Registered earlier, folder read-only now: cannot be removed, and still shows as on.
        QVERIFY(::chmod(folder.constData(), 0755) == 0);
        QVERIFY(registerAutostart(entry, "/usr/bin/orvane"));
        QVERIFY(::chmod(folder.constData(), 0555) == 0);
        QVERIFY(!unregisterAutostart(entry));
        toggle.setEnabled(false);
        QVERIFY(toggle.enabled() && autostartEnabled(entry));

        // An entry the session cannot read does not start anything: off. A folder that cannot be
        // read lists nothing.
        QVERIFY(::chmod(entry.constData(), 0) == 0);
        QVERIFY(!autostartEnabled(entry));
        QVERIFY(::chmod(entry.constData(), 0644) == 0 && ::chmod(folder.constData(), 0) == 0);
        QVERIFY(listStartupItems({folder, folder, {}}).isEmpty());
        ::chmod(folder.constData(), 0755);
    }

    // launchctl and systemctl as child processes: argument lists (nothing a shell would read),
    // waited for (the fake records its call only after a pause), systemctl's exit status as the
    // outcome; a name that could read as an option or is no unit never reaches systemctl; a missing
    // tool is skipped, and a hanging one stopped: the call returns and the process is gone. Both
    // tools run through the same limit; one hanging is enough.
    void childProcesses()
    {
        const QByteArray record = "sleep 0.1\nprintf '%s\\n' \"$#\" \"$@\" > \"$0.log\"\n";
        const QByteArray hang = "echo $$ > \"$0.pid\"\nexec sleep 1000\n";
        const QByteArray item = "/no such/it's a \"test\" $HOME; rm -rf x.plist";
        const QStringList disable{"4", "--user", "disable", "--now"};
        const struct {
            const char* tool;
            QByteArray unit; // for launchctl the item's path
            QByteArray script = {}; // "" no such program
            QStringList calls = {}; // argument count and arguments, as the tool saw them
            bool ok = false;
        } rows[] = {
            {"launchctl", item, record + "exit 3", {"2", "unload", QString::fromUtf8(item)}},
            {"systemctl", "a@b.service", record, disable + QStringList{"a@b.service"}, true},
            {"systemctl", "x.service", record + "exit 3", disable + QStringList{"x.service"}},
            {"systemctl", "--global.service", record}, {"systemctl", "-h", record}, {"systemctl", "indexer", record},
            {"systemctl", "a b.service", record}, {"systemctl", ".service", record},
            {"launchctl", "x.service"}, {"systemctl", "x.service"},
            {"systemctl", "x.service", hang},
        };
        for (const auto& row : rows) {
            fixture::TempDir dir;
            const QByteArray program = dir.path() + '/' + row.tool;
            QVERIFY(row.script.isEmpty() || writeScript(program, row.script));
            const bool hangs = row.script == hang;
            const int limit = hangs ? 1000 : 30000;
            const QString name = QFile::decodeName(program);
            const bool ok = row.tool == QByteArray("systemctl") ? disableSystemdUnit(row.unit, name, limit)
                                                                : (unloadWithLaunchctl(row.unit, name, limit), false);
            QVERIFY2(ok == row.ok, row.unit.constData());
            QCOMPARE(QString::fromUtf8(contents(program + ".log")).split(u'\n', Qt::SkipEmptyParts), row.calls);
            const QByteArray pid = contents(program + ".pid");
            QCOMPARE(!pid.isNull(), hangs);
            if (hangs)
                QVERIFY2(::kill(pid.trimmed().toInt(), 0) != 0 && errno == ESRCH, "the hanging tool still runs");
        }
    }

    // The model lists on refresh, signalling its count only when it changes, and renames rows
    // when the language changes without listing again. The removal edges a click cannot reach
    // (cancel, confirm and a second press are driven through the screen in tst_settings_ui).
    void modelAndRemovalEdges()
    {
        fixture::TempDir dir;
        QVERIFY(writeBytes(dir.path() + "/agents/com.example.keystone.agent.plist", "<plist/>"));
        QVERIFY(writeBytes(dir.path() + "/autostart/sync.desktop", "[Desktop Entry]\nName=Sync\nName[es]=Sincronizar\n"));
        QVERIFY(writeBytes(dir.path() + "/autostart/apple.desktop", "[Desktop Entry]\nName=apple\n"));
        QVERIFY(writeBytes(dir.path() + "/autostart/notes.desktop", "[Desktop Entry]\nName=Notes\nName[es]=Apuntes\n"));
        int calls = 0;
        const StartupItemServices services{[&](const StartupItem&) { ++calls; },
                                           [&](const FilePath& p) { return (++calls, ::unlink(p.constData()) == 0); },
                                           [&](const FilePath&) { ++calls; }};
        auto* model = new StartupItemsModel({dir.path() + "/agents", dir.path() + "/autostart", {}}, services);
        SettingsController settings(new LaunchAtLogin(dir.path() + "/config/orvane.desktop", "/usr/bin/orvane"), model);
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy countSpy(model, &StartupItemsModel::countChanged);
        QCOMPARE(model->rowCount(), 0); // nothing read before refresh
        settings.refresh();
        settings.refresh();
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(countSpy.size(), 1);
        // Sorted by the shown name, case-insensitively, and again when the language changes.
        const auto names = [&] {
            QStringList shown;
            for (int row = 0; row < model->rowCount(); ++row)
                shown << model->data(model->index(row), int(StartupItemsModel::Role::displayName)).toString();
            return shown;
        };
        LocalizationManager::shared().setLanguage(AppLanguage::es);
        QCOMPARE(names(), (QStringList{"apple", "Apuntes", "Example Keystone", "Sincronizar"}));
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        QPersistentModelIndex notes = model->index(1);
        LocalizationManager::shared().setLanguage(AppLanguage::en);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(names(), (QStringList{"apple", "Example Keystone", "Notes", "Sync"}));
        QCOMPARE(notes.row(), 2);
        QCOMPARE(model->displayName(model->itemAt(3)), QStringLiteral("Sync"));

        settings.requestRemoval(7); // no such row
        QVERIFY(!settings.showRemoveConfirm());
        settings.revealStartupItem(7);
        QCOMPARE(calls, 0);
        // A dialog that reports itself closed before its button's action still removes, once.
        settings.requestRemoval(1);
        QVERIFY(settings.showRemoveConfirm());
        QCOMPARE(settings.itemToRemoveName(), QStringLiteral("Example Keystone"));
        settings.setShowRemoveConfirm(false);
        QSignalSpy done(model, &StartupItemsModel::removalFinished);
        settings.confirmRemoval();
        settings.confirmRemoval();
        QVERIFY(done.wait());
        QCOMPARE(calls, 2);
        QCOMPARE(model->count(), 3);
        QCOMPARE(countSpy.size(), 2);
        QCOMPARE(settings.itemToRemoveName(), QStringLiteral("Example Keystone")); // no longer listed

        // The keep-list as Settings shows it (read on refresh, each path once); taking one back
        // leaves the others, in the stored list too.
        for (const FilePath& path : keptPaths())
            QVERIFY(unkeepPath(path));
        QVERIFY(keepPath("/home/u/.cache/obexd") && keepPath("/home/u/V\xc3\xad deos") && keepPath("/home/u/.cache/obexd"));
        QSignalSpy keptSpy(&settings, &SettingsController::keptItemsChanged);
        settings.refresh();
        QCOMPARE(settings.keptItems(), (QStringList{"/home/u/.cache/obexd", QString::fromUtf8("/home/u/V\xc3\xad deos")}));
        settings.takeBack(5);
        settings.takeBack(0);
        QCOMPARE(keptPaths(), FilePaths{"/home/u/V\xc3\xad deos"});
        QCOMPARE(settings.keptItems(), QStringList{QString::fromUtf8("/home/u/V\xc3\xad deos")});
        QCOMPARE(keptSpy.size(), 2);
        settings.takeBack(0);
        QVERIFY(keptPaths().isEmpty());

        // What each kind of item asks of the outside world, in order (a launch agent that is
        // trashed: tst_settings_ui). `systemctl disable` deletes the unit's link itself: the Trash
        // takes it first, so it can be restored, and a link that cannot be trashed stays enabled.
        const struct {
            StartupKind kind;
            bool trashWorks;
            QStringList calls;
        } rows[] = {
            {StartupKind::launchAgent, false, {"unload", "trash"}}, // unloaded while its file is there
            {StartupKind::autostartEntry, true, {"trash"}},
            {StartupKind::systemdUnit, true, {"trash", "unload"}},
            {StartupKind::systemdUnit, false, {"trash"}},
        };
        for (const auto& row : rows) {
            QStringList seen;
            const auto unload = [&](const StartupItem&) { seen << "unload"; };
            const auto trash = [&](const FilePath&) { return (seen << "trash", row.trashWorks); };
            removeStartupItem({FilePath("/home/u/item"), row.kind, {}}, {unload, trash, {}});
            QCOMPARE(seen, row.calls);
        }
    }

    // The production services against the test's own home, on a worker thread: the autostart
    // entry and the unit's link go to the desktop Trash; systemctl is a fake put first on PATH.
    void systemServicesOnThisDesktop()
    {
        const StartupFolders folders = startupFolders();
        const QByteArray home = homeDir(), trash = qgetenv("XDG_DATA_HOME") + "/Trash";
        QVERIFY(folders.autostart.startsWith(home + '/') && folders.systemdUser.startsWith(home + '/'));
        QVERIFY(trash.startsWith(home + '/') && trash.contains("test-homes"));
        for (const FilePath& earlier : {trash, folders.autostart, folders.systemdUser}) // what earlier runs left
            fixture::removeTree(earlier);
        QVERIFY(writeBytes(folders.autostart + "/sys.desktop", "[Desktop Entry]\nName=Sys\n"));
        QVERIFY(writeBytes(folders.systemdUser + "/indexer.service", "[Service]\nExecStart=/bin/true\n"));
        const QByteArray wants = folders.systemdUser + "/default.target.wants";
        QVERIFY(fixture::makeDirs(wants) && fixture::makeSymlink("../indexer.service", wants + "/indexer.service"));

        fixture::TempDir bin;
        QVERIFY(writeScript(bin.path() + "/systemctl", "printf '%s ' \"$@\" >> '" + bin.path() + "/log'\n"));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path() + ':' + path);
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
        QVERIFY(::readlink((trash + "/files/indexer.service").constData(), target, sizeof target - 1) > 0);
        QCOMPARE(QByteArray(target), QByteArray("../indexer.service")); // the link itself, restorable
        QCOMPARE(contents(bin.path() + "/log"), QByteArray("--user disable --now indexer.service "));
    }

    // Names with characters URLs reserve and bytes that are not UTF-8 survive the trip. With no bus
    // at all, revealing an item opens its folder straight away; a file manager on the bus is asked
    // to show exactly that item, and once it has gone the containing folder is opened instead.
    void fileUrlsAndReveal()
    {
        QCOMPARE(fileUrl("/home/u/My File#1%?.txt").toString(QUrl::FullyEncoded),
                 QString("file:///home/u/My%20File%231%25%3F.txt"));
        const QByteArray odd = "/home/u/bad\xff\xfe name";
        QCOMPARE(QByteArray::fromPercentEncoding(fileUrl(odd).path(QUrl::FullyEncoded).toLatin1()), odd);
        QCOMPARE(fileUrl("/home/u/Música").toLocalFile(), QString("/home/u/Música"));
        revealInFileManager("/home/u/Documents/report 2024.pdf", QDBusConnection(QStringLiteral("no-such-connection")));
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile("/home/u/Documents")});

        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("no dbus-daemon to run a private bus");
        QProcess bus; // killed when it goes out of scope
        bus.start(daemon, {"--session", "--nofork", "--nopidfile", "--print-address"});
        QVERIFY(bus.waitForStarted() && bus.waitForReadyRead(30000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        QDBusConnection client = QDBusConnection::connectToBus(address, "client");
        QDBusConnection service = QDBusConnection::connectToBus(address, "service");
        QVERIFY(client.isConnected() && service.isConnected());
        FakeFileManager manager;
        QVERIFY(service.registerObject("/org/freedesktop/FileManager1", &manager, QDBusConnection::ExportScriptableSlots));
        QVERIFY(service.registerService("org.freedesktop.FileManager1"));
        m_opened.clear();
        revealInFileManager("/home/u/Pictures/two words.png", client);
        QTRY_COMPARE(manager.calls.size(), 1);
        QCOMPARE(manager.calls.at(0), QStringList{"file:///home/u/Pictures/two%20words.png"});

        // The bus answers in order, so by the time the folder opens the first reveal has had its
        // answer too: it opened nothing itself.
        QVERIFY(service.unregisterService("org.freedesktop.FileManager1"));
        revealInFileManager("/home/u/Music/song.ogg", client);
        QTRY_COMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile("/home/u/Music")});
        QCOMPARE(manager.calls.size(), 1);
        QDBusConnection::disconnectFromBus("client");
        QDBusConnection::disconnectFromBus("service");
    }
};

QTEST_MAIN(TestStartupItems)
#include "tst_startup_items.moc"
