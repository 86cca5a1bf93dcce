#include "desktop_services.h"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace orvane;

namespace {

// Stands in for the file manager's "open folder".
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void handle(const QUrl& url) { urls << url; }
};

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

} // namespace

class TestDesktopServices : public QObject
{
    Q_OBJECT

    UrlRecorder m_recorder;
    QProcess m_bus;

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler("file", &m_recorder, "handle");
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("file");
        if (m_bus.state() != QProcess::NotRunning) {
            m_bus.terminate();
            m_bus.waitForFinished(5000);
        }
    }

    // Names with characters URLs reserve and bytes that are not UTF-8 survive the trip. With no
    // bus at all, revealing an item opens its folder straight away.
    void fileUrlsAndRevealWithoutBus()
    {
        QCOMPARE(fileUrl("/home/u/My File#1%?.txt").toString(QUrl::FullyEncoded),
                 QString("file:///home/u/My%20File%231%25%3F.txt"));
        const QByteArray odd = "/home/u/bad\xff\xfe name";
        QCOMPARE(QByteArray::fromPercentEncoding(fileUrl(odd).path(QUrl::FullyEncoded).toLatin1()), odd);
        QCOMPARE(fileUrl("/home/u/Música").toLocalFile(), QString("/home/u/Música"));

        m_recorder.urls.clear();
        revealInFileManager("/home/u/Documents/report 2024.pdf", QDBusConnection(QStringLiteral("no-such-connection")));
        QCOMPARE(m_recorder.urls, QList<QUrl>{QUrl::fromLocalFile("/home/u/Documents")});
    }

    void revealThroughFileManager()
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("no dbus-daemon to run a private bus");
        m_bus.start(daemon, {"--session", "--nofork", "--nopidfile", "--print-address"});
        QVERIFY(m_bus.waitForStarted() && m_bus.waitForReadyRead(30000));
        const QString address = QString::fromUtf8(m_bus.readLine()).trimmed();
        QDBusConnection client = QDBusConnection::connectToBus(address, "client");
        QDBusConnection service = QDBusConnection::connectToBus(address, "service");
        QVERIFY(client.isConnected() && service.isConnected());

        // A file manager on the bus is asked to show exactly that item.
        FakeFileManager manager;
        QVERIFY(service.registerObject("/org/freedesktop/FileManager1", &manager, QDBusConnection::ExportScriptableSlots));
        QVERIFY(service.registerService("org.freedesktop.FileManager1"));
        m_recorder.urls.clear();
        revealInFileManager("/home/u/Pictures/two words.png", client);
        QTRY_COMPARE(manager.calls.size(), 1);
        QCOMPARE(manager.calls.at(0), QStringList{"file:///home/u/Pictures/two%20words.png"});

        // Once it has gone, the bus says so and the containing folder is opened instead. The
        // bus answers in order, so by then the first reveal has had its answer too: it opened
        // nothing itself.
        QVERIFY(service.unregisterService("org.freedesktop.FileManager1"));
        revealInFileManager("/home/u/Music/song.ogg", client);
        QTRY_COMPARE(m_recorder.urls, QList<QUrl>{QUrl::fromLocalFile("/home/u/Music")});
        QCOMPARE(manager.calls.size(), 1);

        QDBusConnection::disconnectFromBus("client");
        QDBusConnection::disconnectFromBus("service");
    }
};

QTEST_MAIN(TestDesktopServices)
#include "tst_desktop_services.moc"
