#include "foldertree/folder_tree_node.h"

#include "platform/file_system.h"

namespace kelvara::foldertree {

QString PathText(const std::string& path) {
    return QString::fromStdString(path);
}
std::string TextPath(const QString& text) {
    return text.toStdString();
}

TFolderTreeNode::TFolderTreeNode(std::string name, bool isFolder)
    : name_(std::move(name)), isFolder_(isFolder) {
    setText(0, PathText(name_));
}

TFolderTreeNode::TFolderTreeNode(std::string path, const QString& text)
    : name_(std::move(path)), isTop_(true), isFolder_(true) {
    setText(0, text);
}

std::string TFolderTreeNode::Path() const {
    if (isTop_)
        return name_;
    const TFolderTreeNode* up = ParentNode();
    return up ? platform::JoinPath(up->Path(), name_) : name_;
}

void TFolderTreeNode::SetName(std::string name) {
    name_ = std::move(name);
    setText(0, PathText(name_));
}

}  // namespace kelvara::foldertree
