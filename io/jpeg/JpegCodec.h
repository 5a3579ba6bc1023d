#pragma once
// JPEG through libjpeg (libjpeg-turbo, 6b interface, blue-green-red pixel
// order): baseline and progressive files, grey, RGB, YCbCr, CMYK and YCCK,
// with the APPn and COM segments kept for the next save.

#include "io/jpeg/JpegException.h"

#include <cstdint>

namespace vellinor {

class TIEBitmap;
class TIOParamsVals;
class TStream;
struct TIOProgressRec;

struct TJpegReadOptions {
    // A tables-only datastream read before the image (JPEG inside TIFF).
    TStream* TablesStream = nullptr;
    // Keep grey as ie8g and CMYK as ieCMYK instead of ie24RGB.
    bool NativeFormat = false;
    // Rows to deliver; -1: all.
    int MaxRows = -1;
    // Collect the ICC profile from APP2 chunks into InputIcc.
    bool ScanIcc = true;
    // Drop the APP2 entries once a profile was applied (colour management
    // is absent, so no profile is ever applied).
    bool ApplyIcc = true;
    // CMYK samples are stored as ink amounts, not inverted (TIFF).
    bool InvertCmyk = false;
    // Fill IptcInfo, the EXIF group and XmpPacket from the segments.
    bool ParseMetadata = true;
    // Deliver RGB rows whatever the colour space.
    bool ForceRgb = false;
    // The parameters only; the bitmap is untouched.
    bool ParamsOnly = false;
};

// Reads the JPEG datastream that starts within 150 bytes of the stream's
// position. Library errors are caught: they raise the abort flag and keep
// the rows already decoded (the rest stay zero). Returns the rows delivered.
int ReadJpegStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                   TIOProgressRec& progress, const TJpegReadOptions& options = {});

// Writes bitmap (other formats than ie24RGB through a copy) with the JPEG
// settings of params and its marker list. Library errors raise
// EIEJpegException; a stream that takes fewer bytes raises the abort flag.
void WriteJpegStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                     TIOProgressRec& progress);

// Registers the JPEG codec with the front end (see io/BuiltInCodecs.cpp).
void RegisterJpegCodec();

} // namespace vellinor
