#include "appcast.h"
#include "localization_manager.h"
#include "updater.h"

#include "feed_server.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using namespace orvane;
using namespace testsupport;

namespace {

Updater::Limits testLimits()
{
    Updater::Limits l;
    l.transferTimeoutMs = 1500;
    l.totalTimeoutMs = 4000;
    l.maxFeedBytes = 64 * 1024;
    l.checkIntervalMs = 24 * 60 * 60 * 1000;
    return l;
}

struct Spies {
    explicit Spies(Updater* u)
        : available(u, &Updater::updateAvailable)
        , upToDate(u, &Updater::upToDate)
        , failed(u, &Updater::checkFailed)
        , finished(u, &Updater::checkFinished)
    {
    }
    QSignalSpy available, upToDate, failed, finished;
};

// One updater for version 1.0 against `url`, with its signals recorded.
struct Check {
    explicit Check(const QUrl& url, const Updater::Limits& limits = testLimits())
        : updater(url, "1.0")
        , spies(&updater)
    {
        updater.setLimits(limits);
    }
    bool run()
    {
        updater.checkForUpdates();
        return spies.finished.wait(10000);
    }
    QString failure() const { return spies.failed.isEmpty() ? QString() : spies.failed.at(0).at(0).toString(); }
    Updater updater;
    Spies spies;
};

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void versionOrder_data();
    void versionOrder();
    void feedFormat();
    void feedProblems_data();
    void feedProblems();
    void newerVersionOffered();
    void outcomeOnDemand_data();
    void outcomeOnDemand();
    void slowServers();
    void hugeFeeds();
    void automaticChecksStaySilent();
    void automaticSchedule();
    void oneRequestAtATime();

private:
    FeedServer* m_server = nullptr;
};

void TestUpdater::initTestCase()
{
    m_server = new FeedServer;
    m_server->setParent(this);
}

void TestUpdater::versionOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");
    QTest::newRow("patch above") << "1.0" << "1.0.1" << -1;
    QTest::newRow("numeric not textual") << "1.1" << "1.10" << -1;
    QTest::newRow("trailing zeros equal") << "1.0" << "1.0.0" << 0;
    QTest::newRow("leading zeros") << "1.01" << "1.1" << 0;
    QTest::newRow("major") << "2.0" << "1.99.99" << 1;
    QTest::newRow("beta before release") << "1.1b2" << "1.1" << -1;
    QTest::newRow("alpha before beta") << "2.0a1" << "2.0b1" << -1;
    QTest::newRow("rc after patch of older") << "1.0.1" << "1.1rc1" << -1;
    QTest::newRow("patch after pre-release of same") << "1.0rc1" << "1.0.1" << -1;
    QTest::newRow("leading v") << "v1.2" << "1.2" << 0;
    QTest::newRow("dash separator") << "1.2-3" << "1.2.3" << 0;
    QTest::newRow("huge numbers") << "1.99999999999999999999" << "1.100000000000000000000" << -1;
    QTest::newRow("whitespace") << " 1.2 " << "1.2" << 0;
}

void TestUpdater::versionOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);
    QCOMPARE(compareVersions(a, b), order);
    QCOMPARE(compareVersions(b, a), -order);
}

void TestUpdater::feedFormat()
{
    // Element and attribute forms, channels, other systems, and the page to open.
    const QByteArray xml = feed(
        item("1.2", "1.2 (spring)")
        + "<item><title>attr form</title><link>https://orvane.app/r/1.5</link>"
          "<enclosure url=\"https://orvane.app/dl/1.5.tgz\" sparkle:version=\"150\" sparkle:shortVersionString=\"1.5\"/></item>"
        + "<item><sparkle:version>9.0</sparkle:version><sparkle:channel>beta</sparkle:channel>"
          "<link>https://orvane.app/beta</link></item>"
        + "<item><sparkle:version>8.0</sparkle:version><link>https://orvane.app/mac</link>"
          "<enclosure url=\"https://orvane.app/mac.zip\" sparkle:os=\"macos\"/></item>"
        + "<item><sparkle:version>3.0</sparkle:version>"
          "<enclosure url=\"https://orvane.app/dl/3.0.tgz\" sparkle:os=\"linux\"/></item>"
        + "<item><sparkle:version>4.0</sparkle:version><sparkle:releaseNotesLink>\n  https://orvane.app/notes/4\n  </sparkle:releaseNotesLink></item>"
        + "<item><sparkle:version>7.0</sparkle:version><link>file:///etc/passwd</link></item>"
        + "<item><title>no version</title><link>https://orvane.app/x</link></item>");
    const Appcast cast = parseAppcast(xml);
    QCOMPARE(cast.problem, AppcastProblem::none);
    QCOMPARE(cast.releases.size(), 4);
    QCOMPARE(cast.releases.at(0).version, QString("1.2"));
    QCOMPARE(cast.releases.at(0).displayVersion, QString("1.2 (spring)"));
    QCOMPARE(cast.releases.at(0).pageUrl, QUrl("https://orvane.app/releases"));
    QCOMPARE(cast.releases.at(1).version, QString("150"));
    QCOMPARE(cast.releases.at(1).displayVersion, QString("1.5"));
    QCOMPARE(cast.releases.at(1).pageUrl, QUrl("https://orvane.app/r/1.5"));
    QCOMPARE(cast.releases.at(2).displayVersion, QString("3.0"));
    QCOMPARE(cast.releases.at(2).pageUrl, QUrl("https://orvane.app/dl/3.0.tgz"));
    QCOMPARE(cast.releases.at(3).pageUrl, QUrl("https://orvane.app/notes/4"));

    // The newest is chosen by version, not by position in the feed.
    const auto newest = newestRelease(cast.releases);
    QVERIFY(newest);
    QCOMPARE(newest->version, QString("150"));
    QVERIFY(!newestRelease({}));
}

void TestUpdater::feedProblems_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<AppcastProblem>("problem");
    QTest::newRow("empty") << QByteArray() << AppcastProblem::malformed;
    QTest::newRow("html page") << QByteArray("<html><body>Maintenance</body></html>") << AppcastProblem::malformed;
    QTest::newRow("truncated after item") << feed(item("2.0")).left(feed(item("2.0")).size() - 20) << AppcastProblem::malformed;
    QTest::newRow("mismatched tags") << QByteArray("<rss><channel><item></channel></rss>") << AppcastProblem::malformed;
    QTest::newRow("no items") << feed("") << AppcastProblem::noItems;
    QTest::newRow("only unusable items") << feed("<item><title>x</title></item>") << AppcastProblem::noItems;
    QTest::newRow("undeclared prefix") << QByteArray("<rss><channel><item><sparkle:version>2</sparkle:version></item></channel></rss>")
                                       << AppcastProblem::malformed;
    QTest::newRow("entity bomb")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaa\">"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
                      "<rss><channel><item><title>&g;</title></item></channel></rss>")
        << AppcastProblem::malformed;
}

void TestUpdater::feedProblems()
{
    QFETCH(QByteArray, xml);
    QFETCH(AppcastProblem, problem);
    QElapsedTimer timer;
    timer.start();
    const Appcast cast = parseAppcast(xml);
    QCOMPARE(cast.problem, problem);
    QVERIFY(cast.releases.isEmpty());
    QVERIFY(timer.elapsed() < 2000);
}

void TestUpdater::newerVersionOffered()
{
    m_server->route("/newer.xml", httpResponse(200, feed(item("1.0.1") + item("1.1", "1.1", "https://orvane.app/releases/1.1") + item("0.9"))));
    Updater updater(m_server->url("/newer.xml"), "1.0");
    updater.setLimits(testLimits());
    Spies spies(&updater);
    QSignalSpy checking(&updater, &Updater::checkingChanged);

    updater.checkForUpdates();
    QVERIFY(updater.checking());
    QVERIFY(spies.finished.wait(5000));
    QVERIFY(!updater.checking());
    QCOMPARE(checking.size(), 2);
    QCOMPARE(spies.available.size(), 1);
    QCOMPARE(spies.available.at(0).at(0).toString(), QString("1.1"));
    QCOMPARE(spies.available.at(0).at(1).toString(), QString("1.0"));
    QCOMPARE(spies.available.at(0).at(2).toUrl(), QUrl("https://orvane.app/releases/1.1"));
    QCOMPARE(spies.upToDate.size(), 0);
    QCOMPARE(spies.failed.size(), 0);
    QCOMPARE(spies.finished.at(0).at(0).toBool(), true);

    // An automatic check announces a newer version too.
    updater.startAutomaticChecks();
    QVERIFY(spies.finished.wait(5000));
    QCOMPARE(spies.available.size(), 2);
    QCOMPARE(spies.finished.at(1).at(0).toBool(), false);
}

void TestUpdater::outcomeOnDemand_data()
{
    QTest::addColumn<QByteArray>("response"); // empty: nothing at that path (404)
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("mentions"); // part of the English failure message
    const QByteArray beta = "<item><sparkle:version>2.0</sparkle:version><sparkle:channel>beta</sparkle:channel>"
                            "<link>https://orvane.app/beta</link></item>";
    QTest::newRow("equal") << httpResponse(200, feed(item("1.0"))) << "upToDate" << "";
    QTest::newRow("equal with trailing zero") << httpResponse(200, feed(item("1.0.0", "1.0.0"))) << "upToDate" << "";
    QTest::newRow("older") << httpResponse(200, feed(item("0.9") + item("0.9.5"))) << "upToDate" << "";
    QTest::newRow("pre-release of current") << httpResponse(200, feed(item("1.0b3"))) << "upToDate" << "";
    QTest::newRow("newer only on a beta channel") << httpResponse(200, feed(item("0.9") + beta)) << "upToDate" << "";
    QTest::newRow("404") << QByteArray() << "failed" << "HTTP 404";
    QTest::newRow("500") << httpResponse(500, "oops", "text/plain") << "failed" << "HTTP 500";
    QTest::newRow("bad xml") << httpResponse(200, "<rss><channel><item>") << "failed" << "couldn't be read";
    QTest::newRow("html instead of feed") << httpResponse(200, "<!DOCTYPE html><html><p>Hi</p></html>", "text/html")
                                          << "failed" << "couldn't be read";
    QTest::newRow("no items") << httpResponse(200, feed("")) << "failed" << "lists no version";
    QTest::newRow("garbage status line") << QByteArray("SMTP ready\r\n\r\n") << "failed" << "";
}

void TestUpdater::outcomeOnDemand()
{
    QFETCH(QByteArray, response);
    QFETCH(QString, outcome);
    QFETCH(QString, mentions);
    LocalizationManager::shared().setLanguage(AppLanguage::en);
    const QByteArray path = "/" + QByteArray(QTest::currentDataTag()).replace(' ', '-') + ".xml";
    if (!response.isEmpty())
        m_server->route(path, response);
    Check check(m_server->url(QString::fromUtf8(path)));
    QVERIFY(check.run());
    QVERIFY(!check.updater.checking());
    QCOMPARE(check.spies.available.size(), 0);
    QCOMPARE(check.spies.upToDate.size(), outcome == "upToDate" ? 1 : 0);
    QCOMPARE(check.spies.failed.size(), outcome == "failed" ? 1 : 0);
    if (outcome == "failed") {
        QVERIFY2(!check.failure().isEmpty() && check.failure().contains(mentions), qPrintable(check.failure()));
        QVERIFY(check.failure().size() < 120); // a short message, not a dump
    }
}

void TestUpdater::slowServers()
{
    m_server->route("/silent.xml", {FeedServer::Mode::silent, {}});
    m_server->route("/drip.xml", {FeedServer::Mode::drip, {}});
    Updater::Limits limits = testLimits();
    limits.transferTimeoutMs = 800;
    limits.totalTimeoutMs = 1500;
    for (const char* path : {"/silent.xml", "/drip.xml"}) {
        Check check(m_server->url(path), limits);
        QElapsedTimer timer;
        timer.start();
        check.updater.checkForUpdates();
        QVERIFY2(timer.elapsed() < 500, "starting a check must not wait for the server");
        QVERIFY(check.spies.finished.wait(10000));
        QVERIFY2(timer.elapsed() < 5000, path);
        QVERIFY2(check.failure().contains("too long"), qPrintable(path + QStringLiteral(": ") + check.failure()));
    }

    // Nothing listening at all.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    Check check(QUrl(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(port)));
    QVERIFY(check.run());
    QVERIFY2(check.failure().contains("reach"), qPrintable(check.failure()));
}

void TestUpdater::hugeFeeds()
{
    // Announced as too big: refused before the body is read.
    QByteArray big = feed(item("2.0") + QByteArray(200 * 1024, ' '));
    m_server->route("/big.xml", httpResponse(200, big));
    // No length announced and no end in sight.
    m_server->route("/endless.xml", {FeedServer::Mode::endless, {}});
    for (const char* path : {"/big.xml", "/endless.xml"}) {
        Check check(m_server->url(path));
        QVERIFY(check.run());
        QCOMPARE(check.spies.failed.size(), 1);
        QCOMPARE(check.spies.available.size(), 0);
    }
    QVERIFY2(m_server->bytesSent < 64 * 1024 * 1024, "the endless feed was read far past the limit");

    // Just under the limit is fine.
    QByteArray fits = feed(item("2.0"));
    fits.append(QByteArray(64 * 1024 - fits.size() - 10, ' ')); // trailing whitespace is allowed
    m_server->route("/fits.xml", httpResponse(200, fits));
    Check fitting(m_server->url("/fits.xml"));
    QVERIFY(fitting.run());
    QCOMPARE(fitting.spies.available.size(), 1);
}

void TestUpdater::automaticChecksStaySilent()
{
    m_server->route("/auto-same.xml", httpResponse(200, feed(item("1.0"))));
    for (const char* path : {"/auto-same.xml", "/auto-missing.xml"}) {
        Check check(m_server->url(path));
        check.updater.startAutomaticChecks();
        QVERIFY(check.spies.finished.wait(5000));
        QCOMPARE(check.spies.finished.at(0).at(0).toBool(), false);
        QCOMPARE(check.spies.upToDate.size() + check.spies.failed.size() + check.spies.available.size(), 0);
    }
}

void TestUpdater::automaticSchedule()
{
    m_server->route("/schedule.xml", httpResponse(200, feed(item("1.0"))));
    Updater updater(m_server->url("/schedule.xml"), "1.0");
    Updater::Limits limits = testLimits();
    limits.checkIntervalMs = 300;
    updater.setLimits(limits);
    QVERIFY(!updater.automaticChecksActive());
    QTest::qWait(400);
    QCOMPARE(m_server->hits("/schedule.xml"), 0); // nothing before it is started

    updater.startAutomaticChecks(); // at once...
    QVERIFY(updater.automaticChecksActive());
    QTRY_COMPARE_WITH_TIMEOUT(m_server->hits("/schedule.xml"), 1, 250);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hits("/schedule.xml") >= 3, 5000); // ...then on the interval
    updater.stopAutomaticChecks();
    QTest::qWait(400);
    const int settled = m_server->hits("/schedule.xml");
    QTest::qWait(700);
    QVERIFY2(m_server->hits("/schedule.xml") == settled,
             qPrintable(QStringLiteral("%1 then %2 requests").arg(settled).arg(m_server->hits("/schedule.xml"))));
}

void TestUpdater::oneRequestAtATime()
{
    m_server->route("/twice.xml", httpResponse(200, feed(item("1.0"))));
    Updater updater(m_server->url("/twice.xml"), "1.0");
    updater.setLimits(testLimits());
    Spies spies(&updater);
    // The user asks while the automatic check is under way: one request, and the user hears of it.
    updater.startAutomaticChecks();
    updater.checkForUpdates();
    updater.checkForUpdates();
    QVERIFY(spies.finished.wait(5000));
    QTest::qWait(200);
    QCOMPARE(m_server->hits("/twice.xml"), 1);
    QCOMPARE(spies.finished.size(), 1);
    QCOMPARE(spies.upToDate.size(), 1);

    // Presses after it ended each make a new check.
    updater.checkForUpdates();
    QVERIFY(spies.finished.wait(5000));
    updater.checkForUpdates();
    QVERIFY(spies.finished.wait(5000));
    QCOMPARE(m_server->hits("/twice.xml"), 3);
    QCOMPARE(spies.upToDate.size(), 3);
}

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
