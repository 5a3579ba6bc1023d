#pragma once
// CompuServe GIF: one image of a file read (the one GifFrameIndex names, all
// images counted), one image written with a graphic control block and a
// comment block. The image data go through the LZW routines of the
// parameters record (io/gif/GifLzw.h).

#include <memory>

namespace vellinor {

class TIEBitmap;
class TIEMask;
class TIOParamsVals;
class TStream;
struct TIOProgressRec;

// Reads a GIF stream at its position. frameCount receives the number of
// images in the file. preview: parameters only, the image data skipped.
// alphaMask receives an 8-bit mask (0 = transparent) when the image has a
// transparent index that some pixel uses, unless ignoreTransparency.
// Black-and-white images become ie1g, others ie8p (NativeFormat) or ie24RGB.
void ReadGifStream(TStream& stream, TIEBitmap& bitmap, int& frameCount, TIOParamsVals& params,
                   TIOProgressRec& progress, bool preview, std::unique_ptr<TIEMask>& alphaMask,
                   bool ignoreTransparency);

// Writes bitmap as a single-image GIF at the stream's position, with
// 2^BitsPerSample colours; an alpha plane becomes the transparent last index.
void WriteGifStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    TIOProgressRec& progress);

// Registers the GIF codec with the front end and installs the default LZW
// routines (see io/BuiltInCodecs.cpp).
void RegisterGifCodec();

} // namespace vellinor
