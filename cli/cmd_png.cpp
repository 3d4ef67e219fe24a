#include <QImage>

#include <exception>
#include <fstream>
#include <ostream>

#include "cli/commands.h"
#include "preview/png_draw.h"
#include "preview/png_graphic.h"

namespace kelvara::cli {

namespace {

// Binary PPM: "P6", width, height, 255, then red, green, blue bytes row by row.
bool WritePpm(const QImage& image, int width, int height, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n" << width << ' ' << height << "\n255\n";
    std::string row(size_t(width) * 3, '\0');
    for (int y = 0; y < height && !image.isNull(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            row[size_t(x) * 3] = char(qRed(pixels[x]));
            row[size_t(x) * 3 + 1] = char(qGreen(pixels[x]));
            row[size_t(x) * 3 + 2] = char(qBlue(pixels[x]));
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
    preview::TPngGraphic graphic;
    try {
        graphic.LoadFromFile(args[0]);
    } catch (const std::exception& error) {
        err << error.what() << "\n";
        return 1;
    }
    const QImage image = preview::RenderPngOverWhite(graphic);
    if (!WritePpm(image, int(graphic.Width()), int(graphic.Height()), args[1])) {
        err << "kelvara-cli png: cannot write " << args[1] << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kelvara::cli
