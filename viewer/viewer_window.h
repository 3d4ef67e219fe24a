// The viewer window: the project tree of an unpacked package and a preview of the clicked file
// as a picture or as highlighted read-only text.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "png/qt/png_draw_picture.h"
#include "viewer/preview_kind.h"

class QGroupBox;
class QLabel;

namespace kelvara::highlight {
class TCustomHighlighter;
class TCssHighlighter;
class THtmlHighlighter;
class TJScriptHighlighter;
class TXmlHighlighter;
}  // namespace kelvara::highlight

namespace kelvara::textview {
class TCodeView;
}  // namespace kelvara::textview

namespace kelvara::preview {
class TFolderTreeView;
class TFolderTreeNode;
}  // namespace kelvara::preview

namespace kelvara::viewer {

class TForm2 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // The view command's work after the main window built the paths: empties and unpacks the
    // viewer folder, clears the preview (picture, text and path), roots the tree there and
    // shows the window. Throws (the tree's "Error setting path" among others) without showing
    // the window.
    void ViewPackage(const std::string& archivePath, const std::string& viewerFolder);

    void FolderTree1Click();
    // The node's path from the top node down, texts joined by `separator`.
    static std::string BuildNodePath(const preview::TFolderTreeNode* node, char separator);

    // Shows an error text (an error box unless a test replaces it).
    std::function<void(const QString& text)> ShowError;
    // The window centred over this one when shown.
    QWidget* centreOver = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    preview::TFolderTreeView* FolderTree1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Image1 = nullptr;
    textview::TCodeView* CodeView1 = nullptr;
    QWidget* StatusBar1 = nullptr;
    QLabel* StatusPanels[6] = {};
    std::unique_ptr<highlight::TCssHighlighter> CssHighlighter1;
    std::unique_ptr<highlight::THtmlHighlighter> HtmlHighlighter1;
    std::unique_ptr<highlight::TJScriptHighlighter> JScriptHighlighter1;
    std::unique_ptr<highlight::TXmlHighlighter> XmlHighlighter1;

  protected:
    void showEvent(QShowEvent* event) override;
    // Hides the window and stops the tree's watcher; the next view command starts it again.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildLayout();
    void FormShow();
    void Preview(const std::string& path);
    void ShowPicture(const std::string& path);
    // No picture, an empty text view and an empty path.
    void ClearPreview();
    // After the tree lost items: drops what is shown of a file that is no longer on disk.
    void DropVanishedPreview();
    // The highlighter of a text preview, or nullptr.
    highlight::TCustomHighlighter* HighlighterFor(PreviewKind kind) const;

    std::string viewerFolder_;
    png::TPicture picture_;
    std::string previewPath_;  // the file whose lines were loaded last
    std::string picturePath_;  // the file of the picture on view
    std::string shownPath_;    // the clicked path in the status bar
};

}  // namespace kelvara::viewer
