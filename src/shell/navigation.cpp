#include "navigation.h"

#include <QSettings>

namespace orvane {

Navigation::Navigation(QObject* parent)
    : QObject(parent)
    , m_onboardingDone(QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane")).value(onboardingKey, false).toBool())
{
}

void Navigation::select(const QString& sectionId)
{
    if (sectionId == m_selectedId)
        return;
    const bool fromDashboard = m_selectedId.isEmpty();
    m_selectedId = sectionId;
    emit selectedIdChanged();
    if (sectionId.isEmpty())
        return;
    if (fromDashboard && !m_shownId.isEmpty()) {
        m_shownId.clear();
        emit shownIdChanged();
    }
    if (m_shownId != sectionId) {
        m_shownId = sectionId;
        emit shownIdChanged();
    }
}

void Navigation::home()
{
    select(QString());
}

void Navigation::finishOnboarding()
{
    QSettings settings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
    settings.setValue(onboardingKey, true);
    settings.sync();
    if (!m_onboardingDone) {
        m_onboardingDone = true;
        emit onboardingDoneChanged();
    }
}

} // namespace orvane
