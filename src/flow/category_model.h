#pragma once

#include "model_types.h"
#include "result_rows.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

#include <functional>

namespace orvane {

// A scan result made ready for the screen on a worker thread: the categories as delivered and
// every figure the screen shows of them, so putting them on screen costs nothing that grows with
// the result.
struct PreparedResults {
    struct Totals {
        qint64 total = 0;         // every file, selected or not
        qint64 selected = 0;      // selected files only
        qsizetype selectedCount = 0;
        qint64 forGood = 0;       // of the selected files: see forGood below
    };
    QList<CleanupCategory> categories;
    QList<Totals> totals; // one per category
    // What removal takes of the selection: a duplicate group whose every copy is selected keeps
    // its first copy, which is not counted here.
    qint64 selectedTotal = 0;
    int groupsKeepingCopy = 0; // such groups
    // Per category and file: the bytes that go for good even when the style is the Trash (what
    // is already in a Trash, an app its package tool uninstalls); and their sum over the selection.
    QList<QList<qint64>> forGood;
    qint64 selectedForGood = 0;
    // Per category: whether its rows say which folder each item lies in (duplicate copies,
    // items from more than one folder).
    QList<bool> showsFolders;

    static PreparedResults from(QList<CleanupCategory> categories);

    // Index of the copy category `row` keeps although every copy is selected, or -1.
    qsizetype keptCopy(int row) const;
    // The category's selected bytes and bytes for good as removal takes them.
    qint64 countedSelected(int row) const;
    qint64 countedForGood(int row) const;
};

// The scan's categories in the order delivered. Selection, tri-state and every total are kept
// up to date here as the selection changes, so reading one costs the same for 10 files as for
// 100,000.
class CategoryListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the flow controller")
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    // Headers and open categories' files in one list, for the results screen.
    Q_PROPERTY(orvane::ResultRowsModel* rows READ rows CONSTANT)

public:
    enum class Role {
        categoryId = Qt::UserRole + 1,
        name,
        icon,
        fileCount,
        elementsText,
        totalSize,
        totalSizeText,
        selectedSize,
        // Qt::CheckState of the box. A duplicate group's box stands for the copies that can go
        // (all but the first): checked when they all are selected.
        checkState,
        expanded,
        showsFolders,
    };
    Q_ENUM(Role)

    explicit CategoryListModel(QObject* parent = nullptr);
    ~CategoryListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_results.categories.size()); }
    ResultRowsModel* rows() const { return m_rows; }
    // Puts a prepared result on screen; the previous one is released on a worker thread.
    void reset(PreparedResults results);
    void clear() { reset(PreparedResults()); }
    // The current contents as plain values (shared, not copied: cheap to hand to a worker).
    QList<CleanupCategory> categories() const { return m_results.categories; }
    qint64 selectedTotal() const { return m_results.selectedTotal; }
    // Of the selection: the bytes deleted for good even when the style is the Trash.
    qint64 selectedForGood() const { return m_results.selectedForGood; }
    // Duplicate groups whose every copy is selected (each keeps its first copy), and the first of them.
    int groupsKeepingCopy() const { return m_results.groupsKeepingCopy; }
    int firstRowKeepingCopy() const;
    int fileCount() const;

    int rowOf(const QString& categoryId) const;
    // For moving through the results by keyboard: category `row` and its file `file` by position.
    Q_INVOKABLE QString categoryIdAt(int row) const;
    Q_INVOKABLE QString fileIdAt(int row, int file) const;
    Q_INVOKABLE int fileCountAt(int row) const;
    Q_INVOKABLE bool isExpandedAt(int row) const;
    // The header of category `row` (id, name, icon, texts, check state), empty when there is none.
    Q_INVOKABLE QVariantMap headerAt(int row) const;
    // What a screen reader says of a header (`file` -1) or a row: name, figures, selection.
    Q_INVOKABLE QString describeAt(int row, int file) const;
    // The item's location, or empty when there is no such file.
    FilePath locationOf(const QString& categoryId, const QString& fileId) const;

    bool toggleFile(const QString& categoryId, const QString& fileId);
    bool toggleAll(const QString& categoryId);
    bool toggleExpanded(const QString& categoryId);

    // After a removal: `gone` holds every location that went. An item leaves the results when its
    // location and all its extra locations went; an item of which only part went stays with what
    // is left (and the sizes of what is left). Categories left without items leave too.
    // `withoutRemoved` works that out on any thread; applyRemoval puts it on screen.
    // `partly` holds the locations that went in part, with the bytes that stayed: they stay with that size.
    static PreparedResults withoutRemoved(const QList<CleanupCategory>& categories, const QSet<FilePath>& gone,
                                          const QHash<FilePath, qint64>& partly = {});
    void applyRemoval(const QSet<FilePath>& gone, const QHash<FilePath, qint64>& partly = {});

    void refreshTexts();

signals:
    void countChanged();
    void selectionChanged();

private:
    friend class ResultRowsModel;
    QVariant headerRole(int row, ResultRowsModel::Role role) const;
    QVariant fileRole(int row, int file, ResultRowsModel::Role role) const;
    // Gives files [first, last] of category `row` the selection `wanted(i)`.
    void setSelected(int row, int first, int last, const std::function<bool(int)>& wanted);
    void categoryChanged(int row, const QList<int>& roles);
    Qt::CheckState checkStateAt(int row) const;

    PreparedResults m_results;
    FilePath m_home; // for the folder texts, read once per result
    ResultRowsModel* m_rows;
};

} // namespace orvane
