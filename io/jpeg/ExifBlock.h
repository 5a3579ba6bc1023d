#pragma once
// EXIF blocks in APP1 segments: "Exif", two zero bytes, then a little TIFF
// file. Reading and building that TIFF file is the TIFF codec's work, which
// installs the two routines here; until then no block is parsed or built,
// and an EXIF segment travels unchanged in the marker list.

#include <cstdint>
#include <span>
#include <vector>

namespace vellinor {

class TIOParamsVals;

// The block begins with the text "Exif" and its zero byte.
bool IsExifBlock(std::span<const uint8_t> block);

// Fills the EXIF group (HasExif, ExifThumbnail, ...) from an EXIF block.
using TExifParseRoutine = bool (*)(std::span<const uint8_t> block, TIOParamsVals& params);
// The EXIF block of params' EXIF group (empty when it cannot be built).
using TExifBuildRoutine = std::vector<uint8_t> (*)(TIOParamsVals& params);
void InstallExifRoutines(TExifParseRoutine parse, TExifBuildRoutine build);

// False when the block is not EXIF or no parser is installed.
bool ParseExifBlock(std::span<const uint8_t> block, TIOParamsVals& params);
// Empty when no builder is installed.
std::vector<uint8_t> BuildExifBlock(TIOParamsVals& params);

} // namespace vellinor
