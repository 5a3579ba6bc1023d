#pragma once
// libjpeg's data source over a TStream: a 65536-byte buffer. When the stream
// has nothing more, the buffer receives a fake end-of-image (0xFF 0xD9) so the
// library ends cleanly with its "Premature end of JPEG file" warning; on the
// very first fill that also raises the abort flag.

#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace vellinor {

class TStream;
struct TIOProgressRec;

class TJpegStreamSource {
public:
    static constexpr size_t kBufferSize = 65536;

    TJpegStreamSource(TStream& stream, const TIOProgressRec* progress);
    TJpegStreamSource(const TJpegStreamSource&) = delete;
    TJpegStreamSource& operator=(const TJpegStreamSource&) = delete;

    // Makes this the source of cinfo.
    void Attach(j_decompress_ptr cinfo) { cinfo->src = &fManager.Base; }
    // Continues with another stream (after a tables-only datastream).
    void SwitchTo(TStream& stream);

private:
    static void InitSource(j_decompress_ptr cinfo);
    static boolean FillInputBuffer(j_decompress_ptr cinfo);
    static void SkipInputData(j_decompress_ptr cinfo, long count);
    static void TermSource(j_decompress_ptr cinfo);
    static TJpegStreamSource& Of(j_decompress_ptr cinfo);

    // The library's record with a way back to this object.
    struct TManager {
        jpeg_source_mgr Base;
        TJpegStreamSource* Owner;
    };
    TManager fManager{};
    TStream* fStream;
    const TIOProgressRec* fProgress;
    std::vector<JOCTET> fBuffer;
    bool fFirstFill = true;
};

} // namespace vellinor
