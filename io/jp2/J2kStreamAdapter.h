#pragma once
// An OpenJPEG stream over one of our streams, through OpenJPEG's stream
// callbacks: no temporary files, any TStream (file, memory, span) will do.
// OpenJPEG's position 0 is where our stream stood when the adapter was made;
// a reading adapter tells OpenJPEG the bytes from there to the end.

#include <cstdint>
#include <openjpeg.h>

namespace vellinor {

class TStream;

class TJ2kStreamAdapter {
public:
    enum class TDirection { Read, Write };

    TJ2kStreamAdapter(TStream& stream, TDirection direction);
    ~TJ2kStreamAdapter();
    TJ2kStreamAdapter(const TJ2kStreamAdapter&) = delete;
    TJ2kStreamAdapter& operator=(const TJ2kStreamAdapter&) = delete;

    // Null when OpenJPEG could not make the stream.
    opj_stream_t* Handle() const { return fHandle; }
    // True after a read or write of our stream failed.
    bool Failed() const { return fState.Failed; }

    // The callbacks' state (public for the callbacks only).
    struct TState {
        TStream* Stream = nullptr;
        int64_t Base = 0;   // our position of OpenJPEG's 0
        int64_t Length = 0; // reading: bytes from Base to the end
        bool Failed = false;
    };

private:
    TState fState;
    opj_stream_t* fHandle = nullptr;
};

} // namespace vellinor
