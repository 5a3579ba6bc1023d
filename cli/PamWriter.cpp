#include "cli/PamWriter.h"

#include "image/TIEBitmap.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vellinor {

bool WritePam(TIEBitmap& bitmap, const std::string& fileName) {
    if (bitmap.IsVoid()) return false;
    const int width = bitmap.Width(), height = bitmap.Height();
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(fileName.c_str(), "wb"), std::fclose);
    if (!file) return false;
    const std::string header = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " +
                               std::to_string(height) +
                               "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    bool ok = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
    TIEBitmap* alpha = bitmap.HasAlphaPlane() ? bitmap.AlphaPlane() : nullptr;
    const bool direct = bitmap.PixelFormat() == ie24RGB;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    for (int y = 0; y < height && ok; ++y) {
        const auto* rgb = reinterpret_cast<const TRGB*>(bitmap.Row(y));
        const uint8_t* a = alpha != nullptr ? alpha->Row(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            const TRGB c = direct ? rgb[x] : bitmap.ReadAsRGB(x, y);
            uint8_t* p = row.data() + 4 * static_cast<size_t>(x);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = a != nullptr ? a[x] : 255;
        }
        ok = std::fwrite(row.data(), 1, row.size(), file.get()) == row.size();
    }
    return ok && std::fflush(file.get()) == 0;
}

} // namespace vellinor
