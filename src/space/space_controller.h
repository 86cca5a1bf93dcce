#pragma once

// State of the space explorer: the drill-down path, the rows of the folder shown and the volume
// figures. Every list is computed on a worker thread; a result that arrives after the user has
// moved on is dropped.

#include "model_types.h"
#include "removal.h"
#include "scan_progress.h"

#include <QAbstractListModel>
#include <QFutureWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace orvane {

// Where the figures come from and how an item is shown in the file manager; tests replace them.
struct SpaceBackend {
    std::function<DiskInfo()> diskInfo;
    // Both count what they meet in the progress they are given and stop once it is cancelled.
    std::function<QList<SpaceEntry>(ScanProgress*)> topLevelEntries;
    std::function<QList<SpaceEntry>(const FilePath&, ScanProgress*)> childEntries;
    std::function<void(const FilePath&)> reveal;
    // The plans' own executor (run on a worker thread) and the keep-list.
    std::function<QList<RemovalResult>(const QList<RemovalTarget>&, RemovalStyle)> remove;
    std::function<bool(const FilePath&)> keep;

    // The engine's measurements and the desktop's file manager.
    static SpaceBackend system();
};

class SpaceEntriesModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by SpaceController")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum class Role {
        name = Qt::UserRole + 1,
        icon,          // symbol name: "folder" or "doc"
        sizeInBytes,
        formattedSize, // in the current language
        fraction,      // size / largest size in the list, 0..1: the row's bar
        isDirectory,
        path,          // readable absolute path
        iconSource,    // image provider address of the item's own icon (its file type's)
        selected,      // ticked for removal
    };
    Q_ENUM(Role)

    explicit SpaceEntriesModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_entries.size()); }
    const QList<SpaceEntry>& entries() const { return m_entries; }
    void setEntries(const QList<SpaceEntry>& entries);
    bool isSelected(int row) const { return m_selected.contains(row); }
    void setSelected(int row, bool selected);
    const QSet<int>& selectedRows() const { return m_selected; }

signals:
    void countChanged();

private:
    QList<SpaceEntry> m_entries;
    QSet<int> m_selected;
    qint64 m_largest = 1;
};

class SpaceController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(orvane::SpaceEntriesModel* entries READ entries CONSTANT)
    Q_PROPERTY(double usedFraction READ usedFraction NOTIFY diskChanged)
    // "space.usedOfTotal" filled in with the three figures, in the current language.
    Q_PROPERTY(QString usageText READ usageText NOTIFY usageTextChanged)
    Q_PROPERTY(bool atTopLevel READ atTopLevel NOTIFY pathChanged)
    Q_PROPERTY(int depth READ depth NOTIFY pathChanged)
    Q_PROPERTY(QString currentFolderName READ currentFolderName NOTIFY pathChanged)
    Q_PROPERTY(QString currentFolder READ currentFolder NOTIFY pathChanged)
    // While a list is measured: how many files it has met so far, in the current language.
    Q_PROPERTY(QString progressText READ progressText NOTIFY progressTextChanged)
    // Ticked rows, to move to the Trash or delete with the plans' confirmation and executor.
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY selectionChanged)
    Q_PROPERTY(QString selectedText READ selectedText NOTIFY selectionChanged)
    Q_PROPERTY(bool showConfirm READ showConfirm NOTIFY confirmChanged)
    Q_PROPERTY(bool confirmsDeletion READ confirmsDeletion NOTIFY confirmChanged)
    Q_PROPERTY(QString confirmTitle READ confirmTitle NOTIFY confirmChanged)
    Q_PROPERTY(QString confirmMessage READ confirmMessage NOTIFY confirmChanged)
    Q_PROPERTY(bool removing READ removing NOTIFY removingChanged)
    // What the last removal did ("You freed …"), and what stayed and why; empty before any.
    Q_PROPERTY(QString doneText READ doneText NOTIFY doneTextChanged)

public:
    explicit SpaceController(QObject* parent = nullptr);
    explicit SpaceController(SpaceBackend backend, QObject* parent = nullptr);

    bool loading() const { return m_loading; }
    SpaceEntriesModel* entries() { return &m_entries; }
    double usedFraction() const { return m_disk.usedFraction(); }
    QString usageText() const;
    bool atTopLevel() const { return m_path.isEmpty(); }
    int depth() const { return int(m_path.size()); }
    QString currentFolderName() const;
    QString currentFolder() const;
    QString progressText() const { return m_progressText; }
    int selectedCount() const { return int(m_entries.selectedRows().size()); }
    QString selectedText() const;
    bool showConfirm() const { return m_confirmStyle.has_value(); }
    bool confirmsDeletion() const { return m_confirmStyle == RemovalStyle::permanent; }
    QString confirmTitle() const;
    QString confirmMessage() const;
    bool removing() const { return m_removing; }
    QString doneText() const { return m_doneText; }

    ~SpaceController() override;

    // Measures the level shown again: the volume and the home folders at the top, else the folder.
    Q_INVOKABLE void reload();
    // A folder row drills into it; a file row shows the file in the file manager.
    // Ignored while a list is loading: the rows on screen belong to the previous level.
    Q_INVOKABLE void activate(int row);
    // One level up; nothing at the top.
    Q_INVOKABLE void back();
    Q_INVOKABLE void revealCurrentFolder();
    // Ticks or clears a row for removal.
    Q_INVOKABLE void toggleSelected(int row);
    // Asks to move the ticked rows to the Trash (or delete them for good); the confirmation
    // then removes them through the executor, and the level and the volume are measured again.
    Q_INVOKABLE void requestRemoval(bool permanent);
    Q_INVOKABLE void confirmRemoval();
    Q_INVOKABLE void cancelRemoval();
    // Puts the row's item on the keep-list: no plan offers it again.
    Q_INVOKABLE void keep(int row);

signals:
    void loadingChanged();
    void diskChanged();
    void usageTextChanged();
    void pathChanged();
    void progressTextChanged();
    void selectionChanged();
    void confirmChanged();
    void removingChanged();
    void doneTextChanged();
    // A removal has ended (its list is being measured again).
    void removed();
    // A list (and at the top level the volume figures) has been put on screen.
    void loaded();

private:
    struct LoadResult {
        quint64 generation = 0;
        bool topLevel = true;
        bool hasDisk = false;
        DiskInfo disk;
        QList<SpaceEntry> entries;
    };

    struct RemovalRun {
        QList<RemovalTarget> targets;
        QList<RemovalResult> results;
        RemovalStyle style = RemovalStyle::trash;
    };

    void apply();
    void applyRemoval();
    void setLoading(bool loading);
    void updateProgress();
    QList<RemovalTarget> selectedTargets() const;

    SpaceBackend m_backend;
    SpaceEntriesModel m_entries;
    DiskInfo m_disk;
    FilePaths m_path;
    bool m_loading = true;
    quint64 m_generation = 0;
    QFutureWatcher<LoadResult> m_watcher;
    // The progress of the list being measured; cancelled when the user moves on or leaves.
    std::shared_ptr<ScanProgress> m_progress;
    QTimer m_progressTimer;
    QString m_progressText;
    std::optional<RemovalStyle> m_confirmStyle;
    bool m_removing = false;
    bool m_diskAfterRemoval = false;
    QString m_doneText;
    QFutureWatcher<RemovalRun> m_removalWatcher;
};

} // namespace orvane
