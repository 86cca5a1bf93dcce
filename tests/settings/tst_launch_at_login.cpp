#include "launch_at_login.h"
#include "paths.h"
#include "privileges.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <glib.h>
#include <sys/stat.h>

using namespace orvane;

namespace {

QByteArray enc(const QString& s)
{
    return QFile::encodeName(s);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(contents);
}

// What a desktop session makes of the entry's Exec line: GLib reads the key file (string
// escapes), turns "%%" into "%", and splits the command line with its quoting rules.
QStringList launchedArguments(const QByteArray& entry)
{
    QStringList out;
    GKeyFile* file = g_key_file_new();
    if (g_key_file_load_from_data(file, entry.constData(), gsize(entry.size()), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr)) {
            const QByteArray line = QByteArray(exec).replace("%%", "%");
            gint argc = 0;
            gchar** argv = nullptr;
            if (g_shell_parse_argv(line.constData(), &argc, &argv, nullptr)) {
                for (int i = 0; i < argc; ++i)
                    out << QString::fromUtf8(argv[i]);
                g_strfreev(argv);
            }
            g_free(exec);
        }
    }
    g_key_file_free(file);
    return out;
}

struct FileId {
    ino_t inode = 0;
    timespec mtime{};
    bool operator==(const FileId& o) const
    {
        return inode == o.inode && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FileId fileId(const QString& path)
{
    struct stat st {};
    if (::stat(enc(path).constData(), &st) != 0)
        return {};
    return {st.st_ino, st.st_mtim};
}

} // namespace

class TestLaunchAtLogin : public QObject
{
    Q_OBJECT

private slots:
    void entryLocation();
    void execQuoting_data();
    void execQuoting();
    void entryPassesValidator();
    void registerAndUnregister();
    void switchedOffEntries_data();
    void switchedOffEntries();
    void readOnlyAutostartFolder();
    void blockedLocations();
    void toggleShowsPlatformState();
};

void TestLaunchAtLogin::entryLocation()
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/somewhere/config");
    QCOMPARE(autostartEntryPath(), QByteArray("/tmp/somewhere/config/autostart/orvane.desktop"));
    // Relative or empty values are ignored in favour of ~/.config.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    QCOMPARE(autostartEntryPath(), homeDir() + "/.config/autostart/orvane.desktop");
    qputenv("XDG_CONFIG_HOME", saved);
}

void TestLaunchAtLogin::execQuoting_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("execValue"); // as it stands in the file
    QTest::newRow("plain") << "/usr/bin/orvane" << "/usr/bin/orvane";
    QTest::newRow("space") << "/opt/My Apps/orvane" << "\"/opt/My Apps/orvane\"";
    QTest::newRow("double quote") << "/opt/a\"b/orvane" << "\"/opt/a\\\\\"b/orvane\"";
    QTest::newRow("dollar") << "/opt/$HOME/orvane" << "\"/opt/\\\\$HOME/orvane\"";
    QTest::newRow("backslash") << "/opt/a\\b/orvane" << "\"/opt/a\\\\\\\\b/orvane\"";
    QTest::newRow("backtick") << "/opt/a`b/orvane" << "\"/opt/a\\\\`b/orvane\"";
    QTest::newRow("percent") << "/opt/100%/orvane" << "/opt/100%%/orvane";
    QTest::newRow("single quote") << "/home/o'neil/orvane" << "\"/home/o'neil/orvane\"";
    QTest::newRow("shell characters") << "/opt/a;b|c&d>e<f*g?h#i(j)k~/orvane"
                                      << "\"/opt/a;b|c&d>e<f*g?h#i(j)k~/orvane\"";
    QTest::newRow("tab and newline") << "/opt/a\tb\nc/orvane" << "\"/opt/a\\tb\\nc/orvane\"";
    QTest::newRow("non-ascii") << "/opt/Aplicación/orvane" << "/opt/Aplicación/orvane";
}

void TestLaunchAtLogin::execQuoting()
{
    QFETCH(QString, executable);
    QFETCH(QString, execValue);
    QCOMPARE(desktopExecArgument(executable), execValue);
    const QByteArray entry = autostartEntryContents(executable);
    QVERIFY(entry.contains("\nExec=" + execValue.toUtf8() + "\n"));
    // And the session starts exactly that program, with no arguments.
    QCOMPARE(launchedArguments(entry), QStringList{executable});
}

void TestLaunchAtLogin::entryPassesValidator()
{
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed");
    QTemporaryDir dir;
    for (const QString& exe : {QStringLiteral("/usr/bin/orvane"), QStringLiteral("/opt/My \"odd\" $dir\\100%/orvane")}) {
        const QString path = dir.filePath("orvane.desktop");
        write(path, autostartEntryContents(exe));
        QProcess p;
        p.start(validator, {path});
        QVERIFY(p.waitForFinished(30000));
        const QByteArray out = p.readAllStandardOutput() + p.readAllStandardError();
        QVERIFY2(p.exitCode() == 0 && out.trimmed().isEmpty(), out.constData());
    }
}

void TestLaunchAtLogin::registerAndUnregister()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config/autostart/orvane.desktop"); // folders not there yet
    const FilePath entry = enc(path);
    QVERIFY(!autostartEnabled(entry));
    QVERIFY(unregisterAutostart(entry)); // nothing to remove is fine

    QVERIFY(registerAutostart(entry, "/opt/orvane/bin/orvane"));
    QVERIFY(autostartEnabled(entry));
    QCOMPARE(readAll(path), autostartEntryContents("/opt/orvane/bin/orvane"));
    QVERIFY(!QFile::exists(path + ".tmp"));
    QCOMPARE(QDir(dir.filePath("config/autostart")).entryList(QDir::Files | QDir::Hidden), QStringList{"orvane.desktop"});

    // Enabling twice changes nothing: the very same file stays.
    const FileId before = fileId(path);
    QTest::qWait(20);
    QVERIFY(registerAutostart(entry, "/opt/orvane/bin/orvane"));
    QVERIFY(fileId(path) == before);

    // A moved program is registered anew.
    QVERIFY(registerAutostart(entry, "/usr/local/bin/orvane"));
    QVERIFY(readAll(path).contains("Exec=/usr/local/bin/orvane\n"));

    QVERIFY(unregisterAutostart(entry));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!autostartEnabled(entry));
    QVERIFY(!registerAutostart(entry, QString())); // no program to start
    QVERIFY(!QFile::exists(path));
}

void TestLaunchAtLogin::switchedOffEntries_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("plain") << QByteArray("[Desktop Entry]\nType=Application\nExec=orvane\n") << true;
    QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nHidden=true\nExec=orvane\n") << false;
    QTest::newRow("hidden false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
    QTest::newRow("hidden spaced") << QByteArray("[Desktop Entry]\nHidden = true\n") << false;
    QTest::newRow("gnome off") << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
    QTest::newRow("hidden in another group") << QByteArray("[Desktop Entry]\nExec=o\n[Desktop Action x]\nHidden=true\n")
                                             << true;
    QTest::newRow("commented out") << QByteArray("[Desktop Entry]\n# Hidden=true\n") << true;
    QTest::newRow("empty file") << QByteArray() << true;
}

void TestLaunchAtLogin::switchedOffEntries()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, enabled);
    QTemporaryDir dir;
    const QString path = dir.filePath("autostart/orvane.desktop");
    write(path, contents);
    QCOMPARE(autostartEnabled(enc(path)), enabled);
    // Registering turns a switched-off entry back on.
    QVERIFY(registerAutostart(enc(path), "/usr/bin/orvane"));
    QVERIFY(autostartEnabled(enc(path)));
}

void TestLaunchAtLogin::readOnlyAutostartFolder()
{
    testsupport::FilePermissionsEnforced enforced;
    if (!enforced.active())
        QSKIP("file permissions cannot be made to apply to this process");
    QTemporaryDir dir;
    const QString folder = dir.filePath("autostart");
    const QString path = folder + "/orvane.desktop";
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(::chmod(enc(folder).constData(), 0555) == 0);

    QVERIFY(!registerAutostart(enc(path), "/usr/bin/orvane"));
    QVERIFY(!autostartEnabled(enc(path)));
    QVERIFY(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    LaunchAtLogin toggle(enc(path), "/usr/bin/orvane");
    QSignalSpy spy(&toggle, &LaunchAtLogin::enabledChanged);
    toggle.setEnabled(true);
    QVERIFY(!toggle.enabled()); // shows what is, not what was asked
    QCOMPARE(spy.size(), 1);

    // Registered earlier, folder read-only now: cannot be removed, and still shows as on.
    QVERIFY(::chmod(enc(folder).constData(), 0755) == 0);
    QVERIFY(registerAutostart(enc(path), "/usr/bin/orvane"));
    QVERIFY(::chmod(enc(folder).constData(), 0555) == 0);
    QVERIFY(!unregisterAutostart(enc(path)));
    toggle.setEnabled(false);
    QVERIFY(toggle.enabled());
    QVERIFY(autostartEnabled(enc(path)));

    // An entry the session cannot read does not start anything: off.
    QVERIFY(::chmod(enc(path).constData(), 0) == 0);
    QVERIFY(!autostartEnabled(enc(path)));
    ::chmod(enc(folder).constData(), 0755);
}

void TestLaunchAtLogin::blockedLocations()
{
    // These fail whatever the process may do: a file where the folder belongs, a folder
    // where the entry belongs.
    QTemporaryDir dir;
    write(dir.filePath("config/autostart"), "not a folder");
    const FilePath underFile = enc(dir.filePath("config/autostart/orvane.desktop"));
    QVERIFY(!registerAutostart(underFile, "/usr/bin/orvane"));
    QVERIFY(!autostartEnabled(underFile));

    QVERIFY(QDir().mkpath(dir.filePath("other/autostart/orvane.desktop")));
    const FilePath isFolder = enc(dir.filePath("other/autostart/orvane.desktop"));
    QVERIFY(!autostartEnabled(isFolder));
    QVERIFY(!registerAutostart(isFolder, "/usr/bin/orvane"));
    QVERIFY(!autostartEnabled(isFolder));
}

void TestLaunchAtLogin::toggleShowsPlatformState()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("autostart/orvane.desktop");
    write(path, autostartEntryContents("/usr/bin/orvane"));
    LaunchAtLogin toggle(enc(path), "/usr/bin/orvane");
    QVERIFY(toggle.enabled()); // read at creation
    QSignalSpy spy(&toggle, &LaunchAtLogin::enabledChanged);

    toggle.setEnabled(true); // already on: stays on, and says so
    QVERIFY(toggle.enabled());
    QCOMPARE(spy.size(), 1);
    toggle.setEnabled(false);
    QVERIFY(!toggle.enabled());
    QVERIFY(!QFile::exists(path));
    toggle.setEnabled(false); // already off: stays off
    QVERIFY(!toggle.enabled());
    QCOMPARE(spy.size(), 3);
    // Changed behind its back: tst_settings_ui checks that a refresh shows it.
}

QTEST_GUILESS_MAIN(TestLaunchAtLogin)
#include "tst_launch_at_login.moc"
