#pragma once
// The destination of a file save that never destroys the file it replaces:
// bytes go to a temporary file beside the target, which Commit() renames over
// the target. Without Commit() (a failed writer, an exception) the temporary
// file is removed and the old file stays as it was. When the folder does not
// let us create a file but the target itself may be written, the bytes are
// kept in memory and copied over the target on Commit().

#include "platform/Stream.h"

#include <memory>
#include <string>

namespace vellinor {

class TReplacingFile {
public:
    // Raises EFCreateError ("Cannot create file "<target>". <reason>") when
    // neither way is open.
    explicit TReplacingFile(const std::string& target);
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    TStream& Stream() { return *fStream; }
    // Puts the written bytes in place of the target; false when that fails
    // (the old file is then unchanged).
    bool Commit();
    const std::string& TemporaryName() const { return fTempName; }

private:
    void Discard();

    std::string fTarget;
    std::string fTempName; // empty with the memory fallback
    std::unique_ptr<TStream> fStream;
    bool fDone = false;
};

} // namespace vellinor
