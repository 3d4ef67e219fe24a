#include <exception>
#include <fstream>
#include <new>
#include <ostream>

#include "cli/commands.h"
#include "png/png_errors.h"
#include "png/png_graphic.h"
#include "png/png_render.h"

namespace kelvara::cli {

namespace {

// Binary PPM: "P6", width, height, 255, then red, green, blue bytes row by row.
bool WritePpm(const png::TPixelImage& image, int width, int height, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n" << width << ' ' << height << "\n255\n";
    std::string row(size_t(width) * 3, '\0');
    for (int y = 0; y < height && !image.pixels.empty(); ++y) {
        const uint32_t* pixels = image.pixels.data() + size_t(y) * size_t(image.width);
        for (int x = 0; x < width; ++x) {
            row[size_t(x) * 3] = char(pixels[x] >> 16 & 0xFF);
            row[size_t(x) * 3 + 1] = char(pixels[x] >> 8 & 0xFF);
            row[size_t(x) * 3 + 2] = char(pixels[x] & 0xFF);
        }
        out.write(row.data(), std::streamsize(row.size()));
    }
    out.close();
    return bool(out);
}

}  // namespace

int CmdPng(const Args& args, std::ostream&, std::ostream& err) {
    if (args.size() != 2) {
        return UsageError(err, "png", "expected FILE OUT.ppm");
    }
    png::TPngGraphic graphic;
    png::TPixelImage image;
    try {
        graphic.LoadFromFile(args[0]);
        image = png::RenderPngPixelsOverWhite(graphic);
    } catch (const std::bad_alloc&) {
        // The canvas could not be allocated: the same text as a decoder out of memory.
        err << png::EPNGOutMemory().what() << "\n";
        return 1;
    } catch (const std::exception& error) {
        err << error.what() << "\n";
        return 1;
    }
    if (!WritePpm(image, int(graphic.Width()), int(graphic.Height()), args[1])) {
        err << "kelvara-cli png: cannot write " << args[1] << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kelvara::cli
