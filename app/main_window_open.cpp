// Packages handed to the main window from outside: the files of the command line and files
// dropped onto the collection list. Both take the add command's path.
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/open_packages.h"

namespace kelvara::app {
namespace {

// Decides drags over the list's viewport. The list itself would only take its own items.
class PackageDropFilter : public QObject {
  public:
    explicit PackageDropFilter(TForm1* form) : QObject(form), form_(form) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDragMoveEvent*>(event);
                if (Acceptable(*drag).isEmpty()) {
                    drag->ignore();
                } else {
                    drag->setDropAction(Qt::CopyAction);
                    drag->accept();
                }
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                const QStringList paths = Acceptable(*drop);
                if (paths.isEmpty()) {
                    drop->ignore();
                    return true;
                }
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
                // The add runs after the drop has been answered: its message box would
                // otherwise hold the file manager's drag until it is closed.
                QPointer<TForm1> form = form_;
                QTimer::singleShot(0, form_, [form, paths] {
                    if (form)
                        form->OpenPackages(paths);
                });
                return true;
            }
            default:
                return QObject::eventFilter(watched, event);
        }
    }

  private:
    // The dropped package paths, or none while a command runs (it would refuse the add) or
    // when the files cannot be copied.
    QStringList Acceptable(const QDropEvent& event) const {
        if (form_->IsBusy() || !(event.possibleActions() & Qt::CopyAction) ||
            !event.mimeData()->hasUrls())
            return {};
        return DroppedPackagePaths(event.mimeData()->urls());
    }

    TForm1* form_;
};

}  // namespace

void TForm1::AcceptPackageDrops() {
    ListView1->setAcceptDrops(true);
    ListView1->viewport()->setAcceptDrops(true);
    ListView1->viewport()->installEventFilter(new PackageDropFilter(this));
}

void TForm1::OpenPackages(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    bool added = false;
    RunCommand([this, &paths, &added] {
        AddPackages(paths);
        added = true;
    });
    if (!added)
        return;
    // Selected once the command has ended, so the selection runs as a click's would. A file
    // that the rescan does not list (not a ".wgt") has no row; the next one is taken.
    for (const QString& path : paths) {
        const std::string name = QFileInfo(path).fileName().toStdString();
        for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = ListView1->topLevelItem(i);
            if (RowOf(item).caption == name) {
                ListView1->setCurrentItem(item);
                ListView1->scrollToItem(item);
                return;
            }
        }
    }
}

}  // namespace kelvara::app
