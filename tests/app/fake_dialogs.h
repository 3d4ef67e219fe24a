// Scripted answers for the main window's dialogs, and a record of the boxes shown.
#pragma once

#include <QStringList>
#include <deque>

#include "app/user_dialogs.h"

namespace kelvara::test {

struct DialogLog {
    QStringList errors, informations, confirmations;
    std::deque<QStringList> filesToChoose;  // one answer per open dialog (empty = cancel)
    std::deque<QString> foldersToChoose;    // one answer per folder dialog (empty = cancel)
    std::deque<bool> confirmAnswers;
    int folderDialogs = 0;
};

class FakeDialogs : public app::UserDialogs {
  public:
    explicit FakeDialogs(DialogLog& log) : log_(log) {}
    QStringList ChooseWidgetFiles(QWidget*) override {
        if (log_.filesToChoose.empty())
            return {};
        QStringList answer = log_.filesToChoose.front();
        log_.filesToChoose.pop_front();
        return answer;
    }
    void BrowseFolder(QWidget*, QString& dirPath) override {
        ++log_.folderDialogs;
        QString answer;
        if (!log_.foldersToChoose.empty()) {
            answer = log_.foldersToChoose.front();
            log_.foldersToChoose.pop_front();
        }
        if (!answer.isEmpty())
            dirPath = answer;
    }
    void ShowError(QWidget*, const QString& text) override { log_.errors << text; }
    void ShowInformation(QWidget*, const QString& text) override { log_.informations << text; }
    bool Confirm(QWidget*, const QString& text) override {
        log_.confirmations << text;
        bool answer = !log_.confirmAnswers.empty() && log_.confirmAnswers.front();
        if (!log_.confirmAnswers.empty())
            log_.confirmAnswers.pop_front();
        return answer;
    }

  private:
    DialogLog& log_;
};

}  // namespace kelvara::test
