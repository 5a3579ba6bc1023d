#pragma once
// The program's settings file: a Windows-style INI file read and written with
// the semantics of the private-profile functions (sections and keys compared
// without case, values trimmed and unquoted, every write going straight to the
// file). Text is UTF-8.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vellinor {

// A value could not be written; the message is "Unable to write to <path>".
class ESettingsWriteError : public std::runtime_error {
public:
    explicit ESettingsWriteError(const std::string& path);
};

class TSettingsFile {
public:
    // Reads the file when it exists; a missing or unreadable file reads as empty.
    explicit TSettingsFile(std::string path);

    const std::string& FileName() const { return fPath; }

    // At most kMaxStringBytes bytes are returned (never a split character).
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal, or hexadecimal after "0x"/"0X"; anything else gives the default.
    int32_t ReadInteger(const std::string& section, const std::string& key,
                        int32_t defaultValue) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

    // Each write updates the file at once; throws ESettingsWriteError.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);

    static constexpr size_t kMaxStringBytes = 2047;

private:
    // Index of the line of the key in the section, or -1.
    int FindKey(const std::string& section, const std::string& key) const;
    int FindSection(const std::string& section) const;
    void Save();

    std::string fPath;
    std::vector<std::string> fLines;
};

// Parses an integer setting the way ReadInteger does; false when it does not convert.
bool ParseSettingsInteger(const std::string& text, int32_t& value);

} // namespace vellinor
