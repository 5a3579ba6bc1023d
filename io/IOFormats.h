#pragma once
// Format identifiers and the page bits of the save options dialog.

#include <cstdint>

namespace vellinor {

using TIOFormatId = int32_t;

constexpr TIOFormatId iofUnknown = 0;
constexpr TIOFormatId iofTIFF = 1;
constexpr TIOFormatId iofGIF = 2;
constexpr TIOFormatId iofJPEG = 3;
constexpr TIOFormatId iofPCX = 4;
constexpr TIOFormatId iofBMP = 5;
constexpr TIOFormatId iofICO = 6;
constexpr TIOFormatId iofCUR = 7;
constexpr TIOFormatId iofPNG = 8;
constexpr TIOFormatId iofWMF = 9;
constexpr TIOFormatId iofEMF = 10;
constexpr TIOFormatId iofTGA = 11;
constexpr TIOFormatId iofPXM = 12;
constexpr TIOFormatId iofJP2 = 13;
constexpr TIOFormatId iofJ2K = 14;
constexpr TIOFormatId iofAVI = 15; // video, outside the registry
constexpr TIOFormatId iofWBMP = 16;
constexpr TIOFormatId iofPS = 17;
constexpr TIOFormatId iofPDF = 18;
constexpr TIOFormatId iofDCX = 19;
constexpr TIOFormatId iofRAW = 20;
constexpr TIOFormatId iofBMPRAW = 21; // raw bitmap dump, outside the registry
constexpr TIOFormatId iofPSD = 24;
constexpr TIOFormatId iofIEV = 25;
constexpr TIOFormatId iofLYR = 26;
constexpr TIOFormatId iofALL = 27;
constexpr TIOFormatId iofDICOM = 28;

// TIOPreviewsPages: a set of these bits.
using TIOPreviewsPages = uint16_t;
constexpr TIOPreviewsPages ppgAll = 1;
constexpr TIOPreviewsPages ppgCurrent = 2; // the page of the current FileFormat
constexpr TIOPreviewsPages ppgJpeg = 4;
constexpr TIOPreviewsPages ppgTiff = 8;
constexpr TIOPreviewsPages ppgGif = 16;
constexpr TIOPreviewsPages ppgBmp = 32;
constexpr TIOPreviewsPages ppgPcx = 64;
constexpr TIOPreviewsPages ppgPng = 128;
constexpr TIOPreviewsPages ppgTga = 256;
constexpr TIOPreviewsPages ppgJpeg2000 = 512;

} // namespace vellinor
