// The folder tree's item delegate: a finished edit of a node's text is handed to the tree as a
// rename request instead of being written into the item.
#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace kelvara::foldertree {

class FolderTreeRenameDelegate : public QStyledItemDelegate {
  public:
    using Commit = std::function<void(const QModelIndex& index, const QString& text)>;
    FolderTreeRenameDelegate(Commit commit, QObject* parent);

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  private:
    Commit commit_;
};

}  // namespace kelvara::foldertree
