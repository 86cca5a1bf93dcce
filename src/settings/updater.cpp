#include "updater.h"
#include "app_config.h"
#include "desktop_services.h"
#include "localization_manager.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace orvane {

Updater::Updater(const QUrl& feedUrl, const QString& currentVersion, QObject* parent)
    : QObject(parent)
    , m_feedUrl(feedUrl)
    , m_currentVersion(currentVersion)
{
    connect(&m_timer, &QTimer::timeout, this, [this] { startCheck(false); });
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { abortWith(Failure::timeout); });
}

Updater& Updater::shared()
{
    static QPointer<Updater> instance;
    if (!instance) {
        // First, so that anything the updater shows comes up in the chosen language.
        LocalizationManager::shared().applyToSystem();
        const QString feed = qEnvironmentVariable("ORVANE_UPDATE_FEED", QString::fromLatin1(config::updateFeedUrl));
        instance = new Updater(QUrl(feed),
                               QString::fromLatin1(config::version), QCoreApplication::instance());
        instance->setEnabled(config::updateChecks);
        if (instance->enabled())
            instance->startAutomaticChecks();
    }
    return *instance;
}

void Updater::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (!enabled)
        stopAutomaticChecks();
    emit enabledChanged();
}

Updater* Updater::create(QQmlEngine*, QJSEngine*)
{
    Updater* updater = &shared();
    QJSEngine::setObjectOwnership(updater, QJSEngine::CppOwnership);
    return updater;
}

void Updater::startAutomaticChecks()
{
    m_timer.start(m_limits.checkIntervalMs);
    startCheck(false);
}

void Updater::stopAutomaticChecks()
{
    m_timer.stop();
}

void Updater::checkForUpdates()
{
    startCheck(true);
}

bool Updater::openDownloadPage() const
{
    return m_offeredPage.isValid() && openUrl(m_offeredPage);
}

void Updater::startCheck(bool userInitiated)
{
    if (m_reply) {
        // One request at a time; the user still hears how the running one ends.
        m_userInitiated = m_userInitiated || userInitiated;
        return;
    }
    m_userInitiated = userInitiated;
    m_body.clear();
    m_abortReason.reset();

    QNetworkRequest request(m_feedUrl);
    request.setTransferTimeout(m_limits.transferTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Orvane/%1").arg(m_currentVersion));
    request.setRawHeader("Accept", "application/rss+xml, application/xml;q=0.9, */*;q=0.1");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &Updater::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &Updater::onFinished);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        bool known = false;
        const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && announced > m_limits.maxFeedBytes)
            abortWith(Failure::tooLarge);
    });
    m_deadline.start(m_limits.totalTimeoutMs);
}

void Updater::onReadyRead()
{
    if (!m_reply || m_abortReason)
        return;
    m_body += m_reply->read(m_limits.maxFeedBytes + 1 - m_body.size());
    if (m_body.size() > m_limits.maxFeedBytes || m_reply->bytesAvailable() > 0)
        abortWith(Failure::tooLarge);
}

void Updater::abortWith(Failure failure)
{
    if (!m_reply || m_abortReason)
        return;
    m_abortReason = failure;
    m_reply->abort(); // emits finished
}

void Updater::onFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    m_deadline.stop();
    reply->deleteLater();

    if (m_abortReason)
        return fail(*m_abortReason);

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError) {
        if (status >= 400)
            return fail(Failure::httpStatus, status);
        if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError)
            return fail(Failure::timeout); // what the transfer timeout reports
        return fail(Failure::network);
    }
    if (status != 0 && (status < 200 || status > 299))
        return fail(Failure::httpStatus, status);

    // Whatever arrived together with the end of the reply.
    m_body += reply->read(m_limits.maxFeedBytes + 1 - m_body.size());
    if (m_body.size() > m_limits.maxFeedBytes || reply->bytesAvailable() > 0)
        return fail(Failure::tooLarge);

    const Appcast feed = parseAppcast(m_body);
    if (feed.problem == AppcastProblem::malformed)
        return fail(Failure::malformed);
    if (feed.problem == AppcastProblem::noItems)
        return fail(Failure::noItems);

    const bool userInitiated = m_userInitiated;
    const std::optional<AppcastRelease> newest = newestRelease(feed.releases);
    finish();
    if (newest && compareVersions(newest->version, m_currentVersion) > 0) {
        m_offeredPage = newest->pageUrl;
        emit updateAvailable(newest->displayVersion, m_currentVersion, newest->pageUrl);
    } else if (userInitiated) {
        emit upToDate();
    }
    emit checkFinished(userInitiated);
}

void Updater::finish()
{
    m_reply = nullptr;
    m_body.clear();
    m_body.squeeze();
}

void Updater::fail(Failure failure, int httpStatus)
{
    const bool userInitiated = m_userInitiated;
    finish();
    if (userInitiated)
        emit checkFailed(failureMessage(failure, httpStatus));
    emit checkFinished(userInitiated);
}

QString Updater::failureMessage(Failure failure, int httpStatus)
{
    const bool en = LocalizationManager::shared().language() == AppLanguage::en;
    switch (failure) {
    case Failure::network:
        return en ? QStringLiteral("Couldn't reach the update server. Check your connection and try again.")
                  : QStringLiteral("No se pudo conectar con el servidor de actualizaciones. Revisa tu conexión e inténtalo de nuevo.");
    case Failure::timeout:
        return en ? QStringLiteral("The update server took too long to answer. Try again later.")
                  : QStringLiteral("El servidor de actualizaciones tardó demasiado en responder. Inténtalo más tarde.");
    case Failure::httpStatus:
        return en ? QStringLiteral("The update server answered with an error (HTTP %1). Try again later.").arg(httpStatus)
                  : QStringLiteral("El servidor de actualizaciones respondió con un error (HTTP %1). Inténtalo más tarde.").arg(httpStatus);
    case Failure::tooLarge:
    case Failure::malformed:
        return en ? QStringLiteral("The update information couldn't be read. Try again later.")
                  : QStringLiteral("No se pudo leer la información de actualizaciones. Inténtalo más tarde.");
    case Failure::noItems:
        return en ? QStringLiteral("The update information lists no version for this system.")
                  : QStringLiteral("La información de actualizaciones no incluye ninguna versión para este sistema.");
    }
    return {};
}

QString Updater::failureTitle() const
{
    return LocalizationManager::shared().language() == AppLanguage::en
               ? QStringLiteral("Couldn't check for updates")
               : QStringLiteral("No se pudo buscar actualizaciones");
}

QString Updater::okText() const
{
    return LocalizationManager::shared().language() == AppLanguage::en ? QStringLiteral("OK")
                                                                        : QStringLiteral("Aceptar");
}

} // namespace orvane
