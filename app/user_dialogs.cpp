#include "app/user_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace kelvara::app {
namespace {

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace

QStringList StandardDialogs::ChooseWidgetFiles(QWidget* parent) {
    return QFileDialog::getOpenFileNames(
        parent, QString(), QString(),
        QCoreApplication::translate("kelvara::app::StandardDialogs", "Виджеты (*.wgt)"));
}

void StandardDialogs::BrowseFolder(QWidget* parent, QString& dirPath) {
    if (!dirPath.isEmpty() && !QDir(dirPath).exists())
        dirPath.clear();
    QFileDialog dialog(parent,
                       QCoreApplication::translate("kelvara::app::StandardDialogs", "Обзор папки"),
                       dirPath);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!dirPath.isEmpty())
        dialog.selectFile(dirPath);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        QString chosen = QDir::cleanPath(dialog.selectedFiles().first());
        dirPath = chosen;
    }
}

void StandardDialogs::ShowError(QWidget* parent, const QString& text) {
    ShowMessage(parent, QMessageBox::Critical, QStringLiteral("Error"), text);
}

void StandardDialogs::ShowInformation(QWidget* parent, const QString& text) {
    ShowMessage(parent, QMessageBox::Information, QStringLiteral("Information"), text);
}

bool StandardDialogs::Confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton,
                    parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setEscapeButton(no);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace kelvara::app
