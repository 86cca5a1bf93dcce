#pragma once

// Checks an update feed for a newer release: once at launch and then daily on its own, and
// whenever the user asks. The screens turn its signals into dialogs; a download opens the
// release page in the browser.

#include "appcast.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class QNetworkReply;
class QQmlEngine;
class QJSEngine;

namespace orvane {

class Updater : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString currentVersion READ currentVersion CONSTANT)
    // False in builds whose updates come from the system's package manager: no checks at all.
    Q_PROPERTY(bool enabled READ enabled NOTIFY enabledChanged)

public:
    // A slow, huge or broken feed must never hold anything up.
    struct Limits {
        int transferTimeoutMs = 15000;         // no byte arrived for this long
        int totalTimeoutMs = 30000;            // the whole request
        qint64 maxFeedBytes = 2 * 1024 * 1024; // a feed is a few kilobytes
        int checkIntervalMs = 24 * 60 * 60 * 1000;
    };

    enum class Failure { network, timeout, httpStatus, tooLarge, malformed, noItems };
    Q_ENUM(Failure)

    Updater(const QUrl& feedUrl, const QString& currentVersion, QObject* parent = nullptr);

    // The application's one updater: applies the chosen language to the system first, then
    // starts automatic checks against the configured feed (or the one named by the environment
    // variable ORVANE_UPDATE_FEED, for trying a feed out). Lives as long as the application.
    static Updater& shared();
    static Updater* create(QQmlEngine*, QJSEngine*);

    void setLimits(const Limits& limits) { m_limits = limits; }
    const Limits& limits() const { return m_limits; }
    QUrl feedUrl() const { return m_feedUrl; }
    QString currentVersion() const { return m_currentVersion; }
    bool enabled() const { return m_enabled; }
    // Stops the automatic checks when turned off; the shared updater takes the build's choice.
    void setEnabled(bool enabled);
    bool automaticChecksActive() const { return m_timer.isActive(); }

    // A check now, then one every checkIntervalMs. Their failures and "up to date" stay silent.
    void startAutomaticChecks();
    void stopAutomaticChecks();

    // A check the user asked for: every outcome is reported. While a check is already running it
    // joins that one instead of starting another.
    Q_INVOKABLE void checkForUpdates();

    // Opens the page of the release last announced by updateAvailable; false when there is none.
    Q_INVOKABLE bool openDownloadPage() const;

    // Short text for a failure, in the current language.
    static QString failureMessage(Failure failure, int httpStatus = 0);
    // The updater's own words for its dialogs, in the current language: the heading of a failed
    // check and the button that closes a report.
    Q_INVOKABLE QString failureTitle() const;
    Q_INVOKABLE QString okText() const;

signals:
    void enabledChanged();
    void updateAvailable(const QString& newVersion, const QString& currentVersion, const QUrl& pageUrl);
    void upToDate();             // only for checks the user asked for
    void checkFailed(const QString& message); // only for checks the user asked for
    // Every finished check, with what it found; for diagnostics and tests.
    void checkFinished(bool userInitiated);

private:
    void startCheck(bool userInitiated);
    void onReadyRead();
    void onFinished();
    void abortWith(Failure failure);
    void finish();
    void fail(Failure failure, int httpStatus = 0);

    QUrl m_feedUrl;
    QString m_currentVersion;
    bool m_enabled = true;
    Limits m_limits;
    QNetworkAccessManager m_network;
    QTimer m_timer;     // automatic checks
    QTimer m_deadline;  // the running request
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    std::optional<Failure> m_abortReason;
    bool m_userInitiated = false;
    QUrl m_offeredPage;
};

} // namespace orvane
