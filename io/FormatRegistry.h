#pragma once
// The format registry: one TIEFileFormatInfo per format, built once in the
// order of the identifier table, plus formats registered at run time
// (plug-ins, IsBuiltIn false, served by their ReadProc/WriteProc/ProbeProc).
// Built-in entries carry empty routines; their codecs are found through
// FindCodec (ImageCodec.h).

#include "io/IOFormats.h"
#include "io/ImageCodec.h"

#include <string>
#include <vector>

namespace vellinor {

struct TIEFileFormatInfo {
    TIOFormatId FormatId = iofUnknown;
    std::string Description;
    std::string ExtensionList; // upper case, no dot, ";"-separated
    bool IsBuiltIn = false;
    TIOPreviewsPages OptionsPages = 0;
    TIEReadProc ReadProc;
    TIEWriteProc WriteProc;
    TIEProbeProc ProbeProc;
};

// Null when none. The pointers stay valid until the entry is unregistered.
const TIEFileFormatInfo* FindFormatById(TIOFormatId id);
// Case-insensitive, one leading "." ignored, each extension compared whole,
// first match in list order.
const TIEFileFormatInfo* FindFormatByExtension(const std::string& extension);
// Appends.
void RegisterFileFormat(TIEFileFormatInfo info);
// Removes (the first entry with this id).
void UnregisterFileFormat(TIOFormatId id);
// A snapshot of the list in order.
std::vector<TIEFileFormatInfo> FileFormats();

// The options page bit of a format (0 when it has none).
TIOPreviewsPages OptionsPageOf(TIOFormatId id);

// The corpus folder names of the formats with a registered reader, in the
// order bmp, gif, png, jpeg, tiff, pcx, dcx, jp2, j2k, ico, cur, dcm, wmf, emf.
std::vector<std::string> ReadableFormatFolders();

} // namespace vellinor

namespace vellinor {

// Builds the registry and registers the built-in codecs (which install the
// default LZW routines) once per process; every entry point calls it.
void InitializeImageIO();

} // namespace vellinor
