#include "desktop_services.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace orvane;

namespace {

// Stands in for the browser and the file manager's "open folder".
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
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString& startupId)
    {
        calls << uris;
        Q_UNUSED(startupId);
    }
};

} // namespace

class TestDesktopServices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void fileUrls();
    void openUrls();
    void revealWithoutBus();
    void revealThroughFileManager();

private:
    UrlRecorder m_recorder;
    QProcess m_bus;
    QString m_busAddress;
};

void TestDesktopServices::initTestCase()
{
    for (const char* scheme : {"file", "https", "mailto"})
        QDesktopServices::setUrlHandler(scheme, &m_recorder, "handle");

    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
        return;
    m_bus.start(daemon, {"--session", "--nofork", "--nopidfile", "--print-address"});
    if (m_bus.waitForStarted() && m_bus.waitForReadyRead(10000))
        m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
}

void TestDesktopServices::cleanupTestCase()
{
    for (const char* scheme : {"file", "https", "mailto"})
        QDesktopServices::unsetUrlHandler(scheme);
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.terminate();
        m_bus.waitForFinished(5000);
    }
}

void TestDesktopServices::fileUrls()
{
    QCOMPARE(fileUrl("/home/u/My File#1%?.txt").toString(QUrl::FullyEncoded),
             QString("file:///home/u/My%20File%231%25%3F.txt"));
    // Bytes that are not UTF-8 survive the trip.
    const QByteArray odd = "/home/u/bad\xff\xfe name";
    const QUrl url = fileUrl(odd);
    QVERIFY(url.isValid());
    QCOMPARE(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()), odd);
    QCOMPARE(fileUrl("/home/u/Música").toLocalFile(), QString("/home/u/Música"));
}

void TestDesktopServices::openUrls()
{
    m_recorder.urls.clear();
    QVERIFY(openUrl(QUrl("https://orvane.app/donate")));
    QVERIFY(openUrl(QUrl("mailto:hello@orvane.app")));
    QVERIFY(!openUrl(QUrl()));
    QCOMPARE(m_recorder.urls, QList<QUrl>({QUrl("https://orvane.app/donate"), QUrl("mailto:hello@orvane.app")}));
}

void TestDesktopServices::revealWithoutBus()
{
    m_recorder.urls.clear();
    // A connection that never reached a bus: the folder is opened straight away.
    revealInFileManager("/home/u/Documents/report 2024.pdf", QDBusConnection(QStringLiteral("no-such-connection")));
    QCOMPARE(m_recorder.urls, QList<QUrl>{QUrl::fromLocalFile("/home/u/Documents")});
}

void TestDesktopServices::revealThroughFileManager()
{
    if (m_busAddress.isEmpty())
        QSKIP("no private D-Bus daemon could be started");

    // No file manager on the bus: once the bus says so, the containing folder is opened.
    QDBusConnection client = QDBusConnection::connectToBus(m_busAddress, "client");
    QVERIFY(client.isConnected());
    m_recorder.urls.clear();
    revealInFileManager("/home/u/Pictures/cat.png", client);
    QTRY_COMPARE(m_recorder.urls, QList<QUrl>{QUrl::fromLocalFile("/home/u/Pictures")});

    // With one: it is asked to show exactly that item, and nothing else is opened.
    QDBusConnection service = QDBusConnection::connectToBus(m_busAddress, "service");
    FakeFileManager manager;
    QVERIFY(service.registerObject("/org/freedesktop/FileManager1", &manager, QDBusConnection::ExportScriptableSlots));
    QVERIFY(service.registerService("org.freedesktop.FileManager1"));
    m_recorder.urls.clear();
    revealInFileManager("/home/u/Pictures/two words.png", client);
    QTRY_COMPARE(manager.calls.size(), 1);
    QCOMPARE(manager.calls.at(0), QStringList{"file:///home/u/Pictures/two%20words.png"});
    QTest::qWait(100);
    QVERIFY(m_recorder.urls.isEmpty());

    QDBusConnection::disconnectFromBus("client");
    QDBusConnection::disconnectFromBus("service");
}

QTEST_MAIN(TestDesktopServices)
#include "tst_desktop_services.moc"
