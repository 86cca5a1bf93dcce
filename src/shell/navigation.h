#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// The root view's navigation: the selected section (none = dashboard), the section the split view
// shows, and the onboarding flag. One per engine.
class Navigation : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString selectedId READ selectedId WRITE select NOTIFY selectedIdChanged)
    // Kept while the split view fades out towards the dashboard; cleared first when a section is
    // opened from the dashboard, so it starts afresh.
    Q_PROPERTY(QString shownId READ shownId NOTIFY shownIdChanged)
    Q_PROPERTY(bool onboardingDone READ onboardingDone NOTIFY onboardingDoneChanged)

public:
    static inline const QString onboardingKey = QStringLiteral("hasCompletedOnboarding");

    explicit Navigation(QObject* parent = nullptr);

    QString selectedId() const { return m_selectedId; }
    QString shownId() const { return m_shownId; }
    Q_INVOKABLE void select(const QString& sectionId);
    Q_INVOKABLE void home();
    bool onboardingDone() const { return m_onboardingDone; }
    // Persisted at once; never reset by the application.
    Q_INVOKABLE void finishOnboarding();

signals:
    void selectedIdChanged();
    void shownIdChanged();
    void onboardingDoneChanged();

private:
    QString m_selectedId;
    QString m_shownId;
    bool m_onboardingDone = false;
};

} // namespace orvane
