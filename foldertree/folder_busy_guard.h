// While a tree reads the disk: the busy cursor is shown and the widget is not repainted.
// Nests: only the outermost guard turns repainting back on.
#pragma once

#include <QApplication>
#include <QWidget>

namespace kelvara::foldertree {

class FolderBusyGuard {
  public:
    explicit FolderBusyGuard(QWidget* widget)
        : widget_(widget), wasUpdating_(widget->updatesEnabled()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        widget_->setUpdatesEnabled(false);
    }
    ~FolderBusyGuard() {
        widget_->setUpdatesEnabled(wasUpdating_);
        QApplication::restoreOverrideCursor();
    }
    FolderBusyGuard(const FolderBusyGuard&) = delete;
    FolderBusyGuard& operator=(const FolderBusyGuard&) = delete;

  private:
    QWidget* widget_;
    bool wasUpdating_;
};

}  // namespace kelvara::foldertree
