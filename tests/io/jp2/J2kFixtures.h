#pragma once
// Test material for the JPEG 2000 codec: streams made by OpenJPEG directly
// (so reader tests do not depend on the writer under test), edits of JP2
// boxes, and small helpers around the reader.

#include "image/TIEBitmap.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"

#include <cstdint>
#include <openjpeg.h>
#include <string>
#include <vector>

namespace vellinor::test {

struct TFixtureComponent {
    uint32_t Dx = 1, Dy = 1;
    uint32_t Precision = 8;
    bool Signed = false;
    uint16_t Alpha = 0; // OpenJPEG's mark: 1 opacity (a channel definition in JP2)
    // Width x height samples of the (subsampled) component, row by row.
    std::vector<int32_t> Samples;
};

// A lossless JP2 file (jp2) or code stream of the components, on a
// width x height reference grid.
std::vector<uint8_t> EncodeFixture(const std::vector<TFixtureComponent>& components, uint32_t width,
                                   uint32_t height, OPJ_COLOR_SPACE space, bool jp2);

// The samples of every component as OpenJPEG decodes them.
struct TDecodedComponent {
    uint32_t Precision = 0;
    std::vector<int32_t> Samples;
};
std::vector<TDecodedComponent> DecodeComponents(const std::vector<uint8_t>& bytes);

// A box: length, type, content.
std::vector<uint8_t> MakeBox(const std::string& type, const std::vector<uint8_t>& content);
// The JP2 file with `box` appended inside its header box.
std::vector<uint8_t> AddToJp2Header(const std::vector<uint8_t>& file,
                                    const std::vector<uint8_t>& box);
// The JP2 file with the enumerated colour space of its colr box replaced.
std::vector<uint8_t> WithEnumeratedColorSpace(std::vector<uint8_t> file, uint32_t colorSpace);
// The offset of the code stream's first marker `code` (0xFF52 COD, ...), or -1.
int64_t FindMarker(const std::vector<uint8_t>& bytes, uint16_t code);

// A progress record with its own abort flag, counting the reports.
struct TProgressProbe {
    bool Aborted = false;
    std::vector<int> Reports;
    TIOProgressRec Rec;
    TProgressProbe() {
        Rec.AbortFlagRef = &Aborted;
        Rec.ProgressProc = [this](void*, int percent) { Reports.push_back(percent); };
    }
};

// Reads bytes with ReadJ2kStream; true when the abort flag stayed down.
bool ReadBytes(const std::vector<uint8_t>& bytes, TIEBitmap& bitmap, TIOParamsVals& params,
               bool preview = false);

// An ie24RGB bitmap with a smooth, everywhere different pattern.
void FillPattern(TIEBitmap& bitmap, int width, int height);

} // namespace vellinor::test
