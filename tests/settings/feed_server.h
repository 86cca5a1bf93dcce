#pragma once

// The update feed for tests: a Sparkle-style appcast, HTTP responses, and a server on the loopback
// interface that answers each path in its own way (canned, never, a byte at a time, endlessly).

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace testsupport {

inline QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
           "<channel><title>Orvane</title><link>https://orvane.app</link>\n"
           + items + "</channel></rss>\n";
}

inline QByteArray item(const QByteArray& version, const QByteArray& shortVersion = {}, const QByteArray& link = "https://orvane.app/releases")
{
    QByteArray x = "<item><title>Orvane</title><sparkle:version>" + version + "</sparkle:version>";
    if (!shortVersion.isEmpty())
        x += "<sparkle:shortVersionString>" + shortVersion + "</sparkle:shortVersionString>";
    if (!link.isEmpty())
        x += "<link>" + link + "</link>";
    return x + "<enclosure url=\"https://orvane.app/dl/orvane-" + version
           + ".tar.gz\" length=\"1000\" type=\"application/octet-stream\"/></item>\n";
}

inline QByteArray httpResponse(int status, const QByteArray& body, const QByteArray& type = "application/rss+xml")
{
    const QByteArray reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Error";
    return "HTTP/1.1 " + QByteArray::number(status) + " " + reason + "\r\nContent-Type: " + type
           + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// A feed server on the loopback interface that answers each path in its own way.
class FeedServer : public QTcpServer
{
public:
    enum class Mode { canned, silent, drip, endless };
    struct Route {
        Mode mode = Mode::canned;
        QByteArray response;
    };

    FeedServer()
    {
        QVERIFY(listen(QHostAddress::LocalHost));
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
                connect(s, &QTcpSocket::readyRead, s, [this, s] { onRequest(s); });
            }
        });
    }
    QUrl url(const QString& path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path)); }
    void route(const QByteArray& path, Route r) { m_routes.insert(path, r); }
    void route(const QByteArray& path, const QByteArray& response) { m_routes.insert(path, {Mode::canned, response}); }
    int hits(const QByteArray& path) const { return m_hits.value(path); }
    qint64 bytesSent = 0;

private:
    void onRequest(QTcpSocket* s)
    {
        QByteArray& request = m_pending[s];
        request += s->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.left(request.indexOf("\r\n")).split(' ').value(1);
        m_pending.remove(s);
        m_hits[path] += 1;
        const Route r = m_routes.value(path, {Mode::canned, httpResponse(404, "no such feed", "text/plain")});
        switch (r.mode) {
        case Mode::canned:
            s->write(r.response);
            s->disconnectFromHost();
            break;
        case Mode::silent: // never answers
            break;
        case Mode::drip: {
            // Headers, then one byte every 100 ms: always some progress, never the end.
            s->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nContent-Length: 50000\r\n\r\n<");
            auto* timer = new QTimer(s);
            connect(timer, &QTimer::timeout, s, [s] { s->write(" "); });
            timer->start(100);
            break;
        }
        case Mode::endless: {
            // No length announced; data keeps coming as fast as the client takes it.
            s->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\n\r\n");
            const QByteArray chunk(64 * 1024, 'x');
            auto pump = [this, s, chunk] {
                if (s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() < 256 * 1024 && bytesSent < 256 * 1024 * 1024) {
                    s->write(chunk);
                    bytesSent += chunk.size();
                }
            };
            connect(s, &QTcpSocket::bytesWritten, s, pump);
            pump();
            break;
        }
        }
    }

    QHash<QByteArray, Route> m_routes;
    QHash<QByteArray, int> m_hits;
    QHash<QTcpSocket*, QByteArray> m_pending;
};
} // namespace testsupport

Q_DECLARE_METATYPE(testsupport::FeedServer::Route)
