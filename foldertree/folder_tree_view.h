// A tree over a folder of the file system: one top node for the root folder, children read
// only when a node is first expanded, folders before files, and an optional change notifier
// that keeps the shown folders in step with the disk.
#pragma once

#include <QString>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foldertree/folder_change_notifier.h"
#include "foldertree/folder_listing.h"
#include "foldertree/folder_tree_error.h"
#include "foldertree/folder_tree_node.h"

class QMenu;

namespace kelvara::foldertree {

class TFolderTreeView : public QTreeWidget {
    Q_OBJECT

  public:
    // Starts rooted at "rfDesktop" (the home folder).
    explicit TFolderTreeView(QWidget* parent = nullptr);
    ~TFolderTreeView() override;

    // The root: a folder path or the special name "rfDesktop". Setting a value equal to the
    // current one without regard to case does nothing. Otherwise the tree is rebuilt with one
    // top node, expanded one level and selected. A value that names no folder throws
    // EFolderTreeError "Error setting path: "<value>"" after the tree was rebuilt for the
    // previous root, which Root() still returns.
    QString Root() const { return root_; }
    void SetRoot(const QString& root);
    // The folder the root resolved to.
    const std::string& RootFolder() const { return rootFolder_; }

    // Changing the listed types or the images rebuilds the tree.
    ObjectTypeSet ObjectTypes() const { return objectTypes_; }
    void SetObjectTypes(ObjectTypeSet types);
    bool UseShellImages() const { return useShellImages_; }
    void SetUseShellImages(bool on);
    // Keeps a change notifier on the root folder, every expanded folder that is shown, the
    // selected folder and the folder of a selected file; a folder that changes is read again
    // and the difference applied. When the system's watches run out (or MaxFolderWatches),
    // only the selected node's path is watched (the root folder when nothing is selected).
    bool AutoRefresh() const { return autoRefresh_; }
    void SetAutoRefresh(bool on);
    // The most folders watched at once before falling back to the selected node; 0 (the
    // default) leaves it to the system.
    size_t MaxFolderWatches() const { return maxFolderWatches_; }
    void SetMaxFolderWatches(size_t count);
    bool RightClickSelect() const { return rightClickSelect_; }
    void SetRightClickSelect(bool on) { rightClickSelect_ = on; }
    bool AutoContextMenus() const { return autoContextMenus_; }
    void SetAutoContextMenus(bool on) { autoContextMenus_ = on; }
    // Lines and expand buttons at the top level.
    bool ShowRoot() const { return rootIsDecorated(); }
    void SetShowRoot(bool on) { setRootIsDecorated(on); }
    int Indent() const { return indentation(); }
    void SetIndent(int pixels) { setIndentation(pixels); }

    TFolderTreeNode* TopNode() const;
    TFolderTreeNode* Selected() const;
    void SetSelected(TFolderTreeNode* node);
    // The node whose path is path, or null.
    TFolderTreeNode* FindNode(const std::string& path) const;

    // The current notifier, or null when AutoRefresh is off.
    const TFolderChangeNotifier* Notifier() const { return notifier_.get(); }

    // Re-reads the node's folder and those of the expanded folders below it; expanded folders
    // stay expanded, the selection and the top visible node stay where they were.
    void RefreshNode(TFolderTreeNode* node);
    // Re-reads each of the folders (paths of folder nodes; others are skipped) once and applies
    // the difference: new items appear in sorted position, vanished ones go, the others keep
    // their nodes with their expansion. A folder that is gone is dropped from its parent. A
    // selected item that went is replaced by its nearest remaining ancestor.
    void RefreshFolders(const std::vector<std::string>& folders);

    // How many folder listings the tree has read, first expansions and refreshes alike.
    size_t FoldersListed() const { return foldersListed_; }

    // The context menu's commands, on the selected node.
    void OpenSelected();
    // Starts editing the selected node's text; committing the edit renames the item.
    void RenameSelected();
    // Throws EFolderTreeError "Rename to <name> failed"; never replaces an existing item.
    // The top node cannot be renamed and keeps its text.
    void RenameNode(TFolderTreeNode* node, const QString& newName);
    // Asks ConfirmDelete, deletes the item (a folder with its contents) and removes the node
    // once nothing is left on disk. Throws EFolderTreeError when the item stays.
    void DeleteSelected();

    // Runs on every left mouse click on a node, after the click selected it.
    std::function<void()> OnClick;
    // Answers the delete confirmation; the default shows a "Confirm" message box.
    std::function<bool(const QString& question)> ConfirmDelete;
    // Opens a file or folder with its default application; the default asks the desktop.
    std::function<void(const QString& path)> OpenFile;
    // Shows errors of the menu commands and of renames; the default shows an "Error" box.
    std::function<void(const QString& message)> ShowError;

  signals:
    void Click();
    // Items may have gone from disk: a node was deleted, renamed or re-read. Listeners holding
    // a path below the tree check whether it still exists.
    void ItemsChanged();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void Rebuild();
    void Enumerate(TFolderTreeNode* node);
    std::vector<FolderListEntry> ListChildren(const std::string& folder);
    bool ReloadChildren(TFolderTreeNode* node);
    bool MergeChildren(TFolderTreeNode* node, const std::string& folder);
    std::vector<std::string> FoldersToWatch() const;
    void SetNodeIcon(TFolderTreeNode* node, const std::string& path) const;
    // Icon, expand indicator (one entry looked for, not the whole folder) and editability.
    void SetNodeLook(TFolderTreeNode* node, const std::string& path) const;
    void OnItemExpanded(QTreeWidgetItem* item);
    void OnItemCollapsed();
    void OnSelectionChanged();
    void UpdateNotifier();
    void CommitRename(const QModelIndex& index, const QString& text);
    void RunReportingErrors(const std::function<void()>& command);
    QMenu* CreateContextMenu();

    QString root_ = "rfDesktop";
    std::string rootFolder_;
    ObjectTypeSet objectTypes_ = otFolders;
    bool useShellImages_ = true;
    bool autoRefresh_ = false;
    bool rightClickSelect_ = true;
    bool autoContextMenus_ = true;
    bool loadingRoot_ = false;
    bool refreshing_ = false;
    size_t maxFolderWatches_ = 0;
    size_t foldersListed_ = 0;
    std::unique_ptr<TFolderChangeNotifier> notifier_;
};

}  // namespace kelvara::foldertree
