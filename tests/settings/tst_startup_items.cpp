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
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

// Records what removal does to the outside world, in order, and what the file looked like then.
struct Recorder {
    QStringList calls;
    QString trashDir;

    StartupItemServices services()
    {
        return {
            [this](const FilePath& p) {
                calls << QStringLiteral("unload %1 exists=%2").arg(displayPath(p)).arg(QFile::exists(displayPath(p)));
            },
            [this](const FilePath& p) {
                calls << QStringLiteral("trash %1").arg(displayPath(p));
                return QFile::rename(displayPath(p), trashDir + u'/' + displayPath(lastComponent(p)));
            },
            [this](const FilePath& p) { calls << QStringLiteral("reveal %1").arg(displayPath(p)); },
        };
    }
};

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

} // namespace

class TestStartupItems : public QObject
{
    Q_OBJECT

private slots:
    void displayName_data();
    void displayName();
    void listing();
    void listingMissingOrUnreadable();
    void modelRows();
    void removalThatCannotTrash();
    void launchctlChildProcess();
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
}

void TestStartupItems::displayName()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QCOMPARE(startupDisplayName(file), expected);
    // The path form reads only the last component.
    QCOMPARE(startupDisplayName(FilePath("/home/u/Library/LaunchAgents/" + file.toUtf8())), expected);
}

void TestStartupItems::listing()
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

    const FilePaths items = listStartupItems(enc(dir.path()));
    QCOMPARE(items.size(), 5);
    QVERIFY(items.contains(odd));
    QVERIFY(items.contains(enc(dir.filePath("a folder"))));
    for (const FilePath& p : items)
        QVERIFY(!lastComponent(p).startsWith('.'));

    // Listing again gives the same order.
    QCOMPARE(listStartupItems(enc(dir.path())), items);
    ::unlink(odd.constData()); // QTemporaryDir cannot remove a name that is not UTF-8
}

void TestStartupItems::listingMissingOrUnreadable()
{
    QTemporaryDir dir;
    QVERIFY(listStartupItems(enc(dir.filePath("missing"))).isEmpty());
    // A file where the folder should be.
    touch(dir.filePath("file"));
    QVERIFY(listStartupItems(enc(dir.filePath("file"))).isEmpty());

    const QString locked = dir.filePath("locked");
    QVERIFY(QDir().mkdir(locked));
    touch(locked + "/com.example.agent.plist");
    QVERIFY(::chmod(enc(locked).constData(), 0) == 0);
    {
        testsupport::FilePermissionsEnforced enforced;
        if (enforced.active())
            QVERIFY(listStartupItems(enc(locked)).isEmpty());
    }
    ::chmod(enc(locked).constData(), 0755);
}

void TestStartupItems::modelRows()
{
    QTemporaryDir dir;
    touch(dir.filePath("com.example.keystone.agent.plist"));
    StartupItemsModel model(enc(dir.path()), {});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy countSpy(&model, &StartupItemsModel::countChanged);

    QCOMPARE(model.rowCount(), 0); // nothing read before refresh
    model.refresh();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(countSpy.size(), 1);

    touch(dir.filePath("org.other.helper.plist"));
    model.refresh();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(countSpy.size(), 2);
    model.refresh(); // same listing: count unchanged, no signal
    QCOMPARE(countSpy.size(), 2);
}

// The order of removal (unloaded while the file is there, then trashed, then listed again) is
// driven through the screen in tst_settings_ui.
void TestStartupItems::removalThatCannotTrash()
{
    QTemporaryDir dir;
    const QString item = dir.filePath("com.example.stuck.plist");
    touch(item);
    QStringList calls;
    StartupItemServices services{[&](const FilePath&) { calls << "unload"; },
                                 [&](const FilePath&) { calls << "trash"; return false; },
                                 {}};
    StartupItemsModel model(enc(dir.path()), services);
    model.refresh();
    model.removeItem(enc(item));
    QCOMPARE(calls, QStringList({"unload", "trash"}));
    // Nothing is reported: the next listing simply still shows it.
    QCOMPARE(model.count(), 1);
    QVERIFY(QFile::exists(item));
}

void TestStartupItems::launchctlChildProcess()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("calls.log");
    // Slow on purpose: the log only exists if the caller waited for the exit.
    const QString fake = writeScript(dir.path(), "launchctl",
                                     "sleep 0.3\nprintf '%s\\n' \"$#\" \"$@\" > '" + enc(log) + "'\nexit 3\n");
    QVERIFY(!fake.isEmpty());
    // A path a shell would mangle: spaces, quotes, a dollar sign, a semicolon.
    const QString item = dir.filePath("it's a \"test\" $HOME; rm -rf x.plist");
    touch(item);
    unloadWithLaunchctl(enc(item), fake);
    QFile f(log);
    QVERIFY2(f.open(QIODevice::ReadOnly), "the unloader returned before the tool had finished");
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, QStringList({"2", "unload", item}));
    QVERIFY(QFile::exists(item));

    // A tool that does not exist is skipped at once.
    QElapsedTimer timer;
    timer.start();
    unloadWithLaunchctl(enc(item), dir.filePath("no-such-launchctl"));
    QVERIFY(timer.elapsed() < 5000);

    // One that never exits is stopped after the time limit.
    const QString hang = writeScript(dir.path(), "hang", "exec sleep 60\n");
    timer.restart();
    unloadWithLaunchctl(enc(item), hang, 300);
    QVERIFY2(timer.elapsed() < 10000, "a hanging tool froze the caller");
}

// Cancel, confirm and a second press are driven through the screen in tst_settings_ui; these
// are the edges a click cannot reach.
void TestStartupItems::removalAlertEdges()
{
    QTemporaryDir dir, trash, config;
    touch(dir.filePath("com.example.keystone.agent.plist"));
    Recorder rec;
    rec.trashDir = trash.path();
    auto* model = new StartupItemsModel(enc(dir.path()), rec.services());
    SettingsController settings(new LaunchAtLogin(enc(config.filePath("autostart/orvane.desktop")), "/usr/bin/orvane"), model);
    settings.refresh();
    settings.requestRemoval(7); // no such row
    QVERIFY(!settings.showRemoveConfirm());
    settings.revealStartupItem(7);
    QVERIFY(rec.calls.isEmpty());

    // A dialog that reports itself closed before its button's action still removes, once.
    settings.requestRemoval(0);
    QVERIFY(settings.showRemoveConfirm());
    settings.setShowRemoveConfirm(false);
    settings.confirmRemoval();
    settings.confirmRemoval();
    QCOMPARE(rec.calls.size(), 2);
    QCOMPARE(model->count(), 0);
}

void TestStartupItems::systemServicesOnThisDesktop()
{
    // The production services against the test's own home: /bin/launchctl does not exist
    // here, so the unload is skipped and the file goes to the desktop Trash.
    const QString folder = displayPath(startupFolder());
    QVERIFY(folder.startsWith(QDir::homePath()));
    QVERIFY(QDir().mkpath(folder));
    const QString item = folder + "/com.example.sys.agent.plist";
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + "/.local/share") + "/Trash";
    QVERIFY(trash.contains("test-homes"));
    QDir(trash).removeRecursively(); // what earlier runs left
    touch(item, "sys agent");
    StartupItemsModel model; // the real folder and services
    model.refresh();
    QVERIFY(model.items().contains(enc(item)));
    model.removeItem(enc(item));
    QVERIFY(!QFile::exists(item));
    QVERIFY(!model.items().contains(enc(item)));
    // In the Trash, so it can be restored (the restore record is checked in tst_settings_ui).
    QFile trashed(trash + "/files/com.example.sys.agent.plist");
    QVERIFY(trashed.open(QIODevice::ReadOnly));
    QCOMPARE(trashed.readAll(), QByteArray("sys agent"));
}

QTEST_MAIN(TestStartupItems)
#include "tst_startup_items.moc"
