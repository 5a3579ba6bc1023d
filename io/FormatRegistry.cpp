#include "io/FormatRegistry.h"

#include <algorithm>
#include <cctype>
#include <list>
#include <map>
#include <mutex>

namespace vellinor {

namespace {

struct TBuiltInRow {
    TIOFormatId Id;
    const char* Description;
    const char* Extensions;
    TIOPreviewsPages Page;
};

// Registry order (DICOM follows PNG; WBMP precedes JPEG 2000).
constexpr TBuiltInRow kBuiltInRows[] = {
    {iofTIFF, "TIFF Bitmap", "TIF;TIFF;FAX;G3N;G3F;XIF", ppgTiff},
    {iofGIF, "CompuServe Bitmap", "GIF", ppgGif},
    {iofJPEG, "JPEG Bitmap", "JPG;JPEG;JPE;JIF", ppgJpeg},
    {iofPCX, "PaintBrush", "PCX", ppgPcx},
    {iofBMP, "Windows Bitmap", "BMP;DIB;RLE", ppgBmp},
    {iofICO, "Windows Icon", "ICO", 0},
    {iofCUR, "Windows Cursor", "CUR", 0},
    {iofPNG, "Portable Network Graphics", "PNG", ppgPng},
    {iofDICOM, "DICOM Bitmap", "DCM;DIC;DICOM", 0},
    {iofWMF, "Windows Metafile", "WMF", 0},
    {iofEMF, "Enhanced Windows Metafile", "EMF", 0},
    {iofTGA, "Targa Bitmap", "TGA;TARGA;VDA;ICB;VST;PIX", ppgTga},
    {iofPXM, "Portable Pixmap, GrayMap, BitMap", "PXM;PPM;PGM;PBM", 0},
    {iofWBMP, "Wireless Bitmap", "WBMP", 0},
    {iofJP2, "JPEG2000", "JP2", ppgJpeg2000},
    {iofJ2K, "JPEG2000 Code Stream", "J2K;JPC;J2C", ppgJpeg2000},
    {iofPS, "PostScript Level 2", "PS;EPS", 0},
    {iofPDF, "Adobe PDF", "PDF", 0},
    {iofDCX, "Multipage PCX", "DCX", 0},
    {iofRAW, "Camera RAW", "CRW;CR2;NEF;RAW;PEF;RAF;X3F;BAY;ORF;SRF;MRW;DCR;SR2", 0},
    {iofPSD, "Photoshop PSD", "PSD", 0},
    {iofIEV, "Vectorial objects", "IEV", 0},
    {iofLYR, "Layers", "LYR", 0},
    {iofALL, "Layers and objects", "ALL", 0},
};

struct TRegistry {
    std::mutex Lock;
    std::list<TIEFileFormatInfo> Formats; // list: entries keep their address
    std::map<TIOFormatId, TIECodec> Codecs;
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

std::once_flag gInitialised;

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool ListHas(const std::string& list, const std::string& ext) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        if (list.compare(start, end - start, ext) == 0 && end - start == ext.size()) return true;
        start = end + 1;
    }
    return false;
}

} // namespace

void InitializeImageIO() {
    std::call_once(gInitialised, [] {
        {
            TRegistry& r = Registry();
            std::lock_guard guard(r.Lock);
            for (const TBuiltInRow& row : kBuiltInRows) {
                TIEFileFormatInfo info;
                info.FormatId = row.Id;
                info.Description = row.Description;
                info.ExtensionList = row.Extensions;
                info.IsBuiltIn = true;
                info.OptionsPages = row.Page;
                r.Formats.push_back(std::move(info));
            }
        }
        RegisterBuiltInCodecs();
    });
}

void RegisterCodec(TIECodec codec) {
    TRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    r.Codecs[codec.FormatId] = std::move(codec);
}

const TIECodec* FindCodec(TIOFormatId id) {
    InitializeImageIO();
    TRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    const auto it = r.Codecs.find(id);
    return it == r.Codecs.end() ? nullptr : &it->second;
}

const TIEFileFormatInfo* FindFormatById(TIOFormatId id) {
    InitializeImageIO();
    TRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    for (const TIEFileFormatInfo& info : r.Formats)
        if (info.FormatId == id) return &info;
    return nullptr;
}

const TIEFileFormatInfo* FindFormatByExtension(const std::string& extension) {
    InitializeImageIO();
    std::string ext = extension;
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    if (ext.empty()) return nullptr;
    ext = Upper(ext);
    TRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    for (const TIEFileFormatInfo& info : r.Formats)
        if (ListHas(Upper(info.ExtensionList), ext)) return &info;
    return nullptr;
}

void RegisterFileFormat(TIEFileFormatInfo info) {
    InitializeImageIO();
    TRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    r.Formats.push_back(std::move(info));
}

void UnregisterFileFormat(TIOFormatId id) {
    InitializeImageIO();
    TRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    const auto it =
        std::find_if(r.Formats.begin(), r.Formats.end(),
                     [id](const TIEFileFormatInfo& info) { return info.FormatId == id; });
    if (it != r.Formats.end()) r.Formats.erase(it);
}

std::vector<TIEFileFormatInfo> FileFormats() {
    InitializeImageIO();
    TRegistry& r = Registry();
    std::lock_guard guard(r.Lock);
    return {r.Formats.begin(), r.Formats.end()};
}

TIOPreviewsPages OptionsPageOf(TIOFormatId id) {
    for (const TBuiltInRow& row : kBuiltInRows)
        if (row.Id == id) return row.Page;
    return 0;
}

std::vector<std::string> ReadableFormatFolders() {
    static const std::pair<const char*, TIOFormatId> kFolders[] = {
        {"bmp", iofBMP}, {"gif", iofGIF},   {"png", iofPNG}, {"jpeg", iofJPEG}, {"tiff", iofTIFF},
        {"pcx", iofPCX}, {"dcx", iofDCX},   {"jp2", iofJP2}, {"j2k", iofJ2K},   {"ico", iofICO},
        {"cur", iofCUR}, {"dcm", iofDICOM}, {"wmf", iofWMF}, {"emf", iofEMF},
    };
    std::vector<std::string> folders;
    for (const auto& [folder, id] : kFolders) {
        const TIECodec* codec = FindCodec(id);
        if (codec != nullptr && codec->Read) folders.emplace_back(folder);
    }
    return folders;
}

} // namespace vellinor
