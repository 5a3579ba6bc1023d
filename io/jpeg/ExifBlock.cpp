#include "io/jpeg/ExifBlock.h"

#include <atomic>
#include <cstring>

namespace vellinor {

namespace {

std::atomic<TExifParseRoutine> gParse{nullptr};
std::atomic<TExifBuildRoutine> gBuild{nullptr};

} // namespace

bool IsExifBlock(std::span<const uint8_t> block) {
    return block.size() >= 5 && std::memcmp(block.data(), "Exif", 5) == 0;
}

void InstallExifRoutines(TExifParseRoutine parse, TExifBuildRoutine build) {
    gParse = parse;
    gBuild = build;
}

bool ParseExifBlock(std::span<const uint8_t> block, TIOParamsVals& params) {
    const TExifParseRoutine parse = gParse;
    return parse != nullptr && IsExifBlock(block) && parse(block, params);
}

std::vector<uint8_t> BuildExifBlock(TIOParamsVals& params) {
    const TExifBuildRoutine build = gBuild;
    return build != nullptr ? build(params) : std::vector<uint8_t>{};
}

} // namespace vellinor
