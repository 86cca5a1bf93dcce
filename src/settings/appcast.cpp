#include "appcast.h"

#include <QXmlStreamReader>

namespace orvane {

namespace {

const QString sparkleNs = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

// Only web pages may be handed to the browser; a feed cannot make us open a local file.
QUrl webUrl(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    return scheme == u"https" || scheme == u"http" ? url : QUrl();
}

struct ItemFields {
    QString version, shortVersion, channel;
    QString enclosureVersion, enclosureShortVersion, enclosureOs;
    QUrl link, enclosureUrl, notesUrl;
};

std::optional<AppcastRelease> releaseOf(const ItemFields& f)
{
    // Items on a named channel (betas and the like) are for those who opted in.
    if (!f.channel.isEmpty())
        return std::nullopt;
    if (!f.enclosureOs.isEmpty() && f.enclosureOs.compare(u"linux", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    AppcastRelease r;
    r.version = !f.version.isEmpty() ? f.version : f.enclosureVersion;
    if (r.version.isEmpty())
        return std::nullopt;
    r.displayVersion = !f.shortVersion.isEmpty()            ? f.shortVersion
                       : !f.enclosureShortVersion.isEmpty() ? f.enclosureShortVersion
                                                            : r.version;
    r.pageUrl = f.link.isValid() ? f.link : f.enclosureUrl.isValid() ? f.enclosureUrl : f.notesUrl;
    if (!r.pageUrl.isValid())
        return std::nullopt;
    return r;
}

ItemFields readItem(QXmlStreamReader& xml)
{
    ItemFields f;
    while (xml.readNextStartElement()) {
        const auto name = xml.name();
        const bool sparkle = xml.namespaceUri() == sparkleNs;
        if (sparkle && name == u"version")
            f.version = xml.readElementText().trimmed();
        else if (sparkle && name == u"shortVersionString")
            f.shortVersion = xml.readElementText().trimmed();
        else if (sparkle && name == u"channel")
            f.channel = xml.readElementText().trimmed();
        else if (sparkle && name == u"releaseNotesLink")
            f.notesUrl = webUrl(xml.readElementText());
        else if (xml.namespaceUri().isEmpty() && name == u"link")
            f.link = webUrl(xml.readElementText());
        else if (xml.namespaceUri().isEmpty() && name == u"enclosure") {
            const QXmlStreamAttributes a = xml.attributes();
            f.enclosureUrl = webUrl(a.value(QLatin1String("url")).toString());
            f.enclosureVersion = a.value(sparkleNs, QLatin1String("version")).toString().trimmed();
            f.enclosureShortVersion = a.value(sparkleNs, QLatin1String("shortVersionString")).toString().trimmed();
            f.enclosureOs = a.value(sparkleNs, QLatin1String("os")).toString().trimmed();
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    return f;
}

// One run of digits or of letters.
struct Part {
    bool numeric = false;
    QString text; // digits without leading zeros, or letters in lower case
};

QList<Part> partsOf(QString version)
{
    version = version.trimmed();
    if (version.startsWith(u'v') || version.startsWith(u'V'))
        version.remove(0, 1);
    QList<Part> parts;
    qsizetype i = 0;
    while (i < version.size()) {
        const QChar c = version.at(i);
        if (c.isDigit()) {
            qsizetype j = i;
            while (j < version.size() && version.at(j).isDigit())
                ++j;
            QString digits = version.mid(i, j - i);
            while (digits.size() > 1 && digits.startsWith(u'0'))
                digits.remove(0, 1);
            parts.append({true, digits});
            i = j;
        } else if (c.isLetter()) {
            qsizetype j = i;
            while (j < version.size() && version.at(j).isLetter())
                ++j;
            parts.append({false, version.mid(i, j - i).toLower()});
            i = j;
        } else {
            ++i; // separators: "." "-" "_" "+" and the like
        }
    }
    return parts;
}

int comparePart(const Part& a, const Part& b)
{
    if (a.numeric && b.numeric) {
        // Compared as text so that arbitrarily long numbers cannot overflow.
        if (a.text.size() != b.text.size())
            return a.text.size() < b.text.size() ? -1 : 1;
        return a.text.compare(b.text);
    }
    if (a.numeric != b.numeric)
        return a.numeric ? 1 : -1; // "1.0" is after "1.0b1"; "1.0.1" after "1.0rc"
    return a.text.compare(b.text);
}

} // namespace

Appcast parseAppcast(const QByteArray& data)
{
    Appcast result;
    QXmlStreamReader xml(data);
    bool sawChannel = false;
    if (!xml.readNextStartElement() || xml.name() != u"rss") {
        result.problem = AppcastProblem::malformed;
        return result;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() != u"channel") {
            xml.skipCurrentElement();
            continue;
        }
        sawChannel = true;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"item" && xml.namespaceUri().isEmpty()) {
                if (auto release = releaseOf(readItem(xml)))
                    result.releases.append(*release);
            } else {
                xml.skipCurrentElement();
            }
        }
    }
    // Read to the end, so that a document broken after its last item is still refused.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError() || !sawChannel) {
        result.problem = AppcastProblem::malformed;
        result.releases.clear();
    } else if (result.releases.isEmpty()) {
        result.problem = AppcastProblem::noItems;
    }
    return result;
}

std::optional<AppcastRelease> newestRelease(const QList<AppcastRelease>& releases)
{
    std::optional<AppcastRelease> best;
    for (const AppcastRelease& r : releases) {
        if (!best || compareVersions(r.version, best->version) > 0)
            best = r;
    }
    return best;
}

int compareVersions(const QString& a, const QString& b)
{
    const QList<Part> pa = partsOf(a);
    const QList<Part> pb = partsOf(b);
    static const Part zero{true, QStringLiteral("0")};
    for (qsizetype i = 0; i < qMax(pa.size(), pb.size()); ++i) {
        const Part& x = i < pa.size() ? pa.at(i) : zero;
        const Part& y = i < pb.size() ? pb.at(i) : zero;
        if (const int c = comparePart(x, y); c != 0)
            return c < 0 ? -1 : 1;
    }
    return 0;
}

} // namespace orvane
