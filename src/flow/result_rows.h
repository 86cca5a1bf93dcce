#pragma once

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class CategoryListModel;

// The results as the screen lists them: each category's header, followed by its files while it
// is open. One list, so the view makes only the rows it shows, however many files a category
// holds. Every change goes through the CategoryListModel, which tells this model what moved.
class ResultRowsModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the category model")

public:
    enum class Role {
        isHeader = Qt::UserRole + 1,
        category,     // the category's position
        file,         // the file's position in its category, -1 on a header
        cardEnd,      // the last row of its category's card
        categoryId,
        name,
        icon,
        elementsText,
        totalSizeText,
        checkState,   // of a header's box, as Qt::CheckState
        expanded,
        showsFolders,
        fileId,
        sizeText,
        selected,
        leftoversText, // empty when the item has no extra locations
        leftoversList, // the leftovers' paths, one a line after a heading ("~" for the home); empty when none
        iconSource,    // image provider address of the item's icon
        folder,        // the folder it lies in, "~" for the home
        accessibleName, // of a file: name, folder, size and leftovers, for screen readers
    };
    Q_ENUM(Role)

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The row of category `category`'s header (`file` -1) or of one of its files, or -1.
    Q_INVOKABLE int rowAt(int category, int file) const;

private:
    friend class CategoryListModel;
    explicit ResultRowsModel(CategoryListModel* owner);
    int categoryOfRow(int row) const;
    int rowsOf(int category) const;
    void reset();
    void headerChanged(int category, const QList<int>& roles);
    void filesChanged(int category, int first, int last, const QList<int>& roles);
    void expandedChanged(int category);
    void textsChanged();

    const CategoryListModel* m_owner;
    QList<int> m_starts; // the header row of each category, then the row count
};

} // namespace orvane
