#include "onboarding_steps.h"

#include "localization_manager.h"

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

} // namespace orvane
