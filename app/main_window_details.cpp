// The details panel of the selected row.
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QTreeWidget>
#include <optional>
#include <sstream>

#include "app/main_window.h"
#include "app/ui_language.h"
#include "collection/manifest.h"
#include "collection/package_extraction.h"
#include "collection/texts.h"
#include "platform/documents_folder.h"
#include "platform/scratch_folder.h"
#include "png/png_graphic.h"
#include "png/qt/png_draw.h"

namespace kelvara::app {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y, bool bold,
                  QColor colour = QColor()) {
    auto* label = new QLabel(text, parent);
    QFont font = parent->font();
    font.setPixelSize(11);
    font.setBold(bold);
    label->setFont(font);
    if (colour.isValid()) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, colour);
        label->setPalette(p);
    }
    label->move(x, y);
    label->adjustSize();
    return label;
}

QFrame* MakePanel(QWidget* parent, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(geometry);
    return panel;
}

}  // namespace

void TForm1::BuildDetailsPanel() {
    Panel1 = MakePanel(GroupBox2, QRect(8, 16, 81, 81));
    Image1 = new QLabel(Panel1);
    Image1->setGeometry(0, 0, 57, 57);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2 = MakeLabel(GroupBox2, tr("Высота:"), 96, 16, true);
    Label4 = MakeLabel(GroupBox2, CollectionText(collection::kUnknownValue), 152, 16, false);
    Label3 = MakeLabel(GroupBox2, tr("Ширина:"), 96, 40, true);
    Label5 = MakeLabel(GroupBox2, CollectionText(collection::kUnknownValue), 152, 40, false);
    Panel2 = MakePanel(GroupBox2, QRect(96, 64, 129, 3));
    Label6 = MakeLabel(GroupBox2, tr("Версия:"), 96, 80, true, QColor(0, 128, 0));
    Label7 = MakeLabel(GroupBox2, CollectionText(collection::kUnknownValue), 152, 80, false);
    Label8 = MakeLabel(GroupBox2, tr("ID:"), 16, 104, true, QColor(128, 0, 0));
    Label9 = MakeLabel(GroupBox2, CollectionText(collection::kUnknownValue), 40, 104, false);
    Panel3 = MakePanel(GroupBox2, QRect(8, 120, 225, 3));
    Label10 = MakeLabel(GroupBox2, tr("Доступ к сети:"), 16, 128, true);
    Label11 = MakeLabel(GroupBox2, CollectionText(collection::kUnknownValue), 152, 128, false);
}

void TForm1::ListView1SelectItem(QTreeWidgetItem* item) {
    const std::string caption = RowOf(item).caption;
    RunCommand([this, caption] {
        viewerFolderPath_ = platform::ScratchFolder() + "/" + caption;
        ShowDetails(caption);
    });
}

void TForm1::ResetDetails() {
    Image1->clear();
    Image1->resize(57, 57);
    for (QLabel* label : {Label4, Label5, Label7, Label9, Label11}) {
        label->setText(CollectionText(collection::kUnknownValue));
        label->adjustSize();
    }
    Label11->setPalette(Label10->palette());
}

void TForm1::ShowDetails(const std::string& caption) {
    // Every selection starts from the empty panel, so an error never leaves another package's
    // icon or values beside this row.
    ResetDetails();
    const std::string package = platform::CollectionFolder() + caption;
    auto pump = [this] { Pump(); };
    const std::optional<std::string> icon =
        collection::ReadRootEntry(package, "icon.png", collection::kMaxIconEntryBytes, pump);
    if (icon) {
        png::TPngGraphic graphic;
        std::istringstream stream(*icon);
        graphic.LoadFromStream(stream);
        QImage image = png::RenderPngOverWhite(graphic);
        Image1->resize(static_cast<int>(graphic.Width()), static_cast<int>(graphic.Height()));
        Image1->setPixmap(QPixmap::fromImage(image));
    }

    const std::optional<std::string> manifest =
        collection::ReadRootEntry(package, "config.xml", collection::kMaxManifestEntryBytes, pump);
    if (!manifest)
        return;
    collection::ManifestFields fields = collection::Manifest::Parse(*manifest).Fields();
    auto show = [](QLabel* label, const std::optional<std::string>& value) {
        label->setText(QString::fromStdString(value.value_or(std::string())));
        label->adjustSize();
    };
    show(Label4, fields.height);
    show(Label5, fields.width);
    show(Label7, fields.version);
    show(Label9, fields.id);
    const bool allowed = collection::NetworkAllowed(fields);
    QPalette palette = Label11->palette();
    palette.setColor(QPalette::WindowText, allowed ? QColor(255, 0, 0) : QColor(0, 128, 0));
    Label11->setPalette(palette);
    Label11->setText(
        CollectionText(allowed ? collection::kNetworkAllowed : collection::kNetworkDenied));
    Label11->adjustSize();
}

}  // namespace kelvara::app
