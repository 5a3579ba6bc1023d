#pragma once
// IPTC blocks: the datasets of an APP13 Photoshop resource (JPEG) or of the
// TIFF IPTC tag.

#include <cstdint>
#include <span>
#include <vector>

namespace vellinor {

class TIEIPTCInfoList;

// The block of the datasets in iptc (none when the list is empty). With
// photoshopHeader: "Photoshop 3.0", the 8BIM 0x0404 resource header and its
// length; without (TIFF): the record-version dataset first. Record 2
// dataset 0 and datasets without data are left out; an odd block gets a
// padding byte.
std::vector<uint8_t> BuildIptcBlock(const TIEIPTCInfoList& iptc, bool photoshopHeader);

// Clears iptc and reads the datasets of block (a Photoshop APP13 block or
// bare datasets). True when at least one dataset was read. The list's
// user-changed flag is cleared.
bool ParseIptcBlock(TIEIPTCInfoList& iptc, std::span<const uint8_t> block);

} // namespace vellinor
