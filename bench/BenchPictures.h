#pragma once
// Photograph-sized test pictures for the benchmarks: a real photo of the
// corpus tiled to the size (mirrored, so that the tiles meet without seams),
// or, without the corpus, smooth gradients with noise. Plus the PPM files and
// the PSNR used to compare against other tools.

#include "image/TIEBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

namespace vellinor::bench {

inline std::string CorpusFolder() {
    if (const char* dir = std::getenv("VELLINOR_CORPUS_DIR")) return dir;
#ifdef VELLINOR_CORPUS_DIR
    return VELLINOR_CORPUS_DIR;
#else
    return {};
#endif
}

// Reads a gzip-compressed P7 RGB_ALPHA reference decode of the corpus.
inline bool ReadReferencePam(const std::string& path, int& width, int& height,
                             std::vector<uint8_t>& rgba) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::string header;
    char c;
    while (header.find("ENDHDR\n") == std::string::npos && header.size() < 4096 &&
           gzread(file, &c, 1) == 1)
        header += c;
    auto field = [&](const char* name) {
        const size_t at = header.find(name);
        return at == std::string::npos ? 0 : std::atoi(header.c_str() + at + std::strlen(name));
    };
    width = field("WIDTH ");
    height = field("HEIGHT ");
    const bool ok = header.rfind("P7", 0) == 0 && field("DEPTH ") == 4 && width > 0 && height > 0;
    if (ok) {
        rgba.resize(static_cast<size_t>(width) * height * 4);
        const int got = gzread(file, rgba.data(), static_cast<unsigned>(rgba.size()));
        gzclose(file);
        return got == static_cast<int>(rgba.size());
    }
    gzclose(file);
    return false;
}

// Smooth colour gradients, a few soft blobs and noise of a few levels.
inline void PaintSynthetic(TIEBitmap& b) {
    uint32_t seed = 12345;
    auto noise = [&] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 24) % 9) - 4;
    };
    const int w = b.Width(), h = b.Height();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<TRGB*>(b.Row(y));
        for (int x = 0; x < w; ++x) {
            const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
            const double blob = std::exp(-((u - 0.3) * (u - 0.3) + (v - 0.6) * (v - 0.6)) * 20);
            const double r = 60 + 150 * u + 40 * blob + 20 * std::sin(v * 17);
            const double g = 90 + 100 * v * (1 - u) + 60 * blob;
            const double bl = 200 - 120 * v + 30 * std::cos(u * 11 + v * 5);
            auto channel = [&](double value) {
                return static_cast<uint8_t>(std::clamp(static_cast<int>(value) + noise(), 0, 255));
            };
            row[x] = MakeRGB(channel(r), channel(g), channel(bl));
        }
    }
}

struct TBenchPicture {
    std::unique_ptr<TIEBitmap> bitmap;
    std::string description;
};

enum class TPictureKind { TiledPhoto, ScaledPhoto, Synthetic };

// The corpus photo used for the photo pictures.
inline const char* kBenchPhoto = "jpeg/junk_jpeg_header.jpg";

inline bool HasBenchPhoto() {
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    return ReadReferencePam(CorpusFolder() + "/ref/" + kBenchPhoto + ".pam.gz", w, h, rgba);
}

// The picture of width x height. The tiled photo repeats its colours in every
// part of the picture; the photo scaled up (bilinear) keeps them where they
// were, like a real photograph of that size. Without the corpus every kind is
// the synthetic picture.
inline TBenchPicture MakePicture(int width, int height, TPictureKind kind) {
    TBenchPicture picture;
    picture.bitmap = std::make_unique<TIEBitmap>(width, height, ie24RGB);
    TIEBitmap& b = *picture.bitmap;
    int pw = 0, ph = 0;
    std::vector<uint8_t> rgba;
    const bool photo =
        kind != TPictureKind::Synthetic &&
        ReadReferencePam(CorpusFolder() + "/ref/" + kBenchPhoto + ".pam.gz", pw, ph, rgba);
    if (!photo) {
        PaintSynthetic(b);
        picture.description = "synthetic gradients and noise";
        return picture;
    }
    auto at = [&](int x, int y, int c) {
        return static_cast<double>(rgba[(static_cast<size_t>(y) * pw + x) * 4 + c]);
    };
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<TRGB*>(b.Row(y));
        for (int x = 0; x < width; ++x) {
            uint8_t c[3];
            if (kind == TPictureKind::TiledPhoto) {
                const int tx = (x / pw) % 2 ? pw - 1 - x % pw : x % pw;
                const int ty = (y / ph) % 2 ? ph - 1 - y % ph : y % ph;
                for (int k = 0; k < 3; ++k)
                    c[k] = static_cast<uint8_t>(at(tx, ty, k));
            } else {
                const double fx = (x + 0.5) * pw / width - 0.5, fy = (y + 0.5) * ph / height - 0.5;
                const int x0 = std::clamp(static_cast<int>(std::floor(fx)), 0, pw - 1);
                const int y0 = std::clamp(static_cast<int>(std::floor(fy)), 0, ph - 1);
                const int x1 = std::min(x0 + 1, pw - 1), y1 = std::min(y0 + 1, ph - 1);
                const double ax = std::clamp(fx - x0, 0.0, 1.0), ay = std::clamp(fy - y0, 0.0, 1.0);
                for (int k = 0; k < 3; ++k) {
                    const double top = at(x0, y0, k) * (1 - ax) + at(x1, y0, k) * ax;
                    const double bottom = at(x0, y1, k) * (1 - ax) + at(x1, y1, k) * ax;
                    c[k] = static_cast<uint8_t>(std::lround(top * (1 - ay) + bottom * ay));
                }
            }
            row[x] = MakeRGB(c[0], c[1], c[2]);
        }
    }
    picture.description = std::string("corpus photo ") + kBenchPhoto +
                          (kind == TPictureKind::TiledPhoto ? ", tiled" : ", scaled up");
    return picture;
}

inline bool WritePpm(TIEBitmap& b, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", b.Width(), b.Height());
    std::vector<uint8_t> line(static_cast<size_t>(b.Width()) * 3);
    for (int y = 0; y < b.Height(); ++y) {
        const auto* row = reinterpret_cast<const TRGB*>(b.Row(y));
        for (int x = 0; x < b.Width(); ++x) {
            line[3 * x] = row[x].r;
            line[3 * x + 1] = row[x].g;
            line[3 * x + 2] = row[x].b;
        }
        std::fwrite(line.data(), 1, line.size(), f);
    }
    return std::fclose(f) == 0;
}

// Reads a P6 file of 8-bit samples (as ImageMagick writes them) into RGB bytes.
inline bool ReadPpm(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    int maxval = 0;
    const bool ok = std::fscanf(f, "P6 %d %d %d", &width, &height, &maxval) == 3 && maxval == 255;
    std::fgetc(f);
    if (ok) {
        rgb.resize(static_cast<size_t>(width) * height * 3);
        const bool read = std::fread(rgb.data(), 1, rgb.size(), f) == rgb.size();
        std::fclose(f);
        return read;
    }
    std::fclose(f);
    return false;
}

// PSNR in dB over the three channels of every pixel.
template <typename PixelAt>
double Psnr(TIEBitmap& original, PixelAt&& pixelAt) {
    double sum = 0;
    for (int y = 0; y < original.Height(); ++y) {
        const auto* row = reinterpret_cast<const TRGB*>(original.Row(y));
        for (int x = 0; x < original.Width(); ++x) {
            const TRGB q = pixelAt(x, y);
            const double dr = row[x].r - q.r, dg = row[x].g - q.g, db = row[x].b - q.b;
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * original.Width() * original.Height());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

} // namespace vellinor::bench
