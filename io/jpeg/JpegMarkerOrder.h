#pragma once
// The order in which saved APPn and COM segments are written back.

namespace vellinor {

class TIEMarkerList;

constexpr unsigned char kJpegApp0 = 0xE0;
constexpr unsigned char kJpegApp1 = 0xE1;
constexpr unsigned char kJpegApp2 = 0xE2;
constexpr unsigned char kJpegApp13 = 0xED;
constexpr unsigned char kJpegApp14 = 0xEE;
constexpr unsigned char kJpegCom = 0xFE;

// By marker code, ascending; entries of one code keep their order, except
// ICC profile chunks, which go by their sequence number. Then the first EXIF
// APP1 entry changes places with the first APP1 entry, so EXIF precedes XMP.
void SortMarkers(TIEMarkerList& markers);

} // namespace vellinor
