#include "io/jpeg/IptcBlock.h"

#include "io/IOMetadata.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

namespace {

constexpr uint8_t kDatasetTag = 0x1C;
constexpr char kPhotoshopSignature[] = "Photoshop 3.0";
constexpr uint8_t kIptcResource[] = {'8', 'B', 'I', 'M', 0x04, 0x04};

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutBE32At(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

uint32_t BE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// Where the datasets of a Photoshop block start: after the IPTC resource's
// header (signature, id, padded name, size), or 0 when there is none.
size_t DatasetsStart(std::span<const uint8_t> block) {
    const size_t signatureLength = sizeof kPhotoshopSignature - 1;
    if (block.size() < signatureLength ||
        std::memcmp(block.data(), kPhotoshopSignature, signatureLength) != 0) {
        return 0;
    }
    const auto found =
        std::search(block.begin(), block.end(), std::begin(kIptcResource), std::end(kIptcResource));
    if (found == block.end()) return block.size();
    size_t position = static_cast<size_t>(found - block.begin()) + sizeof kIptcResource;
    // The resource name is a Pascal string padded to an even length; the
    // 4-byte size follows. Both are skipped so their bytes are never taken
    // for datasets.
    if (position < block.size()) {
        const size_t nameLength = (static_cast<size_t>(block[position]) + 2) & ~size_t{1};
        if (position + nameLength + 4 <= block.size()) position += nameLength + 4;
    }
    return position;
}

} // namespace

std::vector<uint8_t> BuildIptcBlock(const TIEIPTCInfoList& iptc, bool photoshopHeader) {
    std::vector<uint8_t> block;
    if (iptc.Count() == 0) return block;
    size_t lengthAt = 0;
    if (photoshopHeader) {
        for (char c : kPhotoshopSignature) // with its zero byte
            block.push_back(static_cast<uint8_t>(c));
        for (uint8_t b : kIptcResource)
            block.push_back(b);
        block.push_back(0); // empty resource name
        block.push_back(0);
        lengthAt = block.size();
        PutBE32(block, 0);
    } else {
        for (uint8_t b : {kDatasetTag, uint8_t{0x02}, uint8_t{0x00}, uint8_t{0x00}, uint8_t{0x02},
                          uint8_t{0x00}, uint8_t{0x02}})
            block.push_back(b);
    }
    const size_t datasetsStart = block.size();
    for (const auto& item : iptc.Items()) {
        if (item.Data.empty() || (item.Record == 2 && item.Dataset == 0)) continue;
        block.push_back(kDatasetTag);
        block.push_back(item.Record);
        block.push_back(item.Dataset);
        const size_t length = item.Data.size();
        if (length < 32768) {
            block.push_back(static_cast<uint8_t>(length >> 8));
            block.push_back(static_cast<uint8_t>(length));
        } else {
            block.push_back(0x80);
            block.push_back(0x04);
            PutBE32(block, static_cast<uint32_t>(length));
        }
        block.insert(block.end(), item.Data.begin(), item.Data.end());
    }
    if (photoshopHeader) {
        PutBE32At(block, lengthAt, static_cast<uint32_t>(block.size() - datasetsStart));
    }
    if (block.size() % 2 != 0) block.push_back(0);
    return block;
}

bool ParseIptcBlock(TIEIPTCInfoList& iptc, std::span<const uint8_t> block) {
    iptc.ClearUnchanged();
    size_t position = DatasetsStart(block);
    while (position < block.size() && block[position] != kDatasetTag)
        ++position;
    while (position + 1 < block.size() && block[position + 1] == kDatasetTag)
        ++position;
    bool any = false;
    while (position + 5 <= block.size() && block[position] == kDatasetTag) {
        const uint8_t record = block[position + 1];
        const uint8_t dataset = block[position + 2];
        const size_t field = static_cast<size_t>(block[position + 3]) << 8 | block[position + 4];
        size_t length = field;
        size_t header = 5;
        if ((field & 0x8000) != 0) {
            if (position + 9 > block.size()) break;
            length = BE32(block.data() + position + 5);
            header = 9;
        }
        if (length > block.size() - position - header) break;
        const auto data = block.subspan(position + header, length);
        iptc.Add(record, dataset, std::vector<uint8_t>(data.begin(), data.end()));
        any = true;
        position += header + length;
    }
    iptc.UserChanged = false;
    return any;
}

} // namespace vellinor
