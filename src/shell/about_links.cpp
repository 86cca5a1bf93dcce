#include "about_links.h"

#include "app_config.h"
#include "desktop_services.h"

namespace orvane {

QString AboutLinks::version()
{
    return QString::fromLatin1(config::version);
}

QUrl AboutLinks::donation()
{
    return QUrl(QString::fromLatin1(config::donationUrl));
}

QUrl AboutLinks::contact()
{
    return QUrl(QString::fromLatin1(config::contactUrl));
}

QUrl AboutLinks::terms()
{
    return QUrl(QString::fromLatin1(config::termsUrl));
}

QUrl AboutLinks::privacy()
{
    return QUrl(QString::fromLatin1(config::privacyUrl));
}

bool AboutLinks::open(const QUrl& url) const
{
    return openUrl(url);
}

} // namespace orvane
