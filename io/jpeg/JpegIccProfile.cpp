#include "io/jpeg/JpegIccProfile.h"

#include "platform/BufferedStream.h"
#include "platform/Stream.h"

#include <array>
#include <cstring>
#include <map>

namespace vellinor {

namespace {

constexpr char kIccSignature[] = "ICC_PROFILE"; // with its zero byte: 12 bytes
constexpr size_t kIccHeader = 14;

bool IsFrameHeader(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool HasNoLength(uint8_t marker) {
    return marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Collects the chunks; the scan itself, over a buffered reader.
void CollectChunks(TStream& input, std::map<int, std::vector<uint8_t>>& chunks) {
    int expected = 0;
    uint8_t byte = 0;
    for (;;) {
        // Find the next marker: a 0xFF, then any further 0xFF fill bytes.
        if (!input.ReadValue(byte)) return;
        if (byte != 0xFF) continue;
        do {
            if (!input.ReadValue(byte)) return;
        } while (byte == 0xFF);
        const uint8_t marker = byte;
        if (marker == 0x00 || HasNoLength(marker)) continue;
        if (marker == 0xD9 || IsFrameHeader(marker)) return;
        uint8_t lengthBytes[2];
        if (!input.ReadExact(lengthBytes, 2)) return;
        const int length = lengthBytes[0] << 8 | lengthBytes[1];
        if (length < 2) return;
        int64_t rest = length - 2;
        if (marker == 0xE2 && length >= 16) {
            std::array<uint8_t, kIccHeader> header{};
            if (!input.ReadExact(header.data(), kIccHeader)) return;
            rest -= kIccHeader;
            if (IsIccChunk(header)) {
                std::vector<uint8_t> payload(static_cast<size_t>(rest));
                if (!input.ReadExact(payload.data(), rest)) return;
                rest = 0;
                chunks.emplace(header[12], std::move(payload));
                expected = header[13];
                if (expected > 0 && static_cast<int>(chunks.size()) >= expected) return;
            }
        }
        if (rest > 0 && input.Seek(rest, TSeekOrigin::soCurrent) < 0) return;
    }
}

} // namespace

bool IsIccChunk(std::span<const uint8_t> data) {
    return data.size() >= kIccHeader && std::memcmp(data.data(), kIccSignature, 12) == 0;
}

std::optional<std::vector<uint8_t>> ScanIccProfile(TStream& stream) {
    const int64_t start = stream.Position();
    std::map<int, std::vector<uint8_t>> chunks;
    {
        TBufferedReadStream input(stream);
        CollectChunks(input, chunks);
    }
    stream.Seek(start, TSeekOrigin::soBeginning);
    if (chunks.empty()) return std::nullopt;
    std::vector<uint8_t> profile;
    for (const auto& [sequence, payload] : chunks)
        profile.insert(profile.end(), payload.begin(), payload.end());
    return profile;
}

} // namespace vellinor
