#include "onboarding.h"

#include "app_config.h"
#include "app_language.h"
#include "desktop_services.h"
#include "localization_manager.h"

#include <QUrl>
#include <QVariantMap>

namespace orvane {

OnboardingSteps::OnboardingSteps(QObject* parent)
    : QObject(parent)
{
}

void OnboardingSteps::setLastStep(int lastStep)
{
    lastStep = qMax(0, lastStep);
    if (lastStep == m_lastStep || m_step != 0)
        return;
    m_lastStep = lastStep;
    emit lastStepChanged();
    emit stepChanged(); // onLastStep and the button text may have moved
}

QString OnboardingSteps::continueKey() const
{
    return onLastStep() ? QStringLiteral("onb.start") : QStringLiteral("onb.continue");
}

void OnboardingSteps::advance()
{
    if (m_done)
        return;
    if (m_step < m_lastStep) {
        ++m_step;
        emit stepChanged();
        return;
    }
    m_done = true;
    emit finished();
}

void OnboardingSteps::back()
{
    if (m_done || m_step == 0)
        return;
    --m_step;
    emit stepChanged();
}

void OnboardingSteps::chooseLanguage(const QString& code)
{
    LocalizationManager::shared().setLanguageCode(code);
}

QVariantList LanguageOptions::all()
{
    QVariantList list;
    for (AppLanguage language : allLanguages)
        list.append(QVariantMap{{QStringLiteral("code"), rawValue(language)},
                                {QStringLiteral("flag"), flag(language)},
                                {QStringLiteral("name"), nativeName(language)}});
    return list;
}

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
