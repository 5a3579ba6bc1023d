#include "io/jp2/J2kStreamAdapter.h"

#include "io/IOGuards.h"
#include "platform/Stream.h"

#include <limits>

namespace vellinor {

namespace {

using TState = TJ2kStreamAdapter::TState;

// OpenJPEG's "nothing more" answer of the read and write callbacks.
constexpr OPJ_SIZE_T kStreamEnd = static_cast<OPJ_SIZE_T>(-1);
// Bytes OpenJPEG buffers between its coder and our stream.
constexpr OPJ_SIZE_T kBufferSize = 64 * 1024;

TState& StateOf(void* userData) {
    return *static_cast<TState*>(userData);
}

int64_t Position(TState& state) {
    return state.Stream->Position() - state.Base;
}

OPJ_SIZE_T ReadBytes(void* buffer, OPJ_SIZE_T count, void* userData) {
    TState& state = StateOf(userData);
    const int64_t got = state.Stream->Read(buffer, static_cast<int64_t>(count));
    if (got < 0) state.Failed = true;
    return got > 0 ? static_cast<OPJ_SIZE_T>(got) : kStreamEnd;
}

OPJ_SIZE_T WriteBytes(void* buffer, OPJ_SIZE_T count, void* userData) {
    TState& state = StateOf(userData);
    const int64_t put = state.Stream->Write(buffer, static_cast<int64_t>(count));
    if (put != static_cast<int64_t>(count)) {
        state.Failed = true;
        return kStreamEnd;
    }
    return count;
}

bool SeekTo(TState& state, int64_t offset) {
    if (offset < 0 || offset > std::numeric_limits<int64_t>::max() - state.Base) return false;
    return state.Stream->Seek(state.Base + offset, TSeekOrigin::soBeginning) == state.Base + offset;
}

// Reading: never past the end. Writing: forward over bytes written later.
OPJ_OFF_T SkipBytes(OPJ_OFF_T count, void* userData, bool reading) {
    TState& state = StateOf(userData);
    const int64_t here = Position(state);
    if (here < 0) return -1;
    int64_t target = count > std::numeric_limits<int64_t>::max() - here ? -1 : here + count;
    if (reading && target > state.Length) target = state.Length;
    if (!SeekTo(state, target)) return -1;
    return target - here;
}

OPJ_OFF_T SkipRead(OPJ_OFF_T count, void* userData) {
    return SkipBytes(count, userData, true);
}

OPJ_OFF_T SkipWrite(OPJ_OFF_T count, void* userData) {
    return SkipBytes(count, userData, false);
}

OPJ_BOOL SeekBytes(OPJ_OFF_T offset, void* userData) {
    return SeekTo(StateOf(userData), offset) ? OPJ_TRUE : OPJ_FALSE;
}

} // namespace

TJ2kStreamAdapter::TJ2kStreamAdapter(TStream& stream, TDirection direction) {
    const bool reading = direction == TDirection::Read;
    fState.Stream = &stream;
    fState.Base = stream.Position();
    if (fState.Base < 0) return;
    fHandle = opj_stream_create(kBufferSize, reading ? OPJ_STREAM_READ : OPJ_STREAM_WRITE);
    if (fHandle == nullptr) return;
    opj_stream_set_user_data(fHandle, &fState, nullptr);
    opj_stream_set_seek_function(fHandle, SeekBytes);
    if (reading) {
        fState.Length = BytesLeft(stream);
        opj_stream_set_user_data_length(fHandle, static_cast<OPJ_UINT64>(fState.Length));
        opj_stream_set_read_function(fHandle, ReadBytes);
        opj_stream_set_skip_function(fHandle, SkipRead);
    } else {
        opj_stream_set_write_function(fHandle, WriteBytes);
        opj_stream_set_skip_function(fHandle, SkipWrite);
    }
}

TJ2kStreamAdapter::~TJ2kStreamAdapter() {
    if (fHandle != nullptr) opj_stream_destroy(fHandle);
}

} // namespace vellinor
