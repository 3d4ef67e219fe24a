// Shared helpers of the folder tree tests.
#pragma once

#include <QStringList>
#include <QTest>
#include <filesystem>
#include <string>

#include "foldertree/folder_tree_node.h"
#include "testkit/temp_folder.h"

namespace kelvara::test {

inline void MakeFolder(const std::string& path) {
    std::filesystem::create_directories(path);
}

inline void Touch(const std::string& path) {
    WriteFile(path, "x");
}

// The texts of the node's children, in tree order.
inline QStringList ChildTexts(const foldertree::TFolderTreeNode* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

inline foldertree::TFolderTreeNode* ChildNamed(const foldertree::TFolderTreeNode* node,
                                               const QString& text) {
    for (int i = 0; i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == text)
            return static_cast<foldertree::TFolderTreeNode*>(node->child(i));
    }
    return nullptr;
}

// Runs the event loop until the condition holds, for at most a few seconds.
template <typename Condition>
bool WaitUntil(Condition condition) {
    return QTest::qWaitFor(condition, 5000);
}

}  // namespace kelvara::test
