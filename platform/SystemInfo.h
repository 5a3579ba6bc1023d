#pragma once
// What the operating system tells about memory, disks and the temporary folder,
// and the process-wide overrides tests use to force disk storage.

#include <cstdint>
#include <optional>
#include <string>

namespace vellinor {

// Total physical memory in bytes (0 when unknown).
uint64_t TotalPhysicalMemory();

// Free bytes available to us on the file system holding path (0 when unknown).
uint64_t FreeDiskSpace(const std::string& path);

// The folder for temporary files, always ending with '/': the override when
// set, else $TMPDIR, else /tmp.
std::string TemporaryFolder();

// Process-wide overrides. MinFileSize is stored as two int32 halves; both -1
// means "not set".
void SetMinFileSizeOverride(int32_t low, int32_t high);
void ClearMinFileSizeOverride();
std::optional<int64_t> MinFileSizeOverride();

void SetTemporaryFolderOverride(const std::string& folder); // empty = not set

// Largest single allocation the pixel allocators may make (test hook to force
// the fragment and disk fallbacks); not set = no limit.
void SetLargestBlockOverride(std::optional<int64_t> bytes);
std::optional<int64_t> LargestBlockOverride();

} // namespace vellinor
