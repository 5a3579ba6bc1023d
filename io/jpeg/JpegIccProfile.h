#pragma once
// ICC profiles in JPEG files: APP2 segments whose data begins "ICC_PROFILE"
// and a zero byte, then the 1-based sequence number and the chunk count.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vellinor {

class TStream;

// The data of an APP2 segment is an ICC chunk (at least the 14 header bytes).
bool IsIccChunk(std::span<const uint8_t> data);

// Scans the segments from the stream's position (the start-of-image) up to
// the first frame header, end-of-image or end of data, collecting ICC chunks
// by sequence number; stops early once the announced count is complete.
// The payloads concatenated in sequence order, or nothing when no chunk was
// found. The stream position is restored.
std::optional<std::vector<uint8_t>> ScanIccProfile(TStream& stream);

} // namespace vellinor
