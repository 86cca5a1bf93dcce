#pragma once

#include "model_types.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// The home dashboard's disk figures. The ring's sweep towards `usedFraction` is the screen's.
class DashboardController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // 0 until the first refresh, so the ring sweeps up from empty.
    Q_PROPERTY(double usedFraction READ usedFraction NOTIFY diskChanged)
    Q_PROPERTY(QString percentText READ percentText NOTIFY diskChanged)
    Q_PROPERTY(QString freeText READ freeText NOTIFY textsChanged)
    Q_PROPERTY(QString summaryText READ summaryText NOTIFY textsChanged)

public:
    explicit DashboardController(QObject* parent = nullptr);

    double usedFraction() const;
    QString percentText() const;
    QString freeText() const;
    QString summaryText() const;

    // Reads the disk again.
    Q_INVOKABLE void refresh();

signals:
    void diskChanged();
    void textsChanged();

private:
    DiskInfo m_disk;
};

} // namespace orvane
