#pragma once
// A bitmap as a PAM file (P7, RGB_ALPHA, 8 bits): the form the decoder
// conformance check compares.

#include <string>

namespace vellinor {

class TIEBitmap;

// Alpha is 255 where the bitmap has no alpha plane. False when the file
// cannot be written or the bitmap is empty.
bool WritePam(TIEBitmap& bitmap, const std::string& fileName);

} // namespace vellinor
