// The picture of an image control: a graphic created by file extension from a table of
// registered formats. PNG is registered as "PNG" / "Portable Network Graphics".
#pragma once

#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QPainter;

namespace kelvara::png {

// Raised for a file extension without a registered format.
class EInvalidGraphic : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A graphic class of the picture system.
class TGraphic {
  public:
    virtual ~TGraphic() = default;
    virtual void LoadFromFile(const std::string& path) = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    virtual void Draw(QImage& canvas, const QRect& rect) const = 0;
    virtual void Draw(QPainter& painter, const QRect& rect) const = 0;
};

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

struct TFileFormat {
    std::string extension;  // without the dot
    std::string description;
    TGraphicFactory create;
};

// The table of formats, keyed by extension compared case-insensitively.
class TFileFormats {
  public:
    // The program's table, with PNG registered.
    static TFileFormats& Instance();

    void Register(const std::string& extension, const std::string& description,
                  TGraphicFactory create);
    void Unregister(const std::string& extension);
    const TFileFormat* Find(const std::string& extension) const;
    const std::vector<TFileFormat>& Formats() const { return formats_; }

  private:
    std::vector<TFileFormat> formats_;
};

class TPicture {
  public:
    // Creates the graphic registered for the file's extension and loads it. On failure the
    // new graphic is discarded and the previous one stays.
    void LoadFromFile(const std::string& path);

    const TGraphic* Graphic() const { return graphic_.get(); }
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    void Clear() { graphic_.reset(); }

  private:
    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace kelvara::png
