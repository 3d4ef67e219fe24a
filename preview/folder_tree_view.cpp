#include "preview/folder_tree_view.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <vector>

#include "platform/qt/widgets/file_icons.h"
#include "platform/file_system.h"
#include "preview/folder_busy_guard.h"
#include "preview/folder_tree_rename_delegate.h"

namespace kelvara::preview {
namespace {

const QString kDesktopRoot = QStringLiteral("rfDesktop");

// The folder a root value names: the home folder for the desktop root, otherwise the value as
// a path to an existing folder. An empty value or a file names none.
bool ResolveRoot(const QString& root, std::string& folder) {
    if (root.compare(kDesktopRoot, Qt::CaseInsensitive) == 0) {
        folder = TextPath(QDir::homePath());
        return platform::IsDirectory(folder);
    }
    if (root.isEmpty())
        return false;
    const QFileInfo info(root);
    if (!info.isDir())
        return false;
    folder = TextPath(QDir::cleanPath(info.absoluteFilePath()));
    return true;
}

// The top node's text: what follows the last separator of the root value.
QString LastComponent(const QString& root) {
    return root.mid(root.lastIndexOf(u'/') + 1);
}

TFolderTreeNode* AsNode(QTreeWidgetItem* item) {
    return static_cast<TFolderTreeNode*>(item);
}

TFolderTreeNode* FindInSubtree(TFolderTreeNode* node, const std::string& path) {
    const std::string own = node->Path();
    if (own == path)
        return node;
    if (path.compare(0, own.size(), own) != 0)
        return nullptr;
    for (int i = 0; i < node->childCount(); ++i) {
        if (auto* found = FindInSubtree(AsNode(node->child(i)), path))
            return found;
    }
    return nullptr;
}

// Paths of the expanded nodes at and below node, parents before their children.
void CollectExpanded(TFolderTreeNode* node, std::vector<std::string>& paths) {
    if (!node->isExpanded())
        return;
    paths.push_back(node->Path());
    for (int i = 0; i < node->childCount(); ++i)
        CollectExpanded(AsNode(node->child(i)), paths);
}

}  // namespace

TFolderTreeView::TFolderTreeView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed);  // F2 renames, as the menu does
    setUniformRowHeights(true);
    setItemDelegate(new FolderTreeRenameDelegate(
        [this](const QModelIndex& index, const QString& text) { CommitRename(index, text); },
        this));

    ConfirmDelete = [this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("Confirm"), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    OpenFile = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    ShowError = [this](const QString& message) {
        QMessageBox::critical(this, QStringLiteral("Error"), message);
    };

    connect(this, &QTreeWidget::itemExpanded, this, &TFolderTreeView::OnItemExpanded);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &TFolderTreeView::OnSelectionChanged);

    ResolveRoot(root_, rootFolder_);
    Rebuild();
}

TFolderTreeView::~TFolderTreeView() {
    // The watcher goes first; then no signal of the dying base class may reach this part.
    notifier_.reset();
    disconnect(this, nullptr, this, nullptr);
}

void TFolderTreeView::SetRoot(const QString& root) {
    if (root.compare(root_, Qt::CaseInsensitive) == 0)
        return;
    std::string folder;
    const bool resolved = ResolveRoot(root, folder);
    if (resolved) {
        root_ = root;
        rootFolder_ = folder;
    }
    // On failure the tree is rebuilt for the previous root before the error is raised.
    Rebuild();
    if (!resolved)
        throw EFolderTreeError("Error setting path: \"" + TextPath(root) + "\"");
}

void TFolderTreeView::SetObjectTypes(ObjectTypeSet types) {
    if (types == objectTypes_)
        return;
    objectTypes_ = types;
    Rebuild();
}

void TFolderTreeView::SetUseShellImages(bool on) {
    if (on == useShellImages_)
        return;
    useShellImages_ = on;
    Rebuild();
}

void TFolderTreeView::SetAutoRefresh(bool on) {
    if (on == autoRefresh_)
        return;
    autoRefresh_ = on;
    UpdateNotifier();
}

TFolderTreeNode* TFolderTreeView::TopNode() const {
    return AsNode(topLevelItem(0));
}

TFolderTreeNode* TFolderTreeView::Selected() const {
    const auto items = selectedItems();
    return items.isEmpty() ? nullptr : AsNode(items.first());
}

void TFolderTreeView::SetSelected(TFolderTreeNode* node) {
    setCurrentItem(node);
}

TFolderTreeNode* TFolderTreeView::FindNode(const std::string& path) const {
    if (path.empty())
        return nullptr;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (auto* found = FindInSubtree(AsNode(topLevelItem(i)), path))
            return found;
    }
    return nullptr;
}

void TFolderTreeView::Rebuild() {
    FolderBusyGuard busy(this);
    loadingRoot_ = true;
    clear();
    if (!rootFolder_.empty()) {
        auto* top = new TFolderTreeNode(rootFolder_, LastComponent(root_));
        addTopLevelItem(top);
        SetNodeLook(top, rootFolder_);
        top->setExpanded(true);
        setCurrentItem(top);
    }
    loadingRoot_ = false;
    // Watch the new tree's selection at once rather than whatever the old tree watched.
    UpdateNotifier();
}

void TFolderTreeView::SetNodeIcon(TFolderTreeNode* node, const std::string& path) const {
    if (useShellImages_)
        node->setIcon(0, platform::SmallFileIcon(PathText(path)));
}

void TFolderTreeView::SetNodeLook(TFolderTreeNode* node, const std::string& path) const {
    SetNodeIcon(node, path);
    const bool hasItems = node->IsFolder() && FolderHasItems(path, objectTypes_);
    node->setChildIndicatorPolicy(hasItems ? QTreeWidgetItem::ShowIndicator
                                           : QTreeWidgetItem::DontShowIndicator);
    if (!node->IsTop())
        node->setFlags(node->flags() | Qt::ItemIsEditable);
}

void TFolderTreeView::Enumerate(TFolderTreeNode* node) {
    FolderBusyGuard busy(this);
    const std::string folder = node->Path();
    QList<QTreeWidgetItem*> children;
    for (const auto& entry : ListFolderItems(folder, objectTypes_)) {
        auto* child = new TFolderTreeNode(entry.name, entry.isFolder);
        SetNodeLook(child, JoinPath(folder, entry.name));
        children.append(child);
    }
    node->addChildren(children);
    node->SetEnumerated(true);
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TFolderTreeView::OnItemExpanded(QTreeWidgetItem* item) {
    auto* node = AsNode(item);
    if (!node->IsFolder()) {
        node->setExpanded(false);
        if (OpenFile)
            OpenFile(PathText(node->Path()));
        return;
    }
    if (!node->Enumerated())
        Enumerate(node);
}

void TFolderTreeView::OnSelectionChanged() {
    if (!loadingRoot_ && !refreshing_)
        UpdateNotifier();
}

void TFolderTreeView::UpdateNotifier() {
    if (!autoRefresh_) {
        notifier_.reset();
        return;
    }
    const TFolderTreeNode* node = Selected();
    const std::string target = node ? node->Path() : rootFolder_;
    if (notifier_ && notifier_->Watching() && notifier_->Path() == target)
        return;
    // The old notifier may be the one whose change handler is running right now; it stops
    // without waiting for that handler.
    notifier_.reset();
    if (target.empty())
        return;
    notifier_ = std::make_unique<TFolderChangeNotifier>();
    notifier_->SetPath(target);
    notifier_->SetWatchSubtree(false);
    notifier_->SetOnChange([this] { RefreshSelected(); });
}

void TFolderTreeView::RefreshSelected() {
    if (auto* node = Selected())
        RefreshNode(node);
}

void TFolderTreeView::RefreshNode(TFolderTreeNode* node) {
    if (!node)
        return;
    const TFolderTreeNode* selected = Selected();
    const std::string selectedPath = selected ? selected->Path() : std::string();
    const TFolderTreeNode* topVisible = AsNode(itemAt(QPoint(1, 1)));
    const std::string topPath = topVisible ? topVisible->Path() : std::string();
    std::vector<std::string> expanded;
    CollectExpanded(node, expanded);
    {
        FolderBusyGuard busy(this);
        refreshing_ = true;
        const std::string path = node->Path();
        auto* fresh = node->IsTop()
                          ? new TFolderTreeNode(path, node->Text())
                          : new TFolderTreeNode(node->Name(), platform::IsDirectory(path));
        if (TFolderTreeNode* parent = node->ParentNode())
            parent->insertChild(parent->indexOfChild(node), fresh);
        else
            insertTopLevelItem(indexOfTopLevelItem(node), fresh);
        SetNodeLook(fresh, path);
        if (fresh->IsFolder())
            Enumerate(fresh);
        for (const auto& p : expanded) {
            // A folder replaced by a file must not be "expanded": that would open the file.
            auto* counterpart = FindInSubtree(fresh, p);
            if (counterpart && counterpart->IsFolder())
                counterpart->setExpanded(true);
        }
        delete node;
        if (auto* again = FindNode(selectedPath))
            setCurrentItem(again);
        if (auto* top = FindNode(topPath))
            scrollToItem(top, QAbstractItemView::PositionAtTop);
        refreshing_ = false;
    }
    UpdateNotifier();
    emit ItemsChanged();
}

}  // namespace kelvara::preview
