#include "appcast.h"
#include "localization_manager.h"
#include "updater.h"

#include "feed_server.h"

#include <QSignalSpy>
#include <QtTest>

using namespace orvane;
using namespace testsupport;

namespace {

// One updater for version 1.0 against `url`, with its signals recorded. Roomy limits, so that a
// loaded machine never turns an answer into a timeout; servers that never finish get short ones.
struct Check {
    explicit Check(const QUrl& url, bool slowServer = false)
        : updater(url, "1.0")
    {
        limits.transferTimeoutMs = slowServer ? 800 : 20000;
        limits.totalTimeoutMs = slowServer ? 1500 : 30000;
        limits.maxFeedBytes = 64 * 1024;
        updater.setLimits(limits);
    }
    Updater updater;
    Updater::Limits limits;
    QSignalSpy available{&updater, &Updater::updateAvailable}, upToDate{&updater, &Updater::upToDate},
        failed{&updater, &Updater::checkFailed}, finished{&updater, &Updater::checkFinished};
};

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

    FeedServer m_server;

private slots:
    void initTestCase() { LocalizationManager::shared().setLanguage(AppLanguage::en); }

    void versionOrderAndFeedFormat()
    {
        const struct {
            const char *a, *b;
            int order;
        } rows[] = {
            {"1.0", "1.0.1", -1},       {"1.1", "1.10", -1},      {"1.0", "1.0.0", 0},     {"1.01", "1.1", 0},
            {"2.0", "1.99.99", 1},      {"1.1b2", "1.1", -1},     {"2.0a1", "2.0b1", -1},  {"1.0.1", "1.1rc1", -1},
            {"1.0rc1", "1.0.1", -1},    {"v1.2", "1.2", 0},       {"1.2-3", "1.2.3", 0},   {" 1.2 ", "1.2", 0},
            {"1.99999999999999999999", "1.100000000000000000000", -1}, // longer than any integer type
        };
        for (const auto& row : rows) {
            QVERIFY2(compareVersions(row.a, row.b) == row.order, row.a);
            QVERIFY2(compareVersions(row.b, row.a) == -row.order, row.a);
        }

        // Feeds: element and attribute forms, channels, other systems, and only web pages to open.
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
            + "<item><sparkle:version>7.0</sparkle:version><link>file://localhost/etc/passwd</link></item>"
        + "<item><sparkle:version>7.5</sparkle:version><link>javascript:alert(1)</link></item>"
            + "<item><title>no version</title><link>https://orvane.app/x</link></item>");
        const Appcast cast = parseAppcast(xml);
        QCOMPARE(cast.problem, AppcastProblem::none);
        QStringList got;
        for (const AppcastRelease& r : cast.releases)
            got << r.version + ' ' + r.displayVersion + ' ' + r.pageUrl.toString();
        QCOMPARE(got, (QStringList{"1.2 1.2 (spring) https://orvane.app/releases", "150 1.5 https://orvane.app/r/1.5",
                                  "3.0 3.0 https://orvane.app/dl/3.0.tgz", "4.0 4.0 https://orvane.app/notes/4"}));
        // The newest is chosen by version, not by position in the feed.
        QCOMPARE(newestRelease(cast.releases)->version, QString("150"));
        QVERIFY(!newestRelease({}));
    }

    // What one check ends in, asked for or automatic, against every kind of server. An offer names
    // the version, the running one and its page; a failure says briefly what went wrong; an
    // automatic check tells only of a newer version.
    void outcomes_data()
    {
        QTest::addColumn<FeedServer::Route>("route"); // an empty canned response: nothing listening
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<QString>("outcome"); // offer, upToDate, silent or failed
        QTest::addColumn<QString>("detail");  // the version offered, or part of the failure message
        const auto serve = [](const QByteArray& items) { return FeedServer::Route{{}, httpResponse(200, feed(items))}; };
        const QByteArray newer = item("1.0.1") + item("1.1", "1.1", "https://orvane.app/releases/1.1") + item("0.9");
        const QByteArray beta = "<item><sparkle:version>2.0</sparkle:version><sparkle:channel>beta</sparkle:channel>"
                                "<link>https://orvane.app/beta</link></item>";
        QByteArray fits = feed(item("2.0", "2.0", "https://orvane.app/releases/2.0"));
        fits.append(QByteArray(64 * 1024 - fits.size() - 10, ' ')); // trailing whitespace is allowed
        const auto row = [](const char* tag, const FeedServer::Route& route, bool automatic, const char* outcome,
                            const QByteArray& detail = "") {
            QTest::newRow(tag) << route << automatic << QString(outcome) << QString(detail);
        };

        row("newer", serve(newer), false, "offer", "1.1");
        row("newer, automatic", serve(newer), true, "offer", "1.1");
        row("just under the size limit", {{}, httpResponse(200, fits)}, false, "offer", "2.0");
        row("equal", serve(item("1.0")), false, "upToDate");
        row("older", serve(item("0.9") + item("0.9.5")), false, "upToDate");
        row("pre-release of current", serve(item("1.0b3")), false, "upToDate");
        row("newer only on a beta channel", serve(item("0.9") + beta), false, "upToDate");
        row("equal, automatic", serve(item("1.0")), true, "silent");
        row("404, automatic", {{}, httpResponse(404, "missing")}, true, "silent");
        row("404", {{}, httpResponse(404, "missing")}, false, "failed", "HTTP 404");
        row("500", {{}, httpResponse(500, "oops", "text/plain")}, false, "failed", "HTTP 500");
        row("no items", serve(""), false, "failed", "lists no version");
        row("only unusable items", serve("<item><title>x</title></item>"), false, "failed", "lists no version");
        const QByteArray unreadable = "couldn't be read";
        const QByteArray whole = feed(item("2.0"));
        for (const auto& [tag, body] : std::initializer_list<std::pair<const char*, QByteArray>>{
                 {"empty body", ""},
                 {"html page", "<!DOCTYPE html><html><p>Maintenance</p></html>"},
                 {"cut off after the item", whole.left(whole.size() - 20)},
                 {"mismatched tags", "<rss><channel><item></channel></rss>"},
                 {"undeclared prefix", "<rss><channel><item><sparkle:version>2</sparkle:version></item></channel></rss>"},
                 {"entity bomb", // refused, not expanded
                  "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaa\">"
                  "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                  "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                  "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
                  "<rss><channel><item><title>&g;</title></item></channel></rss>"}})
            row(tag, {{}, httpResponse(200, body)}, false, "failed", unreadable);
        row("garbage status line", {{}, "SMTP ready\r\n\r\n"}, false, "failed");
        row("announced too big", serve(item("2.0") + QByteArray(200 * 1024, ' ')), false, "failed", unreadable);
        row("endless", {FeedServer::Mode::endless, {}}, false, "failed", unreadable);
        row("never answers", {FeedServer::Mode::silent, {}}, false, "failed", "too long");
        row("a byte at a time", {FeedServer::Mode::drip, {}}, false, "failed", "too long");
        row("nothing listening", {}, false, "failed", "reach");
    }

    void outcomes()
    {
        QFETCH(FeedServer::Route, route);
        QFETCH(bool, automatic);
        QFETCH(QString, outcome);
        QFETCH(QString, detail);
        m_server.bytesSent = 0;
        static int feeds = 0;
        const QByteArray path = "/feed" + QByteArray::number(++feeds);
        QUrl url = m_server.url(path);
        if (route.mode == FeedServer::Mode::canned && route.response.isEmpty()) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            url.setPort(closed.serverPort());
        } else {
            m_server.route(path, route);
        }
        Check check(url, route.mode == FeedServer::Mode::silent || route.mode == FeedServer::Mode::drip);
        automatic ? check.updater.startAutomaticChecks() : check.updater.checkForUpdates();
        // Nothing waited for the server.
        QVERIFY(check.finished.isEmpty());
        QVERIFY(check.finished.wait(60000));
        QCOMPARE(check.finished.at(0).at(0).toBool(), !automatic);
        QCOMPARE(check.available.size(), outcome == "offer" ? 1 : 0);
        QCOMPARE(check.upToDate.size(), outcome == "upToDate" ? 1 : 0);
        QCOMPARE(check.failed.size(), outcome == "failed" ? 1 : 0);
        if (outcome == "offer")
            QCOMPARE(check.available.at(0), (QVariantList{detail, QString("1.0"), QUrl("https://orvane.app/releases/" + detail)}));
        if (outcome == "failed") {
            const QString message = check.failed.at(0).at(0).toString();
            QVERIFY2(!message.isEmpty() && message.contains(detail) && message.size() < 120, qPrintable(message));
        }
        QVERIFY2(m_server.bytesSent < 64 * 1024 * 1024, "an endless feed was read far past the limit");
    }

    // One request at a time: asking while the automatic check runs adds none, and the user hears
    // how it ends; a later press makes a new check. Automatic checks start only when asked, run
    // at once and then on the interval until stopped.
    void scheduling()
    {
        m_server.route("/schedule", httpResponse(200, feed(item("1.0"))));
        Check check(m_server.url("/schedule"));
        QVERIFY(!check.updater.automaticChecksActive());
        check.updater.startAutomaticChecks();
        check.updater.checkForUpdates();
        check.updater.checkForUpdates();
        QVERIFY(check.finished.wait(60000));
        QVERIFY(check.finished.at(0).at(0).toBool());
        QCOMPARE(m_server.hits("/schedule"), 1);
        QCOMPARE(check.upToDate.size(), 1);
        check.updater.checkForUpdates();
        QVERIFY(check.finished.wait(60000));
        QCOMPARE(m_server.hits("/schedule"), 2);

        check.updater.stopAutomaticChecks();
        check.limits.checkIntervalMs = 200;
        check.updater.setLimits(check.limits);
        check.updater.startAutomaticChecks();
        QTRY_VERIFY_WITH_TIMEOUT(m_server.hits("/schedule") >= 5, 60000);
        check.updater.stopAutomaticChecks();
        QVERIFY(!check.updater.automaticChecksActive());
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
