#include "shell/SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vellinor {

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// "[name]" -> name; false for other lines.
bool SectionName(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] != '[') return false;
    const auto close = t.find(']');
    name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// "key = value" -> key, value; false for other lines (comments included).
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    const auto eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return true;
}

// Cuts to at most n bytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string s, size_t n) {
    if (s.size() <= n) return s;
    size_t end = n;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
        --end;
    s.resize(end);
    return s;
}

// Keys and values live on one line.
std::string OneLine(std::string s) {
    std::replace(s.begin(), s.end(), '\n', ' ');
    std::replace(s.begin(), s.end(), '\r', ' ');
    return s;
}

} // namespace

ESettingsWriteError::ESettingsWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path) {}

TSettingsFile::TSettingsFile(std::string path) : fPath(std::move(path)) {
    std::ifstream in(fPath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        fLines.push_back(line);
    }
}

int TSettingsFile::FindSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < fLines.size(); ++i)
        if (SectionName(fLines[i], name) && SameName(name, section)) return static_cast<int>(i);
    return -1;
}

int TSettingsFile::FindKey(const std::string& section, const std::string& key) const {
    const int start = FindSection(section);
    if (start < 0) return -1;
    std::string name, k, v;
    for (size_t i = static_cast<size_t>(start) + 1; i < fLines.size(); ++i) {
        if (SectionName(fLines[i], name)) break;
        if (KeyValue(fLines[i], k, v) && SameName(k, key)) return static_cast<int>(i);
    }
    return -1;
}

bool TSettingsFile::ValueExists(const std::string& section, const std::string& key) const {
    return FindKey(section, key) >= 0;
}

std::string TSettingsFile::ReadString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const {
    const int line = FindKey(section, key);
    std::string k, value = defaultValue;
    if (line >= 0) KeyValue(fLines[static_cast<size_t>(line)], k, value);
    return CutUtf8(value, kMaxStringBytes);
}

bool ParseSettingsInteger(const std::string& text, int32_t& value) {
    const std::string t = Trim(text);
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        if (t.size() > 10) return false;
        uint32_t v = 0;
        for (size_t i = 2; i < t.size(); ++i) {
            const auto c = static_cast<unsigned char>(t[i]);
            if (!std::isxdigit(c)) return false;
            v = v * 16 +
                static_cast<uint32_t>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
        }
        value = static_cast<int32_t>(v);
        return true;
    }
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i == t.size()) return false;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
        v = v * 10 + (t[i] - '0');
        if (v > int64_t{INT32_MAX} + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = static_cast<int32_t>(v);
    return true;
}

int32_t TSettingsFile::ReadInteger(const std::string& section, const std::string& key,
                                   int32_t defaultValue) const {
    int32_t value = defaultValue;
    if (!ParseSettingsInteger(ReadString(section, key, ""), value)) return defaultValue;
    return value;
}

void TSettingsFile::WriteString(const std::string& section, const std::string& key,
                                const std::string& value) {
    const std::string entry = OneLine(key) + "=" + OneLine(value);
    const int line = FindKey(section, key);
    if (line >= 0) {
        fLines[static_cast<size_t>(line)] = entry;
    } else {
        const int start = FindSection(section);
        if (start < 0) {
            if (!fLines.empty() && !Trim(fLines.back()).empty()) fLines.emplace_back();
            fLines.push_back("[" + OneLine(section) + "]");
            fLines.push_back(entry);
        } else {
            // After the last non-blank line of the section.
            size_t insert = static_cast<size_t>(start) + 1;
            std::string name;
            for (size_t i = insert; i < fLines.size() && !SectionName(fLines[i], name); ++i)
                if (!Trim(fLines[i]).empty()) insert = i + 1;
            fLines.insert(fLines.begin() + static_cast<std::ptrdiff_t>(insert), entry);
        }
    }
    Save();
}

void TSettingsFile::WriteInteger(const std::string& section, const std::string& key,
                                 int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TSettingsFile::Save() {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(fPath).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    std::ostringstream text;
    for (const std::string& line : fLines)
        text << line << '\n';
    std::ofstream out(fPath, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.close();
    if (!out) throw ESettingsWriteError(fPath);
}

} // namespace vellinor
