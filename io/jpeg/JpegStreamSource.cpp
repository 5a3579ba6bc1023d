#include "io/jpeg/JpegStreamSource.h"

#include "io/TIOProgressRec.h"
#include "platform/Stream.h"

#include <jerror.h>

namespace vellinor {

TJpegStreamSource::TJpegStreamSource(TStream& stream, const TIOProgressRec* progress)
    : fStream(&stream), fProgress(progress), fBuffer(kBufferSize) {
    fManager.Owner = this;
    fManager.Base.init_source = InitSource;
    fManager.Base.fill_input_buffer = FillInputBuffer;
    fManager.Base.skip_input_data = SkipInputData;
    fManager.Base.resync_to_restart = jpeg_resync_to_restart;
    fManager.Base.term_source = TermSource;
}

void TJpegStreamSource::SwitchTo(TStream& stream) {
    fStream = &stream;
    fManager.Base.bytes_in_buffer = 0;
    fManager.Base.next_input_byte = nullptr;
    fFirstFill = true;
}

TJpegStreamSource& TJpegStreamSource::Of(j_decompress_ptr cinfo) {
    return *reinterpret_cast<TManager*>(cinfo->src)->Owner;
}

void TJpegStreamSource::InitSource(j_decompress_ptr) {}

boolean TJpegStreamSource::FillInputBuffer(j_decompress_ptr cinfo) {
    TJpegStreamSource& self = Of(cinfo);
    int64_t got = 0;
    try {
        got = self.fStream->Read(self.fBuffer.data(), static_cast<int64_t>(kBufferSize));
    } catch (...) {
        got = 0;
    }
    if (got <= 0) {
        if (self.fFirstFill && self.fProgress != nullptr) self.fProgress->Abort();
        WARNMS(cinfo, JWRN_JPEG_EOF);
        self.fBuffer[0] = 0xFF;
        self.fBuffer[1] = JPEG_EOI;
        got = 2;
    }
    self.fFirstFill = false;
    self.fManager.Base.next_input_byte = self.fBuffer.data();
    self.fManager.Base.bytes_in_buffer = static_cast<size_t>(got);
    return TRUE;
}

void TJpegStreamSource::SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    TJpegStreamSource& self = Of(cinfo);
    auto left = static_cast<size_t>(count);
    while (left > self.fManager.Base.bytes_in_buffer) {
        left -= self.fManager.Base.bytes_in_buffer;
        FillInputBuffer(cinfo);
    }
    self.fManager.Base.next_input_byte += left;
    self.fManager.Base.bytes_in_buffer -= left;
}

void TJpegStreamSource::TermSource(j_decompress_ptr) {}

} // namespace vellinor
