#pragma once
// PNG files made with libpng directly, for the reader tests: any colour
// type, depth, tRNS and pHYs, independent of our writer.

#include <cstdint>
#include <optional>
#include <png.h>
#include <vector>

namespace vellinor::pngtest {

struct TPngSpec {
    int Width = 4;
    int Height = 3;
    int Depth = 8;
    int ColorType = PNG_COLOR_TYPE_RGB;
    bool Interlaced = false;
    std::vector<png_color> Palette;
    std::vector<png_byte> PaletteAlpha; // tRNS of a palette image
    std::optional<png_uint_32> PixelsPerMetre;
    // Packed rows as libpng takes them (RGB order), Height of them.
    std::vector<std::vector<uint8_t>> Rows;
};

inline void AppendBytes(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline std::vector<uint8_t> MakePng(const TPngSpec& spec) {
    std::vector<uint8_t> bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &bytes, AppendBytes, nullptr);
    png_set_IHDR(png, info, spec.Width, spec.Height, spec.Depth, spec.ColorType,
                 spec.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!spec.Palette.empty()) {
        png_set_PLTE(png, info, spec.Palette.data(), static_cast<int>(spec.Palette.size()));
    }
    if (!spec.PaletteAlpha.empty()) {
        png_set_tRNS(png, info, spec.PaletteAlpha.data(),
                     static_cast<int>(spec.PaletteAlpha.size()), nullptr);
    }
    if (spec.PixelsPerMetre) {
        png_set_pHYs(png, info, *spec.PixelsPerMetre, *spec.PixelsPerMetre, PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (const auto& row : spec.Rows)
            png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// The colour type and depth stored in the IHDR chunk of a PNG file.
inline int StoredColorType(const std::vector<uint8_t>& png) {
    return png.size() > 25 ? png[25] : -1;
}
inline int StoredDepth(const std::vector<uint8_t>& png) {
    return png.size() > 24 ? png[24] : -1;
}

} // namespace vellinor::pngtest
