// The dialogs and message boxes of the main window, behind an interface so tests can answer
// them.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace kelvara::app {

class UserDialogs {
  public:
    virtual ~UserDialogs() = default;
    // The open dialog for packages ("Виджеты (*.wgt)", several files); empty when cancelled.
    virtual QStringList ChooseWidgetFiles(QWidget* parent) = 0;
    // The folder browser "Обзор папки". `dirPath` is preselected and becomes the chosen folder
    // on confirmation; it keeps its value when the user cancels.
    virtual void BrowseFolder(QWidget* parent, QString& dirPath) = 0;
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    virtual void ShowInformation(QWidget* parent, const QString& text) = 0;
    // "&Yes" / "&No"; closing the box counts as No.
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
};

// The real dialogs (QFileDialog, QMessageBox with the titles "Error", "Information",
// "Confirm").
class StandardDialogs : public UserDialogs {
  public:
    QStringList ChooseWidgetFiles(QWidget* parent) override;
    void BrowseFolder(QWidget* parent, QString& dirPath) override;
    void ShowError(QWidget* parent, const QString& text) override;
    void ShowInformation(QWidget* parent, const QString& text) override;
    bool Confirm(QWidget* parent, const QString& text) override;
};

}  // namespace kelvara::app
