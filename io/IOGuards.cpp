#include "io/IOGuards.h"

#include "image/TIEBitmap.h"
#include "io/TIOProgressRec.h"
#include "platform/Stream.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vellinor {

int64_t ImageByteSize(int64_t width, int64_t height, TIEPixelFormat format) {
    if (width <= 0 || height <= 0 || !IsValidPixelFormat(format) || format == ieNull) return -1;
    if (width > std::numeric_limits<int32_t>::max() ||
        height > std::numeric_limits<int32_t>::max()) {
        return -1;
    }
    const int64_t rowBytes = TIEBitmap::ComputeRowBytes(static_cast<int>(width), format, 32);
    if (rowBytes <= 0 || rowBytes > std::numeric_limits<int32_t>::max()) return -1;
    if (height > std::numeric_limits<int64_t>::max() / rowBytes) return -1;
    return rowBytes * height;
}

bool ImageSizeAcceptable(int64_t width, int64_t height, TIEPixelFormat format,
                         int64_t encodablePixels) {
    const int64_t bytes = ImageByteSize(width, height, format);
    if (bytes < 0) return false;
    if (width > kMaxImagePixels / height) return false; // width x height > 1 gigapixel
    if (bytes <= kUnbackedAllowance || encodablePixels < 0) return true;
    const int64_t pixels = width * height;
    return encodablePixels >= pixels / kTruncationTolerance;
}

int64_t EncodablePixels(int64_t bytes, double pixelsPerByte) {
    if (bytes <= 0 || pixelsPerByte <= 0) return 0;
    const double pixels = static_cast<double>(bytes) * pixelsPerByte;
    if (pixels >= static_cast<double>(std::numeric_limits<int64_t>::max() / 2)) {
        return std::numeric_limits<int64_t>::max() / 2;
    }
    return static_cast<int64_t>(std::ceil(pixels));
}

bool SetupImage(TIEBitmap& bitmap, int64_t width, int64_t height, TIEPixelFormat format,
                TIOProgressRec& progress, int64_t encodablePixels) {
    if (!ImageSizeAcceptable(width, height, format, encodablePixels) ||
        !bitmap.Setup(static_cast<int>(width), static_cast<int>(height), format)) {
        progress.Abort();
        return false;
    }
    return true;
}

int64_t BytesLeft(TStream& stream) {
    const int64_t position = stream.Position();
    const int64_t size = stream.Size();
    if (position < 0 || size <= position) return 0;
    return size - position;
}

std::vector<uint8_t> ReadBlock(TStream& stream, int64_t claimed) {
    const int64_t length = std::min(std::max<int64_t>(claimed, 0), BytesLeft(stream));
    std::vector<uint8_t> block(static_cast<size_t>(length));
    const int64_t got = length > 0 ? stream.Read(block.data(), length) : 0;
    block.resize(static_cast<size_t>(std::max<int64_t>(got, 0)));
    return block;
}

} // namespace vellinor
