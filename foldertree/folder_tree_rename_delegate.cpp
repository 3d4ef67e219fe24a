#include "foldertree/folder_tree_rename_delegate.h"

#include <QLineEdit>

namespace kelvara::foldertree {

FolderTreeRenameDelegate::FolderTreeRenameDelegate(Commit commit, QObject* parent)
    : QStyledItemDelegate(parent), commit_(std::move(commit)) {}

void FolderTreeRenameDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                            const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        commit_(index, line->text());
}

}  // namespace kelvara::foldertree
