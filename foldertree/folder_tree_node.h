// One node of the folder tree: an item on disk, named by its file name. The top node holds
// the root folder's path; every other node holds its name, so that its path follows from its
// ancestors and a rename never leaves stale paths below it.
#pragma once

#include <QString>
#include <QTreeWidgetItem>
#include <string>

namespace kelvara::foldertree {

class TFolderTreeNode : public QTreeWidgetItem {
  public:
    // A node for the item name inside its parent node's folder; its text is the name.
    TFolderTreeNode(std::string name, bool isFolder);
    // The top node for the root folder at path, showing text.
    TFolderTreeNode(std::string path, const QString& text);

    QString Text() const { return text(0); }
    TFolderTreeNode* ParentNode() const { return static_cast<TFolderTreeNode*>(parent()); }
    bool IsTop() const { return isTop_; }
    bool IsFolder() const { return isFolder_; }
    // The file name on disk (for the top node: its path).
    const std::string& Name() const { return name_; }
    // The full path on disk.
    std::string Path() const;

    // Whether the children have been read from disk.
    bool Enumerated() const { return enumerated_; }
    void SetEnumerated(bool on) { enumerated_ = on; }

    // Takes a new name after the item was renamed on disk.
    void SetName(std::string name);

  private:
    std::string name_;
    bool isTop_ = false;
    bool isFolder_ = false;
    bool enumerated_ = false;
};

QString PathText(const std::string& path);
std::string TextPath(const QString& text);

}  // namespace kelvara::foldertree
