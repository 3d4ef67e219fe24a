// A main window over a fresh collection folder in the sandbox's documents folder.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "fake_dialogs.h"
#include "platform/documents_folder.h"
#include "testkit/temp_folder.h"

// Readable QString values in assertion messages.
inline void PrintTo(const QString& s, std::ostream* out) {
    *out << '"' << s.toStdString() << '"';
}

namespace kelvara::test {

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove_all(platform::DocumentsFolder());
        std::filesystem::create_directories(Collection());
    }
    void TearDown() override {
        form_.reset();
        std::filesystem::remove_all(platform::DocumentsFolder());
    }
    static std::string Collection() { return platform::CollectionFolder(); }
    app::TForm1& Form() {
        if (!form_) {
            form_ = std::make_unique<app::TForm1>(std::make_unique<FakeDialogs>(log_));
            form_->templatePath = TestData("page/temp");
            form_->FormCreate();
        }
        return *form_;
    }
    QString Status(int panel) { return Form().StatusPanels[panel]->text(); }
    QStringList Column(int column) {
        QStringList texts;
        for (int i = 0; i < Form().ListView1->topLevelItemCount(); ++i)
            texts << Form().ListView1->topLevelItem(i)->text(column);
        return texts;
    }
    void Check(int row) { Form().ListView1->topLevelItem(row)->setCheckState(0, Qt::Checked); }

    DialogLog log_;
    std::unique_ptr<app::TForm1> form_;
    TempFolder scratch_;
};

}  // namespace kelvara::test
