#include "png/qt/png_draw_picture.h"

#include <algorithm>
#include <cctype>

#include "png/png_graphic.h"
#include "png/qt/png_draw.h"

namespace kelvara::png {

namespace {

bool SameExtension(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The extension of the path's file name, without the dot; empty when there is none.
std::string ExtensionOf(const std::string& path) {
    const size_t nameStart = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart)) {
        return {};
    }
    return path.substr(dot + 1);
}

class TPngPictureGraphic : public TGraphic {
  public:
    void LoadFromFile(const std::string& path) override { png_.LoadFromFile(path); }
    int Width() const override { return int(png_.Width()); }
    int Height() const override { return int(png_.Height()); }
    bool Empty() const override { return png_.Empty(); }
    void Draw(QImage& canvas, const QRect& rect) const override { DrawPng(png_, canvas, rect); }
    void Draw(QPainter& painter, const QRect& rect) const override { DrawPng(png_, painter, rect); }

  private:
    TPngGraphic png_;
};

}  // namespace

TFileFormats& TFileFormats::Instance() {
    static TFileFormats formats = [] {
        TFileFormats table;
        table.Register("PNG", "Portable Network Graphics",
                       [] { return std::make_unique<TPngPictureGraphic>(); });
        return table;
    }();
    return formats;
}

void TFileFormats::Register(const std::string& extension, const std::string& description,
                            TGraphicFactory create) {
    Unregister(extension);
    formats_.push_back({extension, description, std::move(create)});
}

void TFileFormats::Unregister(const std::string& extension) {
    std::erase_if(formats_, [&](const TFileFormat& format) {
        return SameExtension(format.extension, extension);
    });
}

const TFileFormat* TFileFormats::Find(const std::string& extension) const {
    for (const TFileFormat& format : formats_) {
        if (SameExtension(format.extension, extension)) {
            return &format;
        }
    }
    return nullptr;
}

void TPicture::LoadFromFile(const std::string& path) {
    const std::string extension = ExtensionOf(path);
    const TFileFormat* format = TFileFormats::Instance().Find(extension);
    if (!format) {
        throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    }
    std::unique_ptr<TGraphic> graphic = format->create();
    graphic->LoadFromFile(path);
    graphic_ = std::move(graphic);
}

}  // namespace kelvara::png
