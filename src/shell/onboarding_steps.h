#pragma once

// The first-run onboarding's steps: step 0 picks the language, steps 1 to lastStep are slides.
// The screen only draws; which step shows, when Back exists and when the tour ends live here.

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class OnboardingSteps : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int step READ step NOTIFY stepChanged)
    Q_PROPERTY(int lastStep READ lastStep WRITE setLastStep NOTIFY lastStepChanged)
    Q_PROPERTY(bool canGoBack READ canGoBack NOTIFY stepChanged)
    Q_PROPERTY(bool onLastStep READ onLastStep NOTIFY stepChanged)
    // The key of the forward button's text: "onb.continue", or "onb.start" on the last step.
    Q_PROPERTY(QString continueKey READ continueKey NOTIFY stepChanged)
    Q_PROPERTY(bool done READ done NOTIFY finished)

public:
    explicit OnboardingSteps(QObject* parent = nullptr);

    int step() const { return m_step; }
    int lastStep() const { return m_lastStep; }
    // Only before the tour has moved; a negative value counts as 0.
    void setLastStep(int lastStep);
    bool canGoBack() const { return m_step >= 1; }
    bool onLastStep() const { return m_step == m_lastStep; }
    QString continueKey() const;
    bool done() const { return m_done; }

    // Forward one step; on the last step ends the tour (once, however often it is pressed).
    Q_INVOKABLE void advance();
    // Back one step; nothing on step 0.
    Q_INVOKABLE void back();
    // Step 0's cards: switches and stores the language at once; the step does not move.
    Q_INVOKABLE void chooseLanguage(const QString& code);

signals:
    void stepChanged();
    void lastStepChanged();
    void finished();

private:
    int m_step = 0;
    int m_lastStep = 3;
    bool m_done = false;
};

} // namespace orvane
