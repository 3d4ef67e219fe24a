#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <exception>
#include <thread>

#include "app/texts.h"
#include "collection/install_package.h"
#include "collection/widget_name.h"
#include "platform/documents_folder.h"
#include "platform/file_system.h"
#include "platform/qt/widgets/file_icons.h"
#include "platform/qt/widgets/window_chrome.h"

// The window's images live in a static library; its resources must be registered explicitly.
static void InitResources() {
    Q_INIT_RESOURCE(kelvara);
}

namespace kelvara::app {
namespace {

constexpr int kRowRole = Qt::UserRole + 1;

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

QGroupBox* MakeGroupBox(QWidget* parent, const QString& caption, QRect geometry) {
    auto* box = new QGroupBox(caption, parent);
    box->setFont(platform::WindowFont(true));
    box->setGeometry(geometry);
    return box;
}

QToolButton* MakeFlatButton(QWidget* parent, const QString& caption, const char* glyph,
                            QRect geometry) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setIcon(QIcon(QString::fromUtf8(glyph)));
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFont(platform::WindowFont(true));
    button->setGeometry(geometry);
    return button;
}

}  // namespace

TForm1::TForm1(std::unique_ptr<UserDialogs> dialogs, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<StandardDialogs>()) {
    InitResources();
    templatePath = collection::TemplatePath();
    BuildLayout();
    AcceptPackageDrops();
}

TForm1::~TForm1() = default;

void TForm1::BuildLayout() {
    setWindowTitle(tr(kWindowCaption));
    setWindowIcon(platform::ApplicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(967, 483);
    move(266, 159);
    setFont(platform::WindowFont(false));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    GroupBox1 = MakeGroupBox(this, tr(" Виджеты "), QRect(8, 8, 705, 449));
    ListView1 = new QTreeWidget(GroupBox1);
    ListView1->setGeometry(8, 16, 689, 425);
    ListView1->setFont(platform::WindowFont(false));
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setUniformRowHeights(true);
    // Even rows white, odd rows in the light 3-D colour; the pattern follows the positions.
    ListView1->setAlternatingRowColors(true);
    QPalette listPalette = ListView1->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    listPalette.setColor(QPalette::AlternateBase, palette().color(QPalette::Midlight));
    ListView1->setPalette(listPalette);
    ListView1->setHeaderLabels(
        {tr("Имя файла"), tr("Название виджета"), tr("Размер"), tr("Дата создания")});
    const int widths[] = {200, 220, 100, 140};
    for (int i = 0; i < 4; ++i)
        ListView1->setColumnWidth(i, widths[i]);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setSectionsMovable(false);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { ListView1ColumnClick(column); });
    connect(ListView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                if (current)
                    ListView1SelectItem(current);
            });

    PopupMenu1 = new QMenu(this);
    N1 = PopupMenu1->addAction(tr("Выделить все"));
    PopupMenu1->addSeparator();
    N2 = PopupMenu1->addAction(tr("Снять выделения"));
    PopupMenu1->addSeparator();
    N5 = PopupMenu1->addAction(tr("Просмотр"));
    connect(N1, &QAction::triggered, this, [this] { N1Click(); });
    connect(N2, &QAction::triggered, this, [this] { N2Click(); });
    connect(N5, &QAction::triggered, this, [this] { N5Click(); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!busy_)
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
    });

    GroupBox2 = MakeGroupBox(this, tr(" Информация "), QRect(720, 8, 241, 209));
    BuildDetailsPanel();

    GroupBox3 = MakeGroupBox(this, tr("Действия"), QRect(720, 216, 241, 241));
    FlatButton5 = MakeFlatButton(GroupBox3, tr("Добавить виджет в коллекцию"), ":/icons/add.png",
                                 QRect(8, 24, 225, 57));
    FlatButton3 = MakeFlatButton(GroupBox3, tr("Удалить выделенные виджеты"), ":/icons/delete.png",
                                 QRect(8, 96, 225, 57));
    FlatButton1 = MakeFlatButton(GroupBox3, tr("Создать пакет установки"), ":/icons/package.png",
                                 QRect(8, 168, 225, 57));
    connect(FlatButton5, &QToolButton::clicked, this, [this] { FlatButton5Click(); });
    connect(FlatButton3, &QToolButton::clicked, this, [this] { FlatButton3Click(); });
    connect(FlatButton1, &QToolButton::clicked, this, [this] { FlatButton1Click(); });

    StatusBar1 =
        platform::MakeStatusBar(this, QRect(0, 483 - 19, 967, 19), {200, 200, 250}, StatusPanels);
}

void TForm1::FormCreate() {
    RunCommand([this] {
        // A fresh account may have no documents folder yet: the whole path is created. A
        // failure is said once; the scan then finds nothing.
        const std::string folder = platform::CollectionFolder();
        if (!platform::IsDirectory(folder)) {
            const std::string reason = platform::CreateFolderPath(folder);
            if (!reason.empty())
                dialogs_->ShowError(this,
                                    Text("Cannot create folder \"" + folder + "\". " + reason));
        }
        ScanCollection(platform::CollectionFolder());
        ShowCounts();
        sort_ = collection::SortState{};
    });
}

void TForm1::ScanCollection(const std::string& folder) {
    ListView1->setUpdatesEnabled(false);
    // The manifests are read on every processor; only this thread lets events run meanwhile.
    const std::thread::id windowThread = std::this_thread::get_id();
    collection::ScanResult result = collection::ScanCollection(
        folder,
        [this, windowThread](const std::string& path) {
            if (std::this_thread::get_id() == windowThread)
                return collection::ReadWidgetName(path, [this] { Pump(); });
            return collection::ReadWidgetName(path);
        },
        collection::ScanThreads());
    // The rows are made before they join the list, which then takes them all in one insertion
    // instead of announcing and laying out each one.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(result.rows.size()));
    for (const collection::WidgetRow& row : result.rows)
        items.append(MakeRow(row, folder));
    ListView1->addTopLevelItems(items);
    ListView1->setUpdatesEnabled(true);
    // One unreadable manifest does not hide the rest of the collection: its row has an empty
    // name and the first error is shown once after the scan, headed by the package's name.
    if (!result.firstError.empty())
        dialogs_->ShowError(this, Text(collection::ScanErrorText(result)));
}

QTreeWidgetItem* TForm1::MakeRow(const collection::WidgetRow& row, const std::string& folder) {
    rows_.push_back(std::make_unique<collection::WidgetRow>(row));
    auto* item = new QTreeWidgetItem;
    item->setText(0, Text(row.caption));
    item->setText(1, Text(row.widgetName));
    item->setText(2, Text(row.sizeText));
    item->setText(3, Text(row.dateText));
    // The scan lists files only.
    item->setIcon(0, platform::SmallFileIcon(Text(folder + row.caption), false));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    item->setData(0, kRowRole, QVariant::fromValue(static_cast<qulonglong>(rows_.size() - 1)));
    return item;
}

const collection::WidgetRow& TForm1::RowOf(const QTreeWidgetItem* item) const {
    return *rows_[static_cast<size_t>(item->data(0, kRowRole).toULongLong())];
}

void TForm1::ListView1ColumnClick(int column) {
    collection::ApplyColumnClick(sort_, column);
    SortRows();
    QTreeWidgetItem* header = ListView1->headerItem();
    for (int i = 0; i < ListView1->columnCount(); ++i)
        header->setText(i, Text(collection::CaptionWithoutArrow(header->text(i).toStdString())));
    header->setText(column,
                    Text(collection::CaptionWithArrow(header->text(column).toStdString(), sort_)));
}

void TForm1::SortRows() {
    QTreeWidgetItem* current = ListView1->currentItem();
    QList<QTreeWidgetItem*> items = ListView1->invisibleRootItem()->takeChildren();
    std::stable_sort(items.begin(), items.end(), [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return collection::CompareRows(RowOf(a), RowOf(b), sort_) < 0;
    });
    ListView1->blockSignals(true);
    ListView1->invisibleRootItem()->addChildren(items);
    if (current)
        ListView1->setCurrentItem(current);
    ListView1->blockSignals(false);
}

int TForm1::CheckedCount() const {
    int count = 0;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->topLevelItem(i)->checkState(0) == Qt::Checked)
            ++count;
    return count;
}

std::vector<std::string> TForm1::CheckedCaptions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListView1->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            captions.push_back(RowOf(item).caption);
    }
    return captions;
}

void TForm1::SetStatus(int panel, const QString& text) {
    StatusPanels[panel]->setText(text);
}

void TForm1::ListView1Click() {
    SetStatus(1, tr(kStatusChecked) + QString::number(CheckedCount()));
}

void TForm1::N1Click() {
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        ListView1->topLevelItem(i)->setCheckState(0, Qt::Checked);
    ListView1Click();
}

void TForm1::N2Click() {
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        ListView1->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    ListView1Click();
}

void TForm1::ShowCounts() {
    SetStatus(0, tr(kStatusFound) + QString::number(ListView1->topLevelItemCount()));
    SetStatus(1, tr(kStatusChecked) + QString::number(0));
}

void TForm1::Rescan() {
    ListView1->blockSignals(true);
    ListView1->clear();
    ListView1->blockSignals(false);
    rows_.clear();
    ScanCollection(platform::CollectionFolder());
}

void TForm1::Pump() {
    QCoreApplication::processEvents();
    if (onPump)
        onPump();
}

void TForm1::RunCommand(const std::function<void()>& command) {
    // While a command runs, events are pumped between files; a second command must not start.
    if (busy_)
        return;
    busy_ = true;
    try {
        command();
    } catch (const std::exception& e) {
        busy_ = false;
        dialogs_->ShowError(this, QString::fromUtf8(e.what()));
        return;
    }
    busy_ = false;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            N5Click();
            return true;
        }
    }
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // The count is taken after the list has handled the click (a check box may toggle).
        QTimer::singleShot(0, this, [this] { ListView1Click(); });
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
    // Outside a running loop (nothing to end) an exit request would only linger.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

}  // namespace kelvara::app
