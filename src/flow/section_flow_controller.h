#pragma once

#include "category_model.h"
#include "model_types.h"
#include "removal.h"
#include "scan_progress.h"

#include <QColor>
#include <QFutureWatcher>
#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>

namespace orvane {

// What the flow asks of the rest of the system; tests replace parts of it.
struct FlowServices {
    std::function<std::optional<CleanupPlan>(const QString& sectionId)> plan;
    // Runs on a worker thread; reports through the progress it is given and stops when it is cancelled.
    std::function<QList<CleanupCategory>(const CleanupPlan&, ScanProgress*)> scan;
    std::function<DiskInfo()> disk;
    std::function<QList<RemovalResult>(const QList<RemovalTarget>&, RemovalStyle)> remove;
    // Puts a path on the keep-list; false when it could not be stored.
    std::function<bool(const FilePath&)> keep;
    std::function<void(const FilePath&)> reveal; // shows an item in the file manager

    static FlowServices engine();
};

// One section's cleanup flow: state, results, selection, figures and the operations that move
// them. The screens only draw these values and call the operations.
struct ScanSlot;

class SectionFlowController : public QObject
{
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(QString sectionId READ sectionId WRITE setSectionId NOTIFY sectionIdChanged)
    Q_PROPERTY(QString state READ stateName NOTIFY stateChanged)
    // While cleaning: the removal has answered, and the cleaning screen may call settle().
    Q_PROPERTY(bool removalDone READ removalDone NOTIFY removalDoneChanged)
    Q_PROPERTY(orvane::CategoryListModel* categories READ categories CONSTANT)
    Q_PROPERTY(QString removalStyle READ removalStyleName WRITE setRemovalStyleName NOTIFY removalStyleChanged)
    Q_PROPERTY(bool showDeleteConfirm READ showDeleteConfirm WRITE setShowDeleteConfirm NOTIFY showDeleteConfirmChanged)
    Q_PROPERTY(qint64 selectedTotal READ selectedTotal NOTIFY selectionChanged)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectionChanged)
    Q_PROPERTY(bool hasDisk READ hasDisk NOTIFY diskChanged)
    // Share of the volume in use, 0…1: where the introduction's ring sweeps to.
    Q_PROPERTY(double usedFraction READ usedFraction NOTIFY diskChanged)
    Q_PROPERTY(QColor accent READ accent NOTIFY sectionIdChanged)
    Q_PROPERTY(QString sectionIcon READ sectionIcon NOTIFY sectionIdChanged)
    Q_PROPERTY(bool hasPlan READ hasPlan NOTIFY sectionIdChanged)

    // Texts in the current language.
    Q_PROPERTY(QString sectionTitle READ sectionTitle NOTIFY textsChanged)
    Q_PROPERTY(QString planTitle READ planTitle NOTIFY textsChanged)
    Q_PROPERTY(QString planSubtitle READ planSubtitle NOTIFY textsChanged)
    Q_PROPERTY(QStringList planHighlights READ planHighlights NOTIFY textsChanged)
    // One line per place the plan left out and why; shown above the results.
    Q_PROPERTY(QStringList planNotes READ planNotes NOTIFY textsChanged)
    Q_PROPERTY(QString diskHeadline READ diskHeadline NOTIFY textsChanged)
    Q_PROPERTY(QString diskDetail READ diskDetail NOTIFY textsChanged)
    Q_PROPERTY(QString selectedText READ selectedText NOTIFY textsChanged)
    Q_PROPERTY(QString primaryActionText READ primaryActionText NOTIFY textsChanged)
    Q_PROPERTY(QString dialogTitle READ dialogTitle NOTIFY textsChanged)
    Q_PROPERTY(QString dialogMessage READ dialogMessage NOTIFY textsChanged)
    Q_PROPERTY(QString dialogConfirmText READ dialogConfirmText NOTIFY textsChanged)
    Q_PROPERTY(QString doneText READ doneText NOTIFY textsChanged)
    Q_PROPERTY(QStringList doneNotes READ doneNotes NOTIFY textsChanged)
    Q_PROPERTY(QStringList doneAllNotes READ doneAllNotes NOTIFY textsChanged)
    Q_PROPERTY(QStringList removalStyleNames READ removalStyleNames CONSTANT)
    Q_PROPERTY(QStringList removalStyleLabels READ removalStyleLabels NOTIFY textsChanged)
    // How far the running scan has got, read a few times a second: what it looks at, and what it
    // has seen and read so far. Empty when there is nothing to say yet.
    Q_PROPERTY(QString scanSourceText READ scanSourceText NOTIFY scanProgressChanged)
    Q_PROPERTY(QString scanCountsText READ scanCountsText NOTIFY scanProgressChanged)

public:
    explicit SectionFlowController(QObject* parent = nullptr);
    SectionFlowController(const QString& sectionId, FlowServices services, QObject* parent = nullptr);
    ~SectionFlowController() override;

    QString sectionId() const { return m_sectionId; }
    // The section is fixed once set: another section gets another controller.
    void setSectionId(const QString& id);

    ScanState scanState() const { return m_state; }
    QString stateName() const;
    bool removalDone() const { return m_state == ScanState::cleaning && m_removalDone; }
    CategoryListModel* categories() const { return m_categories; }
    RemovalStyle removalStyle() const { return m_removalStyle; }
    QString removalStyleName() const { return rawValue(m_removalStyle); }
    void setRemovalStyle(RemovalStyle style);
    void setRemovalStyleName(const QString& name);
    bool showDeleteConfirm() const { return m_showDeleteConfirm; }
    void setShowDeleteConfirm(bool show);
    qint64 selectedTotal() const { return m_categories->selectedTotal(); }
    bool hasSelection() const { return selectedTotal() > 0; }
    bool hasDisk() const { return m_disk.has_value(); }
    double usedFraction() const { return m_disk ? m_disk->usedFraction() : 0.0; }
    QColor accent() const;
    QString sectionIcon() const;
    bool hasPlan() const { return m_plan.has_value(); }

    QString sectionTitle() const;
    QString planTitle() const;
    QString planSubtitle() const;
    QStringList planHighlights() const;
    QStringList planNotes() const;
    QString diskHeadline() const;
    QString diskDetail() const;
    QString selectedText() const;
    QString primaryActionText() const;
    QString dialogTitle() const;
    QString dialogMessage() const;
    QString dialogConfirmText() const;
    QString doneText() const;
    // What stayed after the last removal and why, a few lines at most ("and N more" last).
    QStringList doneNotes() const;
    // Every line of it, for the list that "and N more" opens.
    QStringList doneAllNotes() const;
    QStringList removalStyleNames() const;
    QStringList removalStyleLabels() const;
    QString scanSourceText() const;
    QString scanCountsText() const;

    Q_INVOKABLE void startScan();
    // Stops the running scan: its threads wind down, nothing it found is shown, back to the start.
    Q_INVOKABLE void cancelScan();
    Q_INVOKABLE void requestClean();   // opens the confirmation while something is selected
    Q_INVOKABLE void cancelClean();    // closes it
    Q_INVOKABLE void performClean();
    // Cleaning → done, once the removal has answered; the cleaning screen calls it when its
    // motion has run, so how long that screen stays is the screen's own business.
    Q_INVOKABLE void settle();
    Q_INVOKABLE void back();
    Q_INVOKABLE void refreshDisk();
    Q_INVOKABLE void toggleFile(const QString& categoryId, const QString& fileId);
    Q_INVOKABLE void revealFile(const QString& categoryId, const QString& fileId);
    Q_INVOKABLE void toggleAll(const QString& categoryId);
    // "Never offer this": the file goes on the keep-list and leaves the results.
    Q_INVOKABLE void keepFile(const QString& categoryId, const QString& fileId);
    Q_INVOKABLE void toggleExpanded(const QString& categoryId);

signals:
    void sectionIdChanged();
    void stateChanged();
    void removalDoneChanged();
    void removalStyleChanged();
    void showDeleteConfirmChanged();
    void selectionChanged();
    void diskChanged();
    void textsChanged();
    void scanProgressChanged();

private:
    void setState(ScanState state);
    void scanFinished();
    void pollProgress();
    void removalFinished();
    void loadPlan();

    QString m_sectionId;
    FlowServices m_services;
    ScanState m_state = ScanState::idle;
    CategoryListModel* m_categories;
    RemovalStyle m_removalStyle = RemovalStyle::permanent;
    bool m_showDeleteConfirm = false;
    std::optional<CleanupPlan> m_plan; // in the current language, made again when it changes
    std::optional<DiskInfo> m_disk;

    // What a removal worker hands back: the targets it made of the selection, what went, and the
    // results as they stand afterwards (worked out there, so nothing grows on the GUI thread).
    // Whether the confirmation deletes everything for good though the style is the Trash
    // (everything selected is already in a Trash); the part already in a Trash otherwise.
    bool confirmsDeletion() const;

    struct Removal {
        QList<RemovalTarget> targets;
        QList<RemovalResult> results;
        FilePaths kept; // copies kept as the last of their duplicate group
        PreparedResults left;
    };

    QFutureWatcher<PreparedResults> m_scanWatcher;
    std::shared_ptr<ScanProgress> m_progress; // of the running scan; shared with its worker
    std::shared_ptr<ScanSlot> m_scanSlot; // the running scan's place in the pool
    QTimer m_progressTimer;
    int m_progressSource = -1;
    qint64 m_progressFiles = 0;
    qint64 m_progressBytes = 0;
    QFutureWatcher<Removal> m_removeWatcher;
    bool m_removalDone = false;
    QList<RemovalTarget> m_lastTargets;
    QList<RemovalResult> m_lastResults;
    FilePaths m_lastKept;
    RemovalStyle m_lastStyle = RemovalStyle::permanent;
    std::optional<PreparedResults> m_left; // the results as the removal left them
};

} // namespace orvane
