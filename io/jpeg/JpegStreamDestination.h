#pragma once
// libjpeg's data destination over a TStream: a 65536-byte buffer written
// whole when full, the used part at the end. A stream that takes fewer bytes
// raises the abort flag; the library goes on.

#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace vellinor {

class TStream;
struct TIOProgressRec;

class TJpegStreamDestination {
public:
    static constexpr size_t kBufferSize = 65536;

    TJpegStreamDestination(TStream& stream, const TIOProgressRec* progress);
    TJpegStreamDestination(const TJpegStreamDestination&) = delete;
    TJpegStreamDestination& operator=(const TJpegStreamDestination&) = delete;

    void Attach(j_compress_ptr cinfo) { cinfo->dest = &fManager.Base; }

private:
    static void InitDestination(j_compress_ptr cinfo);
    static boolean EmptyOutputBuffer(j_compress_ptr cinfo);
    static void TermDestination(j_compress_ptr cinfo);
    static TJpegStreamDestination& Of(j_compress_ptr cinfo);
    void Put(size_t count);

    // The library's record with a way back to this object.
    struct TManager {
        jpeg_destination_mgr Base;
        TJpegStreamDestination* Owner;
    };
    TManager fManager{};
    TStream* fStream;
    const TIOProgressRec* fProgress;
    std::vector<JOCTET> fBuffer;
};

} // namespace vellinor
