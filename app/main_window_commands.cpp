// The add, delete and package commands of the main window.
#include <QFileInfo>
#include <QLabel>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/texts.h"
#include "app/ui_language.h"
#include "collection/file_copy.h"
#include "collection/install_package.h"
#include "collection/package_deletion.h"
#include "platform/documents_folder.h"

namespace kelvara::app {

void TForm1::FlatButton5Click() {
    RunCommand([this] {
        QStringList paths = dialogs_->ChooseWidgetFiles(this);
        if (paths.isEmpty())
            return;
        AddPackages(paths);
    });
}

void TForm1::AddPackages(const QStringList& paths) {
    for (const QString& path : paths) {
        QString name = QFileInfo(path).fileName();
        SetStatus(2, tr(kStatusAdding) + name + QStringLiteral("..."));
        Pump();
        collection::CopyFileKeepDate(path.toStdString(),
                                     platform::CollectionFolder() + name.toStdString());
    }
    Rescan();
    ShowCounts();
    SetStatus(2, QString());
    dialogs_->ShowInformation(
        this, tr(kAddDonePrefix) + QString::number(paths.size()) + tr(kAddDoneSuffix));
}

void TForm1::FlatButton3Click() {
    RunCommand([this] {
        int checked = CheckedCount();
        if (checked == 0) {
            dialogs_->ShowError(this, tr(kNothingToDelete));
            return;
        }
        if (!dialogs_->Confirm(this, tr(kConfirmDeletePrefix) + QString::number(checked) +
                                         tr(kConfirmDeleteSuffix)))
            return;
        std::vector<std::string> failed = collection::DeletePackages(
            platform::CollectionFolder(), CheckedCaptions(), [this](const std::string& status) {
                SetStatus(2, CollectionProgressText(status));
                Pump();
            });
        Rescan();
        ShowCounts();
        SetStatus(2, QString());
        if (failed.empty()) {
            dialogs_->ShowInformation(this, tr(kDeleteDone));
        } else {
            QString text = tr(kDeleteFailed);
            for (const std::string& caption : failed)
                text += QStringLiteral("\n") + QString::fromStdString(caption);
            dialogs_->ShowError(this, text);
        }
    });
}

void TForm1::FlatButton1Click() {
    RunCommand([this] {
        if (CheckedCount() == 0) {
            dialogs_->ShowError(this, tr(kNothingToPackage));
            return;
        }
        dialogs_->BrowseFolder(this, dirPath_);
        if (dirPath_.isEmpty())
            return;
        collection::BuildInstallPackage(platform::CollectionFolder(), dirPath_.toStdString(),
                                        CheckedCaptions(), templatePath,
                                        [this](const std::string& status) {
                                            SetStatus(2, CollectionProgressText(status));
                                            Pump();
                                        });
        SetStatus(2, QString());
        dialogs_->ShowInformation(this, tr(kPackageDone));
    });
}

}  // namespace kelvara::app
