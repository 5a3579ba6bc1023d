#include "io/FormatDetection.h"

#include "io/FormatRegistry.h"
#include "io/ImageCodec.h"
#include "platform/BufferedStream.h"
#include "platform/Stream.h"

#include <cctype>
#include <cstring>
#include <filesystem>

namespace vellinor {

namespace {

// The first n bytes as text up to the first zero byte.
std::string LeadingText(TStream& stream, int64_t start, int n) {
    char bytes[8] = {};
    stream.Seek(start, TSeekOrigin::soBeginning);
    const int64_t got = stream.Read(bytes, n);
    stream.Seek(start, TSeekOrigin::soBeginning);
    if (got <= 0) return {};
    return std::string(bytes, strnlen(bytes, static_cast<size_t>(got)));
}

bool CodecProbe(TIOFormatId id, TStream& stream, int64_t start) {
    const TIECodec* codec = FindCodec(id);
    if (codec == nullptr || !codec->Probe) return false;
    const bool accepted = codec->Probe(stream);
    stream.Seek(start, TSeekOrigin::soBeginning);
    if (!accepted || !codec->Reject) return accepted;
    const bool rejected = codec->Reject(stream);
    stream.Seek(start, TSeekOrigin::soBeginning);
    return !rejected;
}

TIOFormatId Detect(TStream& stream, int64_t start) {
    const int64_t size = stream.Size() - start;
    uint8_t head[12] = {};
    stream.Seek(start, TSeekOrigin::soBeginning);
    const int64_t got = stream.Read(head, sizeof head);
    stream.Seek(start, TSeekOrigin::soBeginning);

    if (size > 12 && LeadingText(stream, start, 5) == "JFIF") return iofJPEG;
    if (size > 13 && got >= 3 && std::memcmp(head, "GIF", 3) == 0) return iofGIF;
    if (size > 12 && LeadingText(stream, start, 5) == "PCX2") return iofPCX;
    if (size > 4 && LeadingText(stream, start, 4) == "PCX") return iofPCX;
    if (size > 14 && got >= 2 && head[0] == 'B' && head[1] == 'M') return iofBMP;
    if (size > 128 && got >= 2 && head[0] == 10 && head[1] <= 5) return iofPCX;
    if (size > 12 && LeadingText(stream, start, 5) == "TIFF") return iofTIFF;
    if (CodecProbe(iofTIFF, stream, start)) return iofTIFF;
    if (size > 8 && CodecProbe(iofPNG, stream, start)) return iofPNG;
    static constexpr TIOFormatId kProbeOrder[] = {iofDICOM, iofICO,  iofCUR, iofTGA,
                                                  iofPXM,   iofJPEG, iofJP2, iofJ2K};
    for (TIOFormatId id : kProbeOrder)
        if (CodecProbe(id, stream, start)) return id;
    if (got >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "AVI ", 4) == 0) {
        return iofAVI;
    }
    static constexpr TIOFormatId kLaterProbes[] = {iofDCX, iofWMF, iofEMF, iofPSD,
                                                   iofIEV, iofLYR, iofALL};
    for (TIOFormatId id : kLaterProbes)
        if (CodecProbe(id, stream, start)) return id;
    for (const TIEFileFormatInfo& info : FileFormats()) {
        if (info.IsBuiltIn || !info.ProbeProc) continue;
        const bool accepted = info.ProbeProc(stream);
        stream.Seek(start, TSeekOrigin::soBeginning);
        if (accepted) return info.FormatId;
    }
    if (CodecProbe(iofRAW, stream, start)) return iofRAW;
    return iofUnknown;
}

} // namespace

TIOFormatId DetectStreamFormat(TStream& stream) {
    const int64_t start = stream.Position();
    if (start < 0) return iofUnknown;
    TIOFormatId result = iofUnknown;
    try {
        result = Detect(stream, start);
    } catch (...) {
        result = iofUnknown;
    }
    stream.Seek(start, TSeekOrigin::soBeginning);
    return result;
}

std::string LowerExtension(const std::string& fileName) {
    std::string ext = std::filesystem::path(fileName).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

TIOFormatId DetectFileFormat(const std::string& fileName, bool checkExtension) {
    if (fileName.empty()) return iofUnknown;
    TIOFormatId result = iofUnknown;
    try {
        TFileStream file(fileName, TFileMode::fmOpenRead);
        TBufferedReadStream stream(file);
        result = DetectStreamFormat(stream);
    } catch (...) {
        return iofUnknown;
    }
    const TIEFileFormatInfo* entry = FindFormatByExtension(LowerExtension(fileName));
    if (result == iofTIFF && entry != nullptr && entry->FormatId == iofRAW) return iofRAW;
    if (entry != nullptr && !entry->IsBuiltIn) return entry->FormatId;
    if (checkExtension && result != iofUnknown) {
        if (result == iofICO || result == iofCUR || entry == nullptr) {
            result = entry != nullptr ? entry->FormatId : iofUnknown;
        }
        if (entry == nullptr || result != entry->FormatId) result = iofUnknown;
    }
    return result;
}

} // namespace vellinor
