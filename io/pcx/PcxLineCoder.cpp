#include "io/pcx/PcxLineCoder.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace vellinor {

namespace {

constexpr uint8_t kCountFlag = 0xC0;
constexpr int kLongestRun = 63;

} // namespace

bool TPcxLineDecoder::DecodePcxLine(std::span<uint8_t> line) {
    return fRle ? DecodeRle(line) : CopyRaw(line);
}

bool TPcxLineDecoder::CopyRaw(std::span<uint8_t> line) {
    const size_t n = std::min(line.size(), fData.size() - fPosition);
    std::memcpy(line.data(), fData.data() + fPosition, n);
    fPosition += n;
    std::fill(line.begin() + static_cast<std::ptrdiff_t>(n), line.end(), uint8_t{0});
    return n == line.size();
}

bool TPcxLineDecoder::DecodeRle(std::span<uint8_t> line) {
    const size_t size = fData.size();
    size_t x = 0;
    while (x < line.size()) {
        if (fPendingCount > 0) {
            const size_t take = std::min(static_cast<size_t>(fPendingCount), line.size() - x);
            std::memset(line.data() + x, fPendingValue, take);
            x += take;
            fPendingCount -= static_cast<int>(take);
            continue;
        }
        if (fPosition >= size) break;
        const uint8_t code = fData[fPosition++];
        if (code < kCountFlag) {
            line[x++] = code;
            continue;
        }
        if (fPosition >= size) break; // a count without its value
        // A count of 0 (code 192) takes its value and writes nothing.
        fPendingCount = code & kLongestRun;
        fPendingValue = fData[fPosition++];
    }
    if (x == line.size()) return true;
    std::fill(line.begin() + static_cast<std::ptrdiff_t>(x), line.end(), uint8_t{0});
    return false;
}

void EncodePcxLine(std::span<const uint8_t> samples, int count, int stride, int first,
                   std::vector<uint8_t>& out) {
    assert(count <= 0 ||
           static_cast<size_t>(first) + static_cast<size_t>(count - 1) * stride < samples.size());
    const uint8_t* p = samples.data() + first;
    int k = 0;
    while (k < count) {
        const uint8_t value = p[static_cast<size_t>(k) * stride];
        int run = 1;
        while (run < kLongestRun && k + run < count &&
               p[static_cast<size_t>(k + run) * stride] == value) {
            ++run;
        }
        if (run > 1 || value >= kCountFlag) out.push_back(static_cast<uint8_t>(kCountFlag + run));
        out.push_back(value);
        k += run;
    }
    if (count % 2 != 0) out.push_back(0);
}

} // namespace vellinor
