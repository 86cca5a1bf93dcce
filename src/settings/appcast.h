#pragma once

// Reading an update feed: an RSS 2.0 channel whose items describe releases with the common
// "sparkle:" elements and attributes (namespace http://www.andymatuschak.org/xml-namespaces/sparkle).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace orvane {

struct AppcastRelease {
    QString version;        // compared: sparkle:version
    QString displayVersion; // shown: sparkle:shortVersionString, else the version
    QUrl pageUrl;           // opened in the browser: the item's link, else its download, else its notes
};

enum class AppcastProblem {
    none,
    malformed, // not well-formed XML, or not an RSS channel
    noItems,   // well-formed, but no item describes a release for this system
};

struct Appcast {
    AppcastProblem problem = AppcastProblem::none;
    QList<AppcastRelease> releases; // in feed order
};

Appcast parseAppcast(const QByteArray& xml);

// The release with the highest version; the first of equals. None for an empty list.
std::optional<AppcastRelease> newestRelease(const QList<AppcastRelease>& releases);

// Orders version strings the way people read them: numbers compare as numbers
// ("1.10" > "1.9"), missing parts count as 0 ("1.0" == "1.0.0"), and a letter part marks a
// pre-release ("1.1b2" < "1.1"). A leading "v" is ignored. Negative, zero or positive.
int compareVersions(const QString& a, const QString& b);

} // namespace orvane
