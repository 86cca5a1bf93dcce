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

#include <fcntl.h>
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
// escapes), "%%" becomes "%" and any other field code is dropped, as a launcher does, and GLib
// splits the command line with its quoting rules.
QStringList launchedArguments(const QByteArray& entry)
{
    QStringList out;
    GKeyFile* file = g_key_file_new();
    if (g_key_file_load_from_data(file, entry.constData(), gsize(entry.size()), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr)) {
            QByteArray line;
            for (const char* c = exec; *c; ++c) {
                if (*c != '%')
                    line += *c;
                else if (c[1] && *++c == '%')
                    line += '%';
            }
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

} // namespace

class TestLaunchAtLogin : public QObject
{
    Q_OBJECT

private slots:
    void entryLocation()
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/tmp/somewhere/config");
        QCOMPARE(autostartEntryPath(), QByteArray("/tmp/somewhere/config/autostart/orvane.desktop"));
        // Relative or empty values are ignored in favour of ~/.config.
        qputenv("XDG_CONFIG_HOME", "relative/config");
        QCOMPARE(autostartEntryPath(), homeDir() + "/.config/autostart/orvane.desktop");
        qputenv("XDG_CONFIG_HOME", saved);
    }

    // Programs in hostile places: the session starts exactly that program, with no arguments, and
    // the entry passes desktop-file-validate where it is installed.
    void execQuoting()
    {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        QTemporaryDir dir;
        const QStringList programs{"/usr/bin/orvane", "/opt/My Apps/orvane", "/opt/a\"b/orvane", "/opt/$HOME/orvane",
                                   "/opt/a\\b/orvane", "/opt/a`b/orvane", "/opt/100%/orvane", "/home/o'neil/orvane",
                                   "/opt/a;b|c&d>e<f*g?h#i(j)k~/orvane", "/opt/a\tb\nc/orvane", "/opt/Aplicación/orvane",
                                   "/opt/My \"odd\" $dir\\100%/orvane"};
        for (const QString& program : programs) {
            const QByteArray entry = autostartEntryContents(program);
            QCOMPARE(launchedArguments(entry), QStringList{program});
            if (validator.isEmpty())
                continue;
            write(dir.filePath("orvane.desktop"), entry);
            QProcess p;
            p.start(validator, {dir.filePath("orvane.desktop")});
            QVERIFY(p.waitForFinished(30000));
            const QByteArray out = p.readAllStandardOutput() + p.readAllStandardError();
            QVERIFY2(p.exitCode() == 0 && out.trimmed().isEmpty(), out.constData());
        }
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed; the Exec lines were checked with GLib only");
    }

    // Registered where no folder is there yet, written whole, left alone when already right, written
    // anew for a moved program, removed. The toggle on screen: tst_settings_ui.
    void registerAndUnregister()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("config/autostart/orvane.desktop");
        const FilePath entry = enc(path);
        QVERIFY(!autostartEnabled(entry));
        QVERIFY(unregisterAutostart(entry)); // nothing to remove is fine
        QVERIFY(!registerAutostart(entry, QString())); // no program to start
        QVERIFY(!QFile::exists(path));

        QVERIFY(registerAutostart(entry, "/opt/orvane/bin/orvane"));
        QVERIFY(autostartEnabled(entry));
        QCOMPARE(readAll(path), autostartEntryContents("/opt/orvane/bin/orvane"));
        QCOMPARE(QDir(dir.filePath("config/autostart")).entryList(QDir::Files | QDir::Hidden), QStringList{"orvane.desktop"});

        // Enabling twice keeps the very same file: same inode, its old time stamp untouched.
        const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        QVERIFY(::utimensat(AT_FDCWD, entry.constData(), old, 0) == 0);
        struct stat before {}, after {};
        QVERIFY(::stat(entry.constData(), &before) == 0);
        QVERIFY(registerAutostart(entry, "/opt/orvane/bin/orvane"));
        QVERIFY(::stat(entry.constData(), &after) == 0);
        QVERIFY(after.st_ino == before.st_ino && after.st_mtim.tv_sec == 1000000000);

        QVERIFY(registerAutostart(entry, "/usr/local/bin/orvane")); // a moved program is registered anew
        QCOMPARE(readAll(path), autostartEntryContents("/usr/local/bin/orvane"));
        QVERIFY(unregisterAutostart(entry));
        QVERIFY(!QFile::exists(path) && !autostartEnabled(entry));
    }

    // Entries switched off by hand (or by a session's settings) read as off; registering turns them on.
    void switchedOffEntries()
    {
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
        QTemporaryDir dir;
        const QString path = dir.filePath("autostart/orvane.desktop");
        for (const auto& row : rows) {
            write(path, row.contents);
            QVERIFY2(autostartEnabled(enc(path)) == row.enabled, row.contents.constData());
            QVERIFY(registerAutostart(enc(path), "/usr/bin/orvane"));
            QVERIFY(autostartEnabled(enc(path)));
        }
    }

    void refusedLocations()
    {
        // A file where the folder belongs, a folder where the entry belongs: refused whoever asks.
        QTemporaryDir dir;
        write(dir.filePath("a/autostart"), "not a folder");
        QVERIFY(QDir().mkpath(dir.filePath("b/autostart/orvane.desktop")));
        for (const char* where : {"a", "b"}) {
            const FilePath entry = enc(dir.filePath(where + QStringLiteral("/autostart/orvane.desktop")));
            QVERIFY(!registerAutostart(entry, "/usr/bin/orvane"));
            QVERIFY(!autostartEnabled(entry));
        }

        // A folder the user may not write to: the toggle shows what is, not what was asked, and
        // says so even when nothing changed, so a switch flipped in vain flips back.
        testsupport::FilePermissionsEnforced enforced;
        if (!enforced.active())
            QSKIP("file permissions cannot be made to apply to this process");
        const QString folder = dir.filePath("autostart");
        const FilePath entry = enc(folder + "/orvane.desktop");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chmod(enc(folder).constData(), 0555) == 0);
        QVERIFY(!registerAutostart(entry, "/usr/bin/orvane"));
        QVERIFY(!autostartEnabled(entry));
        QVERIFY(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
        LaunchAtLogin toggle(entry, "/usr/bin/orvane");
        QSignalSpy changed(&toggle, &LaunchAtLogin::enabledChanged);
        toggle.setEnabled(true);
        QVERIFY(!toggle.enabled());
        QCOMPARE(changed.size(), 1);

        // Registered earlier, folder read-only now: cannot be removed, and still shows as on.
        QVERIFY(::chmod(enc(folder).constData(), 0755) == 0);
        QVERIFY(registerAutostart(entry, "/usr/bin/orvane"));
        QVERIFY(::chmod(enc(folder).constData(), 0555) == 0);
        QVERIFY(!unregisterAutostart(entry));
        toggle.setEnabled(false);
        QVERIFY(toggle.enabled() && autostartEnabled(entry));

        // An entry the session cannot read does not start anything: off.
        QVERIFY(::chmod(entry.constData(), 0) == 0);
        QVERIFY(!autostartEnabled(entry));
        ::chmod(enc(folder).constData(), 0755);
    }
};

QTEST_GUILESS_MAIN(TestLaunchAtLogin)
#include "tst_launch_at_login.moc"
