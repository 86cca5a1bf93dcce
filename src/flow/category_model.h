#pragma once

#include "model_types.h"

#include <QAbstractListModel>
#include <QHash>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace orvane {

// The files of one category, edited in place by the selection operations.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the flow controller")

public:
    enum class Role {
        fileId = Qt::UserRole + 1,
        name,
        path,         // readable text of the location
        sizeInBytes,
        sizeText,
        selected,
        leftoverCount,
        leftoversText, // empty when the item has no extra locations
        iconSource,    // image provider address of the item's icon
    };
    Q_ENUM(Role)

    explicit FileListModel(QList<CleanupFile> files, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<CleanupFile>& files() const { return m_files; }
    int rowOf(const QString& fileId) const;
    void setSelected(int row, bool selected);
    void setAllSelected(bool selected);
    // Replaces row `row` with `file` (same identity), or removes it.
    void updateRow(int row, const CleanupFile& file);
    void removeRow(int row);
    void refreshTexts();

private:
    QList<CleanupFile> m_files;
};

// The scan's categories in the order delivered; each row carries its own FileListModel.
class CategoryListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the flow controller")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum class Role {
        categoryId = Qt::UserRole + 1,
        name,
        icon,
        files,        // FileListModel*
        fileCount,
        elementsText,
        totalSize,
        totalSizeText,
        selectedSize,
        checkState,   // symbol name of the box: "checkmark.square.fill", "square", "minus.square.fill"
        expanded,
    };
    Q_ENUM(Role)

    explicit CategoryListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    void reset(const QList<CleanupCategory>& categories);
    // The current contents as plain values, files included.
    QList<CleanupCategory> categories() const;
    qint64 selectedTotal() const;

    int rowOf(const QString& categoryId) const;
    FileListModel* filesAt(int row) const;

    bool toggleFile(const QString& categoryId, const QString& fileId);
    bool toggleAll(const QString& categoryId);
    bool toggleExpanded(const QString& categoryId);

    // After a removal: `gone` holds every location that went. An item leaves the results when its
    // location and all its extra locations went; an item of which only part went stays with what
    // is left (and the sizes of what is left). `partly` holds the locations that went in part,
    // with the bytes that stayed: they stay with that size. Categories left without items leave too.
    void applyRemoval(const QSet<FilePath>& gone, const QHash<FilePath, qint64>& partly = {});

    void refreshTexts();

signals:
    void countChanged();
    void selectionChanged();

private:
    struct Row {
        QUuid id;
        QString name;
        QString icon;
        bool expanded = false;
        FileListModel* files = nullptr;
    };
    void categoryChanged(int row, const QList<int>& roles);
    static QString checkStateOf(const QList<CleanupFile>& files);

    QList<Row> m_rows;
};

// Symbol name of a category's box for its files' selection.
QString categoryCheckState(const QList<CleanupFile>& files);

} // namespace orvane
