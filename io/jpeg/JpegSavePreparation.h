#pragma once
// The marker list brought up to date before a JPEG file or stream save
// (the TIFF codec's JPEG strips skip this).

#include <cstdint>
#include <vector>

namespace vellinor {

class TIOParamsVals;

// Writes ResolutionX / ResolutionY into the Photoshop resolution resource
// (8BIM 0x03ED) of the first APP13 entry, when there is one.
void UpdatePhotoshopResolution(TIOParamsVals& params);

// UpdatePhotoshopResolution, then the IPTC, EXIF and XMP entries rebuilt
// from the parameters where they changed or exist.
void PrepareJpegMarkers(TIOParamsVals& params);

} // namespace vellinor
