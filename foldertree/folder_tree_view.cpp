#include "foldertree/folder_tree_view.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foldertree/folder_busy_guard.h"
#include "foldertree/folder_tree_rename_delegate.h"
#include "platform/file_system.h"
#include "platform/qt/widgets/file_icons.h"

namespace kelvara::foldertree {
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

// Children are merged in place up to this many additions and removals; beyond it they are
// taken out and put back at once, which costs one pass however many changed.
constexpr size_t kInPlaceChanges = 32;

TFolderTreeNode* ChildByName(const TFolderTreeNode* node, std::string_view name) {
    for (int i = 0; i < node->childCount(); ++i) {
        auto* child = AsNode(node->child(i));
        if (child->Name() == name)
            return child;
    }
    return nullptr;
}

// The node for path at or below the top node, found by following the names in path.
TFolderTreeNode* FindBelow(TFolderTreeNode* top, const std::string& path) {
    const std::string& topPath = top->Name();
    if (path == topPath)
        return top;
    std::string_view rest(path);
    if (!rest.starts_with(topPath))
        return nullptr;
    rest.remove_prefix(topPath.size());
    if (topPath.empty() || topPath.back() != '/') {
        if (!rest.starts_with('/'))
            return nullptr;
        rest.remove_prefix(1);
    }
    TFolderTreeNode* node = top;
    while (node && !rest.empty()) {
        const size_t slash = rest.find('/');
        node = ChildByName(node, rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    return node;
}

// The folder holding path ("/" for an item at the top of the file system), or "".
std::string ParentPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || path == "/")
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The walks below ask the view about a node through its model index, built from the parent's
// index and the row. (Asking the node itself has Qt look up its row, a search through its
// siblings once their rows have moved: quadratic over a large folder.)

// The node's folder and the expanded folders below it that are shown, parents first.
void CollectShownFolders(const QTreeView& view, const QModelIndex& index,
                         const TFolderTreeNode* node, const std::string& path,
                         std::vector<std::string>& folders) {
    folders.push_back(path);
    if (!view.isExpanded(index))
        return;
    for (int i = 0; i < node->childCount(); ++i) {
        const TFolderTreeNode* child = AsNode(node->child(i));
        if (!child->IsFolder())
            continue;
        const QModelIndex at = view.model()->index(i, 0, index);
        if (view.isExpanded(at))
            CollectShownFolders(view, at, child, platform::JoinPath(path, child->Name()), folders);
    }
}

// The nodes at and below node that are expanded (hidden ones under a collapsed folder
// included), parents first.
void CollectExpandedNodes(const QTreeView& view, const QModelIndex& index, TFolderTreeNode* node,
                          std::vector<TFolderTreeNode*>& nodes) {
    if (view.isExpanded(index))
        nodes.push_back(node);
    for (int i = 0; i < node->childCount(); ++i) {
        auto* child = AsNode(node->child(i));
        if (child->IsFolder())
            CollectExpandedNodes(view, view.model()->index(i, 0, index), child, nodes);
    }
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
    connect(this, &QTreeWidget::itemCollapsed, this, &TFolderTreeView::OnItemCollapsed);
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

void TFolderTreeView::SetMaxFolderWatches(size_t count) {
    maxFolderWatches_ = count;
    if (notifier_)
        notifier_->SetMaxWatches(count);
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
        if (auto* found = FindBelow(AsNode(topLevelItem(i)), path))
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

std::vector<FolderListEntry> TFolderTreeView::ListChildren(const std::string& folder) {
    ++foldersListed_;
    return ListFolderItems(folder, objectTypes_);
}

void TFolderTreeView::Enumerate(TFolderTreeNode* node) {
    FolderBusyGuard busy(this);
    const std::string folder = node->Path();
    QList<QTreeWidgetItem*> children;
    for (const auto& entry : ListChildren(folder)) {
        auto* child = new TFolderTreeNode(entry.name, entry.isFolder);
        SetNodeLook(child, platform::JoinPath(folder, entry.name));
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
    if (refreshing_)
        return;  // a refresh restoring what was expanded
    if (!node->Enumerated()) {
        // Watched before it is read, so that nothing created meanwhile is missed.
        UpdateNotifier();
        Enumerate(node);
        return;
    }
    // Shown again: its folders were not watched while it was collapsed.
    RefreshNode(node);
}

void TFolderTreeView::OnItemCollapsed() {
    if (!loadingRoot_ && !refreshing_)
        UpdateNotifier();
}

void TFolderTreeView::OnSelectionChanged() {
    if (!loadingRoot_ && !refreshing_)
        UpdateNotifier();
}

std::vector<std::string> TFolderTreeView::FoldersToWatch() const {
    std::vector<std::string> folders;
    const TFolderTreeNode* top = TopNode();
    if (!top)
        return folders;
    CollectShownFolders(*this, indexFromItem(top), top, top->Path(), folders);
    if (const TFolderTreeNode* node = Selected()) {
        if (node->IsFolder())
            folders.push_back(node->Path());
        else if (const TFolderTreeNode* parent = node->ParentNode())
            folders.push_back(parent->Path());
    }
    return folders;
}

void TFolderTreeView::UpdateNotifier() {
    if (!autoRefresh_ || rootFolder_.empty()) {
        notifier_.reset();
        return;
    }
    // The selected node's path is what the notifier falls back to.
    const TFolderTreeNode* node = Selected();
    const std::string target = node ? node->Path() : rootFolder_;
    if (!notifier_) {
        notifier_ = std::make_unique<TFolderChangeNotifier>();
        notifier_->SetWatchSubtree(false);
        notifier_->SetMaxWatches(maxFolderWatches_);
        notifier_->SetPath(target);
        notifier_->SetFolders(FoldersToWatch());
        notifier_->SetOnFoldersChanged(
            [this](const std::vector<std::string>& folders) { RefreshFolders(folders); });
        return;
    }
    if (notifier_->Path() != target)
        notifier_->SetPath(target);
    notifier_->SetFolders(FoldersToWatch());
}

void TFolderTreeView::RefreshNode(TFolderTreeNode* node) {
    if (!node)
        return;
    if (!node->IsFolder())
        node = node->ParentNode();  // a file has nothing to read: its folder has
    if (!node)
        return;
    std::vector<std::string> folders;
    CollectShownFolders(*this, indexFromItem(node), node, node->Path(), folders);
    RefreshFolders(folders);
}

void TFolderTreeView::RefreshFolders(const std::vector<std::string>& folders) {
    // A folder of the watched set that was recreated gets its watch back before it is read.
    UpdateNotifier();
    const TFolderTreeNode* selected = Selected();
    const std::string selectedPath = selected ? selected->Path() : std::string();
    const TFolderTreeNode* topVisible = AsNode(itemAt(QPoint(1, 1)));
    const std::string topPath = topVisible ? topVisible->Path() : std::string();
    bool changed = false;
    {
        FolderBusyGuard busy(this);
        refreshing_ = true;
        // Parents sort before their children: a folder that went with its parent is not read.
        for (const std::string& folder : folders) {
            TFolderTreeNode* node = FindNode(folder);
            if (node && node->IsFolder() && ReloadChildren(node))
                changed = true;
        }
        if (changed) {
            TFolderTreeNode* again = nullptr;
            for (std::string p = selectedPath; !again && !p.empty(); p = ParentPath(p))
                again = FindNode(p);
            if (again && again != Selected())
                setCurrentItem(again);
            if (auto* top = FindNode(topPath))
                scrollToItem(top, QAbstractItemView::PositionAtTop);
        }
        refreshing_ = false;
    }
    UpdateNotifier();
    if (changed)
        emit ItemsChanged();
}

// Reads the node's folder again; true when anything in the tree changed.
bool TFolderTreeView::ReloadChildren(TFolderTreeNode* node) {
    const std::string folder = node->Path();
    if (!node->IsTop() && !platform::IsDirectory(folder)) {
        // Gone, or no longer a folder: its parent's listing tells what is there now.
        return ReloadChildren(node->ParentNode());
    }
    if (!node->Enumerated()) {
        // Never expanded: only whether there is anything to expand.
        const auto policy = FolderHasItems(folder, objectTypes_)
                                ? QTreeWidgetItem::ShowIndicator
                                : QTreeWidgetItem::DontShowIndicator;
        if (node->childIndicatorPolicy() == policy)
            return false;
        node->setChildIndicatorPolicy(policy);
        return true;
    }
    return MergeChildren(node, folder);
}

// Applies the folder's listing to the node's children: nodes of items still there (same name,
// same kind) stay as they are, with their expansion and their own children; new items get new
// nodes; the others go. The current children are found by name through a hash, so this is one
// pass over each list however large the folder.
bool TFolderTreeView::MergeChildren(TFolderTreeNode* node, const std::string& folder) {
    const std::vector<FolderListEntry> listing = ListChildren(folder);
    struct Existing {
        TFolderTreeNode* node;
        int row;
    };
    const int count = node->childCount();
    std::unordered_map<std::string_view, Existing> existing;
    existing.reserve(static_cast<size_t>(count));
    std::vector<TFolderTreeNode*> gone;  // nodes of items that went
    for (int i = 0; i < count; ++i) {
        auto* child = AsNode(node->child(i));
        if (!existing.emplace(child->Name(), Existing{child, i}).second)
            gone.push_back(child);  // a duplicate name cannot stand for an item
    }
    std::vector<TFolderTreeNode*> next;
    std::vector<int> oldRows;  // per node of next: its row now, -1 for a new node
    next.reserve(listing.size());
    oldRows.reserve(listing.size());
    size_t added = 0;
    bool inOrder = true;
    int lastRow = -1;
    for (const auto& entry : listing) {
        const auto found = existing.find(entry.name);
        if (found != existing.end() && found->second.node->IsFolder() == entry.isFolder) {
            inOrder = inOrder && found->second.row > lastRow;
            lastRow = found->second.row;
            next.push_back(found->second.node);
            oldRows.push_back(found->second.row);
            existing.erase(found);
            continue;
        }
        auto* child = new TFolderTreeNode(entry.name, entry.isFolder);
        SetNodeLook(child, platform::JoinPath(folder, entry.name));
        next.push_back(child);
        oldRows.push_back(-1);
        ++added;
    }
    for (const auto& [name, left] : existing)
        gone.push_back(left.node);
    existing.clear();
    if (added == 0 && gone.empty() && inOrder)
        return false;
    if (inOrder && added + gone.size() <= kInPlaceChanges) {
        // A few changes: made in place, leaving every other node alone.
        for (TFolderTreeNode* child : gone)
            delete child;
        for (size_t i = 0; i < next.size(); ++i) {
            if (oldRows[i] < 0)
                node->insertChild(static_cast<int>(i), next[i]);
        }
    } else {
        // Taken out of the tree, nodes forget their expansion: note it and restore it.
        std::vector<TFolderTreeNode*> expanded;
        const QModelIndex parentIndex = indexFromItem(node);
        for (size_t i = 0; i < next.size(); ++i) {
            if (oldRows[i] >= 0 && next[i]->IsFolder())
                CollectExpandedNodes(*this, model()->index(oldRows[i], 0, parentIndex), next[i],
                                     expanded);
        }
        node->takeChildren();
        for (TFolderTreeNode* child : gone)
            delete child;
        node->addChildren(QList<QTreeWidgetItem*>(next.begin(), next.end()));
        for (TFolderTreeNode* child : expanded)
            child->setExpanded(true);
    }
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return true;
}

}  // namespace kelvara::foldertree
