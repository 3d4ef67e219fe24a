#include "viewer/viewer_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "archive/archive_messages.h"
#include "archive/zip_extractor.h"
#include "foldertree/folder_tree_view.h"
#include "highlight/css_highlighter.h"
#include "highlight/html_highlighter.h"
#include "highlight/jscript_form_values.h"
#include "highlight/jscript_highlighter.h"
#include "highlight/xml_highlighter.h"
#include "platform/file_system.h"
#include "platform/qt/widgets/window_chrome.h"
#include "platform/scratch_folder.h"
#include "textview/qt/code_view.h"
#include "viewer/preview_kind.h"

namespace kelvara::viewer {
namespace {

QFont MonospaceFont(int pixels) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixels);
    return font;
}

// The part after the last "/" (the package's file name for a viewer folder).
std::string FileNamePart(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file that exists, is not a folder and has a modification time that a packed date can
// hold (1980 to 2107).
bool IsPreviewableFile(const std::string& path) {
    if (!platform::PathExists(path) || platform::IsDirectory(path))
        return false;
    const time_t modified = platform::FileModified(path);
    struct tm local {};
    if (modified == -1 || !localtime_r(&modified, &local))
        return false;
    return local.tm_year >= 80 && local.tm_year <= 207;
}

// Reports after which the viewer folder does not hold the package.
bool StopsTheView(int id) {
    using namespace archive;
    return id == kMsgOverlappingEntries || id == kMsgNotEnoughSpace || id == kMsgDiskFull ||
           id == kMsgErrorWritingFile;
}

// Whether nothing that could have been previewed is left at path (deleted, renamed away, or
// replaced by a folder).
bool FileGone(const std::string& path) {
    return !platform::PathExists(path) || platform::IsDirectory(path);
}

// Removes what an earlier package of the same name left in its viewer folder. Only a folder
// strictly inside the private scratch folder is ever emptied.
void EmptyViewerFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path scratch = fs::weakly_canonical(platform::ScratchFolder(), ec);
    const fs::path target = fs::weakly_canonical(folder, ec);
    if (ec || target.parent_path() != scratch || fs::is_symlink(folder, ec))
        return;
    for (const auto& entry : fs::directory_iterator(target, ec))
        fs::remove_all(entry.path(), ec);
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent) {
    CssHighlighter1 = std::make_unique<highlight::TCssHighlighter>();
    HtmlHighlighter1 = std::make_unique<highlight::THtmlHighlighter>();
    JScriptHighlighter1 = std::make_unique<highlight::TJScriptHighlighter>();
    highlight::ApplyViewerFormValues(*JScriptHighlighter1);
    XmlHighlighter1 = std::make_unique<highlight::TXmlHighlighter>();
    XmlHighlighter1->SetWantBracesParsed(false);
    ShowError = [this](const QString& text) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::NoButton,
                        this);
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
    };
    BuildLayout();
}

TForm2::~TForm2() {
    // The view refers to the highlighters; let go of them before they are destroyed.
    CodeView1->SetHighlighter(nullptr);
}

void TForm2::BuildLayout() {
    setWindowTitle(QStringLiteral("Form2"));
    setWindowIcon(platform::ApplicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(919, 417);
    setFont(platform::WindowFont(false));

    GroupBox1 = new QGroupBox(tr(" Дерево проекта "), this);
    GroupBox1->setFont(platform::WindowFont(true));
    GroupBox1->setGeometry(8, 8, 193, 385);
    FolderTree1 = new foldertree::TFolderTreeView(GroupBox1);
    FolderTree1->setGeometry(8, 16, 177, 369);
    FolderTree1->setFont(platform::WindowFont(false));
    FolderTree1->SetObjectTypes(foldertree::otFolders | foldertree::otNonFolders |
                                foldertree::otHidden);
    FolderTree1->SetUseShellImages(true);
    FolderTree1->SetAutoRefresh(true);
    FolderTree1->SetShowRoot(false);
    FolderTree1->SetRightClickSelect(true);
    FolderTree1->SetIndent(19);
    FolderTree1->ShowError = [this](const QString& text) { ShowError(text); };
    FolderTree1->OnClick = [this] { FolderTree1Click(); };
    connect(FolderTree1, &foldertree::TFolderTreeView::ItemsChanged, this,
            &TForm2::DropVanishedPreview);

    GroupBox2 = new QGroupBox(tr(" Просмотр "), this);
    GroupBox2->setFont(platform::WindowFont(true));
    GroupBox2->setGeometry(200, 8, 713, 385);
    // Created before the text view, so the view covers the picture while it is visible.
    Image1 = new QLabel(GroupBox2);
    Image1->setGeometry(16, 24, 105, 105);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    CodeView1 = new textview::TCodeView(GroupBox2);
    CodeView1->setGeometry(8, 16, 697, 361);
    CodeView1->SetTextFont(MonospaceFont(13));
    textview::TCodeGutter gutter = CodeView1->Gutter();
    gutter.font = MonospaceFont(11);
    CodeView1->SetGutter(gutter);
    CodeView1->SetReadOnly(true);

    // The last panel holds the clicked path and reaches to the right end.
    StatusBar1 = platform::MakeStatusBar(this, QRect(0, 417 - 19, 919, 19),
                                         {50, 50, 50, 50, 50, 50}, StatusPanels);
}

void TForm2::ViewPackage(const std::string& archivePath, const std::string& viewerFolder) {
    // Watching again before the folder is rewritten, so the tree follows the extraction.
    FolderTree1->SetAutoRefresh(true);
    if (!viewerFolder.empty()) {
        EmptyViewerFolder(viewerFolder);
        archive::TZipExtractor extractor;
        extractor.ProcessMessages = [] { QCoreApplication::processEvents(); };
        extractor.SetArchiveFile(archivePath);
        extractor.FileSpec = {"*.*"};
        extractor.SetExtractDir(viewerFolder);
        // The package could not be unpacked (refused as a whole, or its files could not be
        // written): the view ends with the report's text in the error box.
        std::string failure;
        extractor.OnError = [&failure](archive::TArchiveCommon&, const std::string&, int id,
                                       const std::string& text1, const std::string& text2) {
            if (failure.empty() && StopsTheView(id))
                failure = archive::FormatMessage(id, text1, text2);
        };
        extractor.Extract();
        if (!failure.empty())
            throw std::runtime_error(failure);
    }
    // Cleared after the extraction: a click while it ran may have previewed a file.
    ClearPreview();
    FolderTree1->SetRoot(QString::fromStdString(viewerFolder));
    viewerFolder_ = viewerFolder;
    show();
    raise();
    activateWindow();
}

void TForm2::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void TForm2::closeEvent(QCloseEvent* event) {
    // A closed viewer has no tree to keep up to date; its watcher thread ends here.
    FolderTree1->SetAutoRefresh(false);
    QWidget::closeEvent(event);
}

void TForm2::FormShow() {
    setWindowTitle(tr("Просмотр виджета - ") + QString::fromStdString(FileNamePart(viewerFolder_)));
    if (centreOver) {
        QRect over = centreOver->frameGeometry();
        move(over.center() - QPoint(width() / 2, height() / 2));
    }
}

std::string TForm2::BuildNodePath(const foldertree::TFolderTreeNode* node, char separator) {
    std::string result;
    for (; node; node = node->ParentNode())
        result = node->Text().toStdString() + separator + result;
    if (!result.empty())
        result.pop_back();
    return result;
}

void TForm2::FolderTree1Click() {
    try {
        const std::string root = FolderTree1->Root().toStdString();
        const std::string prefix = root.substr(0, root.rfind('/') + 1);
        const std::string path = prefix + BuildNodePath(FolderTree1->Selected(), '/');
        StatusPanels[5]->setText(QString::fromStdString(path));
        shownPath_ = path;
        if (!IsPreviewableFile(path))
            return;
        Preview(path);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TForm2::Preview(const std::string& path) {
    previewPath_ = path;
    CodeView1->ResetContents();
    CodeView1->Lines().LoadFromFile(path);
    const PreviewKind kind = PreviewKindOf(path);
    if (kind == PreviewKind::Picture) {
        CodeView1->hide();
        ShowPicture(path);
    } else if (highlight::TCustomHighlighter* highlighter = HighlighterFor(kind)) {
        CodeView1->show();
        CodeView1->SetHighlighter(highlighter);
    }
    CodeView1->viewport()->update();
}

highlight::TCustomHighlighter* TForm2::HighlighterFor(PreviewKind kind) const {
    switch (kind) {
        case PreviewKind::Xml:
            return XmlHighlighter1.get();
        case PreviewKind::Css:
            return CssHighlighter1.get();
        case PreviewKind::JavaScript:
            return JScriptHighlighter1.get();
        case PreviewKind::Html:
            return HtmlHighlighter1.get();
        default:
            return nullptr;  // a picture, or no preview: the lines alone change
    }
}

void TForm2::ShowPicture(const std::string& path) {
    picture_.LoadFromFile(path);  // a failure keeps the previous picture
    picturePath_ = path;
    QImage canvas(picture_.Width(), picture_.Height(), QImage::Format_RGB32);
    canvas.fill(GroupBox2->palette().color(QPalette::Window));
    if (const png::TGraphic* graphic = picture_.Graphic())
        graphic->Draw(canvas, QRect(0, 0, canvas.width(), canvas.height()));
    Image1->setPixmap(QPixmap::fromImage(canvas));
    Image1->resize(canvas.size());  // the control takes the picture's size
}

void TForm2::ClearPreview() {
    picture_.Clear();
    picturePath_.clear();
    Image1->clear();
    previewPath_.clear();
    CodeView1->ResetContents();
    CodeView1->viewport()->update();
    shownPath_.clear();
    StatusPanels[5]->clear();
}

void TForm2::DropVanishedPreview() {
    if (!previewPath_.empty() && FileGone(previewPath_)) {
        ClearPreview();
        return;
    }
    // A picture can outlive its preview: a later click on a file without a highlighter keeps
    // it on view.
    if (!picturePath_.empty() && FileGone(picturePath_)) {
        picture_.Clear();
        picturePath_.clear();
        Image1->clear();
    }
    if (!shownPath_.empty() && !platform::PathExists(shownPath_)) {
        shownPath_.clear();
        StatusPanels[5]->clear();
    }
}

}  // namespace kelvara::viewer
