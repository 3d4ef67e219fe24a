// The main window: the collection list, the details panel, the three command buttons and the
// status bar.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/user_dialogs.h"
#include "collection/collection_scan.h"
#include "collection/row_ordering.h"

class QGroupBox;
class QLabel;
class QMenu;
class QAction;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QFrame;

namespace kelvara::app {

class TForm1 : public QWidget {
    Q_OBJECT

  public:
    // `dialogs` answers the dialogs and message boxes (the real ones when null).
    explicit TForm1(std::unique_ptr<UserDialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up: creates the collection folder when missing, scans it, fills the status bar.
    void FormCreate();
    // Appends one row per package of `folder` (ending in "/"); shows the first manifest error.
    void ScanCollection(const std::string& folder);

    void ListView1ColumnClick(int column);
    void ListView1Click();
    void ListView1SelectItem(QTreeWidgetItem* item);
    void N1Click();
    void N2Click();
    void N5Click();
    void FlatButton5Click();
    // Adds `paths` (absolute) as the add command does with the files chosen in its dialog, then
    // selects the row of the first one the rescan lists, as a click on it would. Used for the
    // files of the command line and for files dropped onto the list.
    void OpenPackages(const QStringList& paths);
    void FlatButton3Click();
    void FlatButton1Click();
    int CheckedCount() const;

    // The row of a list item (caption, name, size, date).
    const collection::WidgetRow& RowOf(const QTreeWidgetItem* item) const;
    const collection::SortState& SortState() const { return sort_; }
    const std::string& ViewerFolderPath() const { return viewerFolderPath_; }
    const QString& DirPath() const { return dirPath_; }
    bool IsBusy() const { return busy_; }

    // The view command's target: called with the archive path and the viewer folder path.
    std::function<void(const std::string& archivePath, const std::string& viewerFolder)> onView;
    // The page template of the package command ("temp" beside the program).
    std::string templatePath;
    // Runs once per pending-event pump (tests may answer dialogs or count pumps here).
    std::function<void()> onPump;

    QGroupBox* GroupBox1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QToolButton* FlatButton5 = nullptr;
    QToolButton* FlatButton3 = nullptr;
    QToolButton* FlatButton1 = nullptr;
    QWidget* StatusBar1 = nullptr;
    QLabel* StatusPanels[3] = {nullptr, nullptr, nullptr};
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N5 = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the main window ends the program: every other window closes too and the event
    // loop is told to end with 0.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildLayout();
    void BuildDetailsPanel();
    // Lets the list take ".wgt" files dropped from a file manager (main_window_open.cpp).
    void AcceptPackageDrops();
    // The add command after its dialog: copies, rescans and reports. Throws on a failed copy.
    void AddPackages(const QStringList& paths);
    // A new list item for the row, not yet in the list.
    QTreeWidgetItem* MakeRow(const collection::WidgetRow& row, const std::string& folder);
    void SortRows();
    void Rescan();
    void SetStatus(int panel, const QString& text);
    void ShowCounts();
    void Pump();
    std::vector<std::string> CheckedCaptions() const;
    void ResetDetails();
    void ShowDetails(const std::string& caption);
    // Runs a command unless another one is running; an error is shown in an error box.
    void RunCommand(const std::function<void()>& command);

    std::unique_ptr<UserDialogs> dialogs_;
    std::vector<std::unique_ptr<collection::WidgetRow>> rows_;
    collection::SortState sort_;
    std::string viewerFolderPath_;
    QString dirPath_;
    bool busy_ = false;
};

}  // namespace kelvara::app
