#pragma once
// JPEG files made with libjpeg directly, for the reader tests: chosen
// density, colour space, progression and segments in a chosen order,
// independent of our writer.

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace vellinor::jpegtest {

struct TSegment {
    int Code;
    std::vector<uint8_t> Data;
};

struct TJpegSpec {
    int Width = 16;
    int Height = 16;
    bool WriteJfif = true;
    int DensityUnit = 0;
    int DensityX = 1, DensityY = 1;
    bool Progressive = false;
    std::vector<TSegment> Segments; // written in this order after the header
};

struct TFailingErrors {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
};

inline void ExitByJump(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<TFailingErrors*>(cinfo->err)->Jump, 1);
}

// A colour picture with a gradient, as JPEG bytes.
inline std::vector<uint8_t> MakeJpeg(const TJpegSpec& spec) {
    jpeg_compress_struct info{};
    TFailingErrors errors{};
    info.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = ExitByJump;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> row(static_cast<size_t>(spec.Width) * 3);
    if (setjmp(errors.Jump) != 0) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(spec.Width);
    info.image_height = static_cast<JDIMENSION>(spec.Height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.write_JFIF_header = spec.WriteJfif ? TRUE : FALSE;
    info.density_unit = static_cast<UINT8>(spec.DensityUnit);
    info.X_density = static_cast<UINT16>(spec.DensityX);
    info.Y_density = static_cast<UINT16>(spec.DensityY);
    if (spec.Progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    for (const TSegment& segment : spec.Segments)
        jpeg_write_marker(&info, segment.Code, segment.Data.data(),
                          static_cast<unsigned>(segment.Data.size()));
    for (int y = 0; y < spec.Height; ++y) {
        for (int x = 0; x < spec.Width; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 255 / spec.Width);
            row[3 * x + 1] = static_cast<uint8_t>(y * 255 / spec.Height);
            row[3 * x + 2] = 128;
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// The marker codes of a JPEG file in order, up to the first frame header.
inline std::vector<int> MarkerCodes(const std::vector<uint8_t>& file) {
    std::vector<int> codes;
    size_t p = 2;
    while (p + 4 <= file.size() && file[p] == 0xFF) {
        const int code = file[p + 1];
        if (code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xCC) {
            codes.push_back(code);
            break;
        }
        codes.push_back(code);
        p += 2 + (file[p + 2] << 8 | file[p + 3]);
    }
    return codes;
}

} // namespace vellinor::jpegtest
