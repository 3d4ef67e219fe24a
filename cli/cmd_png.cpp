#include <algorithm>
#include <cstdint>
#include <exception>
#include <fstream>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

#include "cli/commands.h"
#include "png/png_errors.h"
#include "png/png_graphic.h"
#include "png/png_render.h"

namespace kelvara::cli {

namespace {

// Pixels drawn and written at a time.
constexpr size_t kBandPixels = size_t(256) << 10;

// The picture over white, drawn a band of rows at a time into a small 32-bit canvas and
// written as binary PPM: "P6", width, height, 255, then red, green, blue bytes row by row.
class TPpmWriter {
  public:
    // Allocates the band (which may raise std::bad_alloc) before anything is written.
    explicit TPpmWriter(const png::TPngGraphic& graphic)
        : graphic_(graphic), width_(int(graphic.Width())), height_(int(graphic.Height())) {
        // Nothing is drawn for an image without pixels; its header alone is written.
        if (width_ > 0 && height_ > 0 &&
            uint64_t(width_) * uint64_t(height_) <= png::kPngMaxPixels) {
            bandRows_ = int(std::max<size_t>(1, kBandPixels / size_t(width_)));
            band_.resize(size_t(width_) * size_t(bandRows_));
            rgb_.resize(band_.size() * 3);
        }
    }

    bool Write(const std::string& path) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << "P6\n" << width_ << ' ' << height_ << "\n255\n";
        for (int top = 0; top < height_ && !band_.empty(); top += bandRows_) {
            const int rows = std::min(bandRows_, height_ - top);
            png::RenderPngBandOverWhite(graphic_, top, {band_.data(), width_, rows, width_});
            const size_t pixels = size_t(width_) * size_t(rows);
            png::PixelsToRgb(band_.data(), pixels, rgb_.data());
            out.write(reinterpret_cast<const char*>(rgb_.data()), std::streamsize(pixels * 3));
        }
        out.close();
        return bool(out);
    }

  private:
    const png::TPngGraphic& graphic_;
    int width_;
    int height_;
    int bandRows_ = 0;
    std::vector<uint32_t> band_;
    std::vector<uint8_t> rgb_;
};

}  // namespace

int CmdPng(const Args& args, std::ostream&, std::ostream& err) {
    if (args.size() != 2) {
        return UsageError(err, "png", "expected FILE OUT.ppm");
    }
    png::TPngGraphic graphic;
    std::unique_ptr<TPpmWriter> writer;
    try {
        graphic.LoadFromFile(args[0]);
        writer = std::make_unique<TPpmWriter>(graphic);
    } catch (const std::bad_alloc&) {
        // The canvas could not be allocated: the same text as a decoder out of memory.
        err << png::EPNGOutMemory().what() << "\n";
        return 1;
    } catch (const std::exception& error) {
        err << error.what() << "\n";
        return 1;
    }
    if (!writer->Write(args[1])) {
        err << "kelvara-cli png: cannot write " << args[1] << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kelvara::cli
