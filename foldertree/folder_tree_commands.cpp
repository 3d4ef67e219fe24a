// The folder tree's own context menu (open, rename, delete) and its mouse handling.
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <memory>

#include "foldertree/folder_tree_view.h"
#include "platform/file_system.h"

namespace kelvara::foldertree {

void TFolderTreeView::OpenSelected() {
    if (const TFolderTreeNode* node = Selected(); node && OpenFile)
        OpenFile(PathText(node->Path()));
}

void TFolderTreeView::RenameSelected() {
    TFolderTreeNode* node = Selected();
    if (!node || node->IsTop())
        return;
    scrollToItem(node);
    editItem(node, 0);
}

void TFolderTreeView::CommitRename(const QModelIndex& index, const QString& text) {
    auto* node = static_cast<TFolderTreeNode*>(itemFromIndex(index));
    RunReportingErrors([&] { RenameNode(node, text); });
}

void TFolderTreeView::RenameNode(TFolderTreeNode* node, const QString& newName) {
    // The top node stands for the root itself; renaming it would part it from Root().
    if (!node || node->IsTop())
        return;
    const std::string name = TextPath(newName);
    if (name.empty() || name == node->Name())
        return;
    const TFolderTreeNode* parent = node->ParentNode();
    const bool plainName = name != "." && name != ".." && name.find('/') == std::string::npos;
    if (!parent || !plainName ||
        !platform::RenameWithoutReplacing(node->Path(), platform::JoinPath(parent->Path(), name)))
        throw EFolderTreeError("Rename to " + name + " failed");
    node->SetName(name);
    SetNodeIcon(node, node->Path());
    // The node's path and those below it changed: watch them under their new names.
    UpdateNotifier();
    emit ItemsChanged();
}

void TFolderTreeView::DeleteSelected() {
    TFolderTreeNode* node = Selected();
    if (!node)
        return;
    const QString question = tr("Удалить \"%1\"?").arg(node->Text());
    if (!ConfirmDelete || !ConfirmDelete(question))
        return;
    const std::string path = node->Path();
    if (!platform::RemoveWithContents(path)) {
        // Part of a folder may be gone: show what is left.
        if (node->IsFolder())
            RefreshNode(node);
        throw EFolderTreeError("Delete of " + path + " failed");
    }
    // Taken out of the tree first: the selection moves on (and the watched folders are worked
    // out again) while the node is still whole, not from inside its destructor.
    if (QTreeWidgetItem* parent = node->parent())
        parent->removeChild(node);
    else
        takeTopLevelItem(indexOfTopLevelItem(node));
    delete node;
    emit ItemsChanged();
}

void TFolderTreeView::RunReportingErrors(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        if (ShowError)
            ShowError(QString::fromStdString(e.what()));
    }
}

QMenu* TFolderTreeView::CreateContextMenu() {
    auto* menu = new QMenu(this);
    menu->addAction(tr("&Открыть"), this,
                    [this] { RunReportingErrors([this] { OpenSelected(); }); });
    QAction* rename = menu->addAction(tr("&Переименовать"), this, [this] { RenameSelected(); });
    rename->setEnabled(Selected() && !Selected()->IsTop());
    menu->addAction(tr("&Удалить"), this,
                    [this] { RunReportingErrors([this] { DeleteSelected(); }); });
    return menu;
}

void TFolderTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && !rightClickSelect_) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TFolderTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !itemAt(event->position().toPoint()))
        return;
    if (OnClick)
        OnClick();
    emit Click();
}

void TFolderTreeView::contextMenuEvent(QContextMenuEvent* event) {
    if (!autoContextMenus_) {
        QTreeWidget::contextMenuEvent(event);
        return;
    }
    if (!Selected())
        return;
    std::unique_ptr<QMenu> menu(CreateContextMenu());
    menu->exec(event->globalPos());
}

}  // namespace kelvara::foldertree
