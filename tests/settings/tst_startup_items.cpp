#include "paths.h"
#include "privileges.h"
#include "settings_controller.h"
#include "startup_items.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
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

QStringList names(const FilePaths& items)
{
    QStringList out;
    for (const FilePath& p : items)
        out << displayPath(lastComponent(p));
    out.sort();
    return out;
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
    void removalOrder();
    void removalOfVanishedItem();
    void removalThatCannotTrash();
    void launchctlChildProcess();
    void removalAlert();
    void systemServicesOnThisDesktop();
    void boundFromQml();
};

void TestStartupItems::displayName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    // The reference examples.
    QTest::newRow("keystone agent") << "com.example.keystone.agent.plist" << "Example Keystone";
    QTest::newRow("prefix repeated") << "com.example.ExampleUpdater.wake.plist" << "Example Updater";
    QTest::newRow("trailing app") << "org.example.app.plist" << "Example";
    QTest::newRow("only a leading word") << "com.plist" << "com.plist";
    QTest::newRow("single word") << "myagent.plist" << "Myagent";
    // Edge cases.
    QTest::newRow("no extension") << "com.example.tool" << "Example";
    QTest::newRow("app alone") << "app.plist" << "app.plist";
    QTest::newRow("leading removed once, last word kept") << "com.app.plist" << "App";
    QTest::newRow("trailing case-insensitive") << "com.vendor.Tool.Daemon.plist" << "Vendor Tool";
    QTest::newRow("several trailing words") << "net.acme.sync.helper.login.agent.plist" << "Acme Sync";
    QTest::newRow("leading word only once") << "com.org.thing.plist" << "Org Thing";
    QTest::newRow("empty words dropped") << "com..example...keystone.plist" << "Example Keystone";
    QTest::newRow("spaces kept") << "My Startup Thing.plist" << "My Startup Thing";
    QTest::newRow("no dot at all") << "launcher" << "Launcher";
    QTest::newRow("trailing word alone survives") << "agent.plist" << "Agent";
    QTest::newRow("leading compare ignores case") << "COM.Example.plist" << "Example";
    QTest::newRow("rest of word unchanged") << "io.github.someTool.plist" << "Github SomeTool";
    QTest::newRow("only first two words compared") << "com.ab.cd.abcd.plist" << "Ab Cd Abcd";
    QTest::newRow("equal words not shortened") << "com.example.Example.plist" << "Example Example";
    QTest::newRow("prefix case-insensitive") << "com.acme.ACMEsync.plist" << "Acme Sync";
    QTest::newRow("prefix rest capitalised") << "com.zoom.zoomupdater.plist" << "Zoom Updater";
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
    QCOMPARE(startupFolder(), joinPath(homeDir(), QByteArray("Library/LaunchAgents")));

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
    QStringList got = names(items);
    QVERIFY(got.contains("com.example.agent.plist"));
    QVERIFY(got.contains("notes.txt"));
    QVERIFY(got.contains("no-extension"));
    QVERIFY(got.contains("a folder"));
    for (const FilePath& p : items) {
        QVERIFY(p.startsWith(enc(dir.path()) + '/'));
        QVERIFY(!lastComponent(p).startsWith('.'));
    }
    QVERIFY(items.contains(odd));

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

    StartupItemsModel model(enc(dir.filePath("missing")), {});
    model.refresh();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.count(), 0);
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

    const QHash<int, QByteArray> roles = model.roleNames();
    QCOMPARE(roles.value(int(StartupItemsModel::Role::displayName)), QByteArray("displayName"));
    QCOMPARE(roles.value(int(StartupItemsModel::Role::fileName)), QByteArray("fileName"));
    QCOMPARE(roles.value(int(StartupItemsModel::Role::path)), QByteArray("path"));

    const QModelIndex row = model.index(0);
    QCOMPARE(model.data(row, int(StartupItemsModel::Role::displayName)).toString(), QString("Example Keystone"));
    QCOMPARE(model.data(row, int(StartupItemsModel::Role::fileName)).toString(),
             QString("com.example.keystone.agent.plist"));
    QCOMPARE(model.data(row, int(StartupItemsModel::Role::path)).toString(),
             dir.filePath("com.example.keystone.agent.plist"));

    touch(dir.filePath("org.other.helper.plist"));
    model.refresh();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(countSpy.size(), 2);
    model.refresh(); // same listing: count unchanged, no signal
    QCOMPARE(countSpy.size(), 2);
}

void TestStartupItems::removalOrder()
{
    QTemporaryDir dir, trash;
    const QString item = dir.filePath("com.example.keystone.agent.plist");
    touch(item);
    touch(dir.filePath("org.keep.agent.plist"));
    Recorder rec;
    rec.trashDir = trash.path();
    StartupItemsModel model(enc(dir.path()), rec.services());
    model.refresh();
    QCOMPARE(model.count(), 2);
    QSignalSpy resetSpy(&model, &QAbstractItemModel::modelReset);

    model.removeItem(enc(item));

    // Unloaded while the file is still there, then trashed, then listed again.
    QCOMPARE(rec.calls, QStringList({QStringLiteral("unload %1 exists=1").arg(item), QStringLiteral("trash %1").arg(item)}));
    QCOMPARE(resetSpy.size(), 1);
    QCOMPARE(model.count(), 1);
    QCOMPARE(names(model.items()), QStringList{"org.keep.agent.plist"});
    QVERIFY(QFile::exists(trash.filePath("com.example.keystone.agent.plist")));
}

void TestStartupItems::removalOfVanishedItem()
{
    QTemporaryDir dir, trash;
    const QString item = dir.filePath("com.example.gone.plist");
    touch(item);
    Recorder rec;
    rec.trashDir = trash.path();
    StartupItemsModel model(enc(dir.path()), rec.services());
    model.refresh();
    QCOMPARE(model.count(), 1);
    QVERIFY(QFile::remove(item)); // deleted by other means while shown

    model.removeItem(enc(item));
    QCOMPARE(rec.calls, QStringList({QStringLiteral("unload %1 exists=0").arg(item), QStringLiteral("trash %1").arg(item)}));
    QCOMPARE(model.count(), 0);
}

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

void TestStartupItems::removalAlert()
{
    QTemporaryDir dir, trash, config;
    const QString a = dir.filePath("com.example.keystone.agent.plist");
    touch(a);
    Recorder rec;
    rec.trashDir = trash.path();
    auto* model = new StartupItemsModel(enc(dir.path()), rec.services());
    auto* login = new LaunchAtLogin(enc(config.filePath("autostart/orvane.desktop")), "/usr/bin/orvane");
    SettingsController settings(login, model);
    QSignalSpy alertSpy(&settings, &SettingsController::showRemoveConfirmChanged);
    QSignalSpy itemSpy(&settings, &SettingsController::itemToRemoveChanged);

    settings.refresh();
    QCOMPARE(model->count(), 1);
    QVERIFY(!settings.showRemoveConfirm());
    QCOMPARE(settings.version(), QString("1.0"));

    settings.requestRemoval(7); // no such row
    QVERIFY(!settings.showRemoveConfirm());

    settings.requestRemoval(0);
    QVERIFY(settings.showRemoveConfirm());
    QCOMPARE(settings.itemToRemove(), a);
    QCOMPARE(settings.itemToRemoveName(), QString("Example Keystone"));
    QCOMPARE(itemSpy.size(), 1);

    // Cancel: nothing happens to the file, the list or the launcher.
    settings.cancelRemoval();
    QVERIFY(!settings.showRemoveConfirm());
    QVERIFY(rec.calls.isEmpty());
    QVERIFY(QFile::exists(a));
    QCOMPARE(model->count(), 1);
    QCOMPARE(settings.itemToRemove(), a); // kept until the next request

    // Confirm: removed, alert closed, list read again.
    settings.requestRemoval(0);
    settings.confirmRemoval();
    QVERIFY(!settings.showRemoveConfirm());
    QCOMPARE(rec.calls.size(), 2);
    QVERIFY(rec.calls.at(0).startsWith("unload"));
    QCOMPARE(model->count(), 0);
    QCOMPARE(alertSpy.size(), 4);

    // A second confirm on an alert that is already closed removes nothing more.
    settings.confirmRemoval();
    QCOMPARE(rec.calls.size(), 2);

    // A dialog that reports itself closed before its button's action still removes, once.
    touch(dir.filePath("org.second.agent.plist"));
    settings.refresh();
    settings.requestRemoval(0);
    settings.setShowRemoveConfirm(false);
    settings.confirmRemoval();
    settings.confirmRemoval();
    QCOMPARE(rec.calls.size(), 4);
    QCOMPARE(model->count(), 0);

    settings.revealStartupItem(0); // no rows left: nothing to reveal
    touch(dir.filePath("org.x.y.plist"));
    settings.refresh();
    settings.revealStartupItem(0);
    QCOMPARE(rec.calls.last(), QStringLiteral("reveal %1").arg(dir.filePath("org.x.y.plist")));
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

    // In the Trash with a record of where it came from, so it can be restored.
    QString trashedName;
    for (const QString& info : QDir(trash + "/info").entryList({"*.trashinfo"}, QDir::Files)) {
        QFile f(trash + "/info/" + info);
        QVERIFY(f.open(QIODevice::ReadOnly));
        if (f.readAll().contains("Path=" + QUrl::toPercentEncoding(item, "/"))) {
            trashedName = info.chopped(int(strlen(".trashinfo")));
            f.remove();
        }
    }
    QVERIFY2(!trashedName.isEmpty(), "no trash record for the removed item");
    QFile trashed(trash + "/files/" + trashedName);
    QVERIFY(trashed.open(QIODevice::ReadOnly));
    QCOMPARE(trashed.readAll(), QByteArray("sys agent"));
    trashed.remove();
}

void TestStartupItems::boundFromQml()
{
    // The settings screen's QML drives the toggle, the rows and the alert through these.
    QTemporaryDir dir, trash, config;
    touch(dir.filePath("com.example.keystone.agent.plist"));
    Recorder rec;
    rec.trashDir = trash.path();
    SettingsController settings(new LaunchAtLogin(enc(config.filePath("autostart/orvane.desktop")), "/usr/bin/orvane"),
                                new StartupItemsModel(enc(dir.path()), rec.services()));
    QQmlEngine engine;
    engine.rootContext()->setContextProperty("settings", &settings);
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        Item {
            property bool atLogin: settings.launchAtLogin.enabled
            property int count: settings.startupItems.count
            property bool alert: settings.showRemoveConfirm
            property string asking: settings.itemToRemoveName
            property string version: settings.version
            Repeater {
                id: rows
                model: settings.startupItems
                delegate: Item { property string label: displayName + "|" + fileName }
            }
            Component.onCompleted: settings.refresh()
            function row(i) { return rows.itemAt(i) ? rows.itemAt(i).label : "" }
            function toggle(on) { settings.setLaunchAtLogin(on) }
            function ask(i) { settings.requestRemoval(i) }
            function dismiss() { settings.showRemoveConfirm = false }
            function remove() { settings.confirmRemoval() }
        })", QUrl("qrc:/SettingsProbe.qml"));
    std::unique_ptr<QObject> root(component.create());
    QVERIFY2(root, qPrintable(component.errorString()));
    QCOMPARE(root->property("count").toInt(), 1);
    QCOMPARE(root->property("version").toString(), QString("1.0"));
    QVariant label;
    QMetaObject::invokeMethod(root.get(), "row", Q_RETURN_ARG(QVariant, label), Q_ARG(QVariant, 0));
    QCOMPARE(label.toString(), QString("Example Keystone|com.example.keystone.agent.plist"));

    QMetaObject::invokeMethod(root.get(), "toggle", Q_ARG(QVariant, true));
    QCOMPARE(root->property("atLogin").toBool(), true);
    QVERIFY(QFile::exists(config.filePath("autostart/orvane.desktop")));

    QMetaObject::invokeMethod(root.get(), "ask", Q_ARG(QVariant, 0));
    QCOMPARE(root->property("alert").toBool(), true);
    QCOMPARE(root->property("asking").toString(), QString("Example Keystone"));
    QMetaObject::invokeMethod(root.get(), "dismiss");
    QCOMPARE(root->property("alert").toBool(), false);
    QVERIFY(rec.calls.isEmpty());
    QMetaObject::invokeMethod(root.get(), "ask", Q_ARG(QVariant, 0));
    QMetaObject::invokeMethod(root.get(), "remove");
    QCOMPARE(root->property("count").toInt(), 0);
    QCOMPARE(rec.calls.size(), 2);
}

QTEST_MAIN(TestStartupItems)
#include "tst_startup_items.moc"
