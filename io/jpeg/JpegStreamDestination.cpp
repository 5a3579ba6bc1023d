#include "io/jpeg/JpegStreamDestination.h"

#include "io/TIOProgressRec.h"
#include "platform/Stream.h"

namespace vellinor {

TJpegStreamDestination::TJpegStreamDestination(TStream& stream, const TIOProgressRec* progress)
    : fStream(&stream), fProgress(progress), fBuffer(kBufferSize) {
    fManager.Owner = this;
    fManager.Base.init_destination = InitDestination;
    fManager.Base.empty_output_buffer = EmptyOutputBuffer;
    fManager.Base.term_destination = TermDestination;
}

TJpegStreamDestination& TJpegStreamDestination::Of(j_compress_ptr cinfo) {
    return *reinterpret_cast<TManager*>(cinfo->dest)->Owner;
}

void TJpegStreamDestination::Put(size_t count) {
    if (count == 0) return;
    int64_t written = 0;
    try {
        written = fStream->Write(fBuffer.data(), static_cast<int64_t>(count));
    } catch (...) {
        written = -1;
    }
    if (written != static_cast<int64_t>(count) && fProgress != nullptr) fProgress->Abort();
}

void TJpegStreamDestination::InitDestination(j_compress_ptr cinfo) {
    TJpegStreamDestination& self = Of(cinfo);
    self.fManager.Base.next_output_byte = self.fBuffer.data();
    self.fManager.Base.free_in_buffer = kBufferSize;
}

boolean TJpegStreamDestination::EmptyOutputBuffer(j_compress_ptr cinfo) {
    TJpegStreamDestination& self = Of(cinfo);
    self.Put(kBufferSize);
    self.fManager.Base.next_output_byte = self.fBuffer.data();
    self.fManager.Base.free_in_buffer = kBufferSize;
    return TRUE;
}

void TJpegStreamDestination::TermDestination(j_compress_ptr cinfo) {
    TJpegStreamDestination& self = Of(cinfo);
    self.Put(kBufferSize - self.fManager.Base.free_in_buffer);
}

} // namespace vellinor
