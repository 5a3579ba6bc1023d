#include "io/ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vellinor {

namespace {

[[noreturn]] void ThrowCreateError(const std::string& target, int error) {
    throw EFCreateError("Cannot create file \"" + FullFileName(target) + "\". " +
                        std::strerror(error));
}

// Creates a new, empty file beside target; returns its name, or "" with errno set.
std::string CreateTemporaryBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path path(target);
    const std::filesystem::path folder = path.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string leaf = "." + path.filename().string() + "." + std::to_string(::getpid()) +
                                 "." + std::to_string(counter++) + ".tmp";
        const std::string name = (folder / leaf).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) return {};
    }
    errno = EEXIST;
    return {};
}

} // namespace

TReplacingFile::TReplacingFile(const std::string& target) : fTarget(target) {
    // A link is followed: the file it names is replaced, the link stays.
    std::error_code error;
    if (std::filesystem::is_symlink(target, error)) {
        const auto resolved = std::filesystem::weakly_canonical(target, error);
        if (!error) fTarget = resolved.string();
    }
    struct stat info {};
    const bool exists = ::stat(fTarget.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) ThrowCreateError(target, EISDIR);
    if (exists && ::access(fTarget.c_str(), W_OK) != 0) ThrowCreateError(target, errno);
    fTempName = CreateTemporaryBeside(fTarget);
    if (!fTempName.empty()) {
        if (exists) ::chmod(fTempName.c_str(), info.st_mode & 07777);
        fStream = std::make_unique<TFileStream>(fTempName, TFileMode::fmOpenReadWrite);
        return;
    }
    // No temporary file here (a folder without write access, a name too long
    // for the extra suffix): keep the bytes in memory when the target itself
    // can be written.
    if (!exists) {
        const int fd = ::open(fTarget.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) ThrowCreateError(target, errno);
        ::close(fd);
        ::unlink(fTarget.c_str());
    }
    fStream = std::make_unique<TMemoryStream>();
}

TReplacingFile::~TReplacingFile() {
    if (!fDone) Discard();
}

void TReplacingFile::Discard() {
    fDone = true;
    fStream.reset();
    if (!fTempName.empty()) ::unlink(fTempName.c_str());
}

bool TReplacingFile::Commit() {
    if (fDone) return false;
    if (!fTempName.empty()) {
        fStream.reset(); // closes the file
        fDone = true;
        if (std::rename(fTempName.c_str(), fTarget.c_str()) == 0) return true;
        ::unlink(fTempName.c_str());
        return false;
    }
    auto* memory = static_cast<TMemoryStream*>(fStream.get());
    fDone = true;
    try {
        TFileStream out(fTarget, TFileMode::fmCreate);
        const auto& bytes = memory->Data();
        return out.WriteExact(bytes.data(), static_cast<int64_t>(bytes.size()));
    } catch (const EStreamError&) {
        return false;
    }
}

} // namespace vellinor
