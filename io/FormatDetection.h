#pragma once
// Content detection. The tests run in a fixed order and the first that
// succeeds decides; probes of codecs that are not built answer false.

#include "io/IOFormats.h"

#include <string>

namespace vellinor {

class TStream;

// Content only; the stream position is restored. 0 when unknown (also when a
// test throws).
TIOFormatId DetectStreamFormat(TStream& stream);

// 0 for an empty name or a file that cannot be opened. With checkExtension
// the result must agree with the registry entry of the file's extension.
TIOFormatId DetectFileFormat(const std::string& fileName, bool checkExtension);

// The extension of a file name with its dot, lower case ("" when none).
std::string LowerExtension(const std::string& fileName);

} // namespace vellinor
