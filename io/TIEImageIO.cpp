#include "io/TIEImageIO.h"

#include "image/TIEMask.h"
#include "io/FormatDetection.h"
#include "io/IOGuards.h"
#include "io/PixelPreparation.h"
#include "io/ReplacingFile.h"
#include "platform/BufferedStream.h"
#include "platform/PlatformBitmap.h"
#include "platform/Stream.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace vellinor {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsUrl(const std::string& name) {
    const std::string lower = Lower(name.substr(0, 8));
    return lower.starts_with("http://") || lower.starts_with("https://") ||
           lower.starts_with("ftp://");
}

// Runs `finish` when the scope is left, also by an exception.
template <typename F>
class TFinally {
public:
    explicit TFinally(F f) : fF(std::move(f)) {}
    ~TFinally() { fF(); }
    TFinally(const TFinally&) = delete;
    TFinally& operator=(const TFinally&) = delete;

private:
    F fF;
};

} // namespace

TIEImageIO::TIEImageIO() {
    InitializeImageIO();
    fOwnBitmap = std::make_unique<TIEBitmap>();
    fParams = std::make_unique<TIOParamsVals>(this);
}

TIEImageIO::~TIEImageIO() {
    WaitThreads();
}

// --- Target -------------------------------------------------------------------

void TIEImageIO::SetAttachedView(TIEViewLink* view) {
    if (view == fView) return;
    fView = view;
    if (fView != nullptr) {
        fOwnBitmap.reset();
    } else {
        fOwnBitmap = std::make_unique<TIEBitmap>();
        if (fVclTarget != nullptr) fOwnBitmap->WrapVclBitmap(fVclTarget, false);
    }
}

void TIEImageIO::SetAttachedBitmap(TPlatformBitmap* bitmap) {
    fVclTarget = bitmap;
    if (fView != nullptr) return;
    fOwnBitmap = std::make_unique<TIEBitmap>();
    if (bitmap != nullptr) fOwnBitmap->WrapVclBitmap(bitmap, false);
}

TIEBitmap* TIEImageIO::IEBitmap() {
    if (fView != nullptr) return &fView->IOBitmap();
    return fOwnBitmap.get();
}

TColor TIEImageIO::Background() const {
    return fView != nullptr ? fView->IOBackground() : fBackground;
}

void TIEImageIO::SetBackground(TColor color) {
    if (fView != nullptr) {
        fView->IOSetBackground(color);
    } else {
        fBackground = color;
    }
}

bool TIEImageIO::VclFaceSize(int& width, int& height) const {
    if (fVclTarget == nullptr) return false;
    width = fVclTarget->Width();
    height = fVclTarget->Height();
    return true;
}

// --- Notifications ------------------------------------------------------------------

void TIEImageIO::NotifyProgress(void*, int percent) {
    if (!OnProgress) return;
    if (fView != nullptr && OnWorkerThread()) {
        fView->IOPostMessage(iemProgress, percent);
    } else {
        OnProgress(*this, percent);
    }
}

void TIEImageIO::NotifyFinished() {
    NotifyProgress(this, 100);
    if (!OnFinishWork) return;
    if (fView != nullptr && OnWorkerThread()) {
        fView->IOPostMessage(iemFinished, 0);
    } else {
        OnFinishWork(*this);
    }
}

void TIEImageIO::UpdateViewResolution(int dpiX, int dpiY) {
    if (fView != nullptr) fView->IOSetResolution(dpiX, dpiY);
}

void TIEImageIO::RefreshTarget() {
    if (fVclTarget != nullptr) fVclTarget->Modified = true;
    if (fView == nullptr) return;
    if (OnWorkerThread()) {
        fView->IOPostMessage(iemRefresh, 0);
    } else {
        fView->IORefresh();
    }
}

TIOProgressRec TIEImageIO::StartProgress() {
    TIOProgressRec progress;
    progress.AbortFlagRef = &AbortFlag;
    progress.Sender = this;
    progress.ProgressProc = [this](void* sender, int percent) { NotifyProgress(sender, percent); };
    return progress;
}

// --- Loading --------------------------------------------------------------------

void TIEImageIO::LoadFile(const std::string& fileName) {
    if (IEBitmap() == nullptr) return;
    if (fileName.empty()) {
        AbortFlag = true;
        NotifyFinished();
        return;
    }
    if (StartedOnWorker([this, fileName] { LoadFile(fileName); })) return;
    // Neither a network client nor a video decoder exists here.
    const std::string ext = LowerExtension(fileName);
    if (IsUrl(fileName) || ext == ".avi") {
        AbortFlag = true;
        NotifyFinished();
        return;
    }
    const TIEFileFormatInfo* info = FindFormatByExtension(ext);
    if (info == nullptr) {
        AbortFlag = true;
        NotifyFinished();
        return;
    }
    if (info->IsBuiltIn) {
        LoadFileByFormat(fileName, info->FormatId);
    } else {
        LoadRegistered(fileName, *info);
    }
}

void TIEImageIO::LoadFileDetect(const std::string& fileName) {
    const TIOFormatId format = DetectFileFormat(fileName, false);
    if (format != iofUnknown && FindFormatById(format) != nullptr) {
        LoadFileByFormat(fileName, format);
    } else {
        LoadFile(fileName);
    }
}

void TIEImageIO::LoadFileByFormat(const std::string& fileName, TIOFormatId format) {
    if (StartedOnWorker([this, fileName, format] { LoadFileByFormat(fileName, format); })) return;
    ReadFileWith(fileName, format, TReadKind::Load);
}

void TIEImageIO::ReadFileParams(const std::string& fileName) {
    ReadFileParamsByFormat(fileName, DetectFileFormat(fileName, true));
}

void TIEImageIO::ReadFileParamsByFormat(const std::string& fileName, TIOFormatId format) {
    ReadFileWith(fileName, format, TReadKind::ParamsOnly);
}

void TIEImageIO::ReadFileWith(const std::string& fileName, TIOFormatId format, TReadKind kind) {
    AbortFlag = true;
    TFinally finished([this] { NotifyFinished(); });
    if (IEBitmap() == nullptr) return;
    fParams->ResetInfo();
    TFileStream file(fileName, TFileMode::fmOpenRead);
    TBufferedReadStream stream(file);
    ReadWithCodec(stream, format, kind, fileName);
}

void TIEImageIO::LoadStreamDetect(TStream& stream) {
    LoadStreamByFormat(stream, DetectStreamFormat(stream));
}

void TIEImageIO::LoadStreamByFormat(TStream& stream, TIOFormatId format) {
    ReadStream(stream, format, TReadKind::Load, {});
}

void TIEImageIO::ReadStreamParams(TStream& stream) {
    ReadStreamParamsByFormat(stream, DetectStreamFormat(stream));
}

void TIEImageIO::ReadStreamParamsByFormat(TStream& stream, TIOFormatId format) {
    ReadStream(stream, format, TReadKind::ParamsOnly, {});
}

void TIEImageIO::LoadBuffer(std::span<const uint8_t> buffer, TIOFormatId format) {
    TSpanStream stream(buffer);
    if (format == iofUnknown) {
        LoadStreamDetect(stream);
    } else {
        LoadStreamByFormat(stream, format);
    }
}

void TIEImageIO::ReadStream(TStream& stream, TIOFormatId format, TReadKind kind,
                            const std::string& fileName) {
    AbortFlag = true;
    TFinally finished([this] { NotifyFinished(); });
    if (IEBitmap() == nullptr) return;
    fParams->ResetInfo();
    ReadWithCodec(stream, format, kind, fileName);
}

// Steps common to file and stream reads, after ResetInfo; AbortFlag is true
// on entry. NotifyFinished is the caller's.
void TIEImageIO::ReadWithCodec(TStream& stream, TIOFormatId format, TReadKind kind,
                               const std::string& fileName) {
    TIEBitmap& bitmap = *IEBitmap();
    const TIECodec* codec = FindCodec(format);
    TIOProgressRec progress = StartProgress();
    AbortFlag = false;
    if (kind == TReadKind::Load) bitmap.DropAlphaPlane(false);

    if (codec == nullptr || !codec->Read) {
        AbortFlag = true;
    } else if (StreamHeaders && fileName.empty() && codec->StreamHeaderMagic != nullptr) {
        uint8_t header[12] = {};
        if (!stream.ReadExact(header, 12) ||
            std::memcmp(header, codec->StreamHeaderMagic, 4) != 0) {
            AbortFlag = true;
        }
    }
    if (!AbortFlag) {
        TIEReadOptions options;
        options.Preview = kind == TReadKind::ParamsOnly;
        options.StreamSize = BytesLeft(stream);
        options.FileName = fileName;
        options.Background = Background();
        codec->Read(stream, bitmap, *fParams, progress, options);
        const TIEMask* mask = options.AlphaMask.get();
        if (kind == TReadKind::Load && mask != nullptr && !mask->IsEmpty() &&
            mask->Width() == bitmap.Width() && mask->Height() == bitmap.Height()) {
            if (TIEBitmap* alpha = bitmap.AlphaPlane()) {
                alpha->CopyFromMask(mask);
                alpha->RecheckOpaque();
            }
        }
    }
    if (fParams->ResolutionX() < 2) fParams->SetResolutionX(DefaultResolution);
    if (fParams->ResolutionY() < 2) fParams->SetResolutionY(DefaultResolution);
    if (kind == TReadKind::ParamsOnly) return;
    if (AutoAdjustDPI) AdjustResolution(bitmap, *fParams, FilteredAdjustDPI);
    fParams->FileName = fileName;
    fParams->FileFormat = format;
    if (codec == nullptr || codec->UpdatesViewResolution) {
        UpdateViewResolution(fParams->ResolutionX(), fParams->ResolutionY());
    }
    RefreshTarget();
}

void TIEImageIO::LoadRegistered(const std::string& fileName, const TIEFileFormatInfo& info) {
    fParams->FileName.clear();
    fParams->FileFormat = iofUnknown;
    fParams->ResetInfo();
    AbortFlag = true;
    TFinally finished([this] { NotifyFinished(); });
    if (!info.ReadProc) return;
    TIEBitmap& bitmap = *IEBitmap();
    TFileStream file(fileName, TFileMode::fmOpenRead);
    TBufferedReadStream stream(file);
    TIOProgressRec progress = StartProgress();
    AbortFlag = false;
    bitmap.DropAlphaPlane(false);
    fParams->FileName = fileName;
    fParams->FileFormat = info.FormatId;
    try {
        TIEReadOptions options;
        options.StreamSize = BytesLeft(stream);
        options.FileName = fileName;
        options.Background = Background();
        info.ReadProc(stream, bitmap, *fParams, progress, options);
    } catch (...) {
        // Plug-ins are not trusted to keep the convention.
        AbortFlag = true;
    }
    if (AbortFlag) return;
    if (fParams->ResolutionX() < 2) fParams->SetResolutionX(DefaultResolution);
    if (fParams->ResolutionY() < 2) fParams->SetResolutionY(DefaultResolution);
    if (AutoAdjustDPI) AdjustResolution(bitmap, *fParams, FilteredAdjustDPI);
    UpdateViewResolution(fParams->ResolutionX(), fParams->ResolutionY());
    RefreshTarget();
}

// --- Saving -------------------------------------------------------------------------

TIOFormatId TIEImageIO::SaveFormatOfExtension(const std::string& extension) {
    static const std::map<std::string, TIOFormatId> kSaveTable = {
        {".jpg", iofJPEG},  {".jpeg", iofJPEG}, {".jpe", iofJPEG}, {".jif", iofJPEG},
        {".jp2", iofJP2},   {".j2k", iofJ2K},   {".jpc", iofJ2K},  {".j2c", iofJ2K},
        {".pcx", iofPCX},   {".dcx", iofDCX},   {".gif", iofGIF},  {".tif", iofTIFF},
        {".tiff", iofTIFF}, {".fax", iofTIFF},  {".g3f", iofTIFF}, {".g3n", iofTIFF},
        {".png", iofPNG},   {".bmp", iofBMP},   {".dib", iofBMP},  {".rle", iofBMP},
        {".tga", iofTGA},   {".targa", iofTGA}, {".vda", iofTGA},  {".icb", iofTGA},
        {".vst", iofTGA},   {".win", iofTGA},   {".pxm", iofPXM},  {".pbm", iofPXM},
        {".pgm", iofPXM},   {".ppm", iofPXM},   {".ico", iofICO},  {".wbmp", iofWBMP},
        {".ps", iofPS},     {".eps", iofPS},    {".pdf", iofPDF},  {".psd", iofPSD},
    };
    std::string ext = Lower(extension);
    if (!ext.empty() && ext[0] != '.') ext.insert(0, 1, '.');
    const auto it = kSaveTable.find(ext);
    return it == kSaveTable.end() ? iofUnknown : it->second;
}

void TIEImageIO::SaveFile(const std::string& fileName) {
    if (fileName.empty()) return;
    if (StartedOnWorker([this, fileName] { SaveFile(fileName); })) return;
    const std::string ext = LowerExtension(fileName);
    if (const TIOFormatId format = SaveFormatOfExtension(ext); format != iofUnknown) {
        SaveFileByFormat(fileName, format);
        return;
    }
    const TIEFileFormatInfo* info = FindFormatByExtension(ext);
    if (info != nullptr && !info->IsBuiltIn && info->WriteProc) {
        SaveWith(fileName, info->FormatId, info->WriteProc, true);
        return;
    }
    AbortFlag = true;
}

void TIEImageIO::SaveFileByFormat(const std::string& fileName, TIOFormatId format) {
    const TIECodec* codec = FindCodec(format);
    if (codec == nullptr || !codec->Write) {
        // A format whose writer is not built: no file is created.
        AbortFlag = true;
        NotifyFinished();
        return;
    }
    SaveWith(fileName, format, codec->Write, codec->WriterTakesOnly24Or1);
}

void TIEImageIO::SaveWith(const std::string& fileName, TIOFormatId format,
                          const TIEWriteProc& writer, bool only24Or1) {
    AbortFlag = true;
    TFinally finished([this] { NotifyFinished(); });
    TIEBitmap* bitmap = IEBitmap();
    if (bitmap == nullptr) return;
    if (only24Or1) ConvertForTrueColorWriter(*bitmap);
    TReplacingFile file(fileName);
    TIOProgressRec progress = StartProgress();
    AbortFlag = false;
    writer(file.Stream(), *bitmap, *fParams, progress);
    fParams->FileName = fileName;
    fParams->FileFormat = format;
    if (!AbortFlag && !file.Commit()) AbortFlag = true;
}

void TIEImageIO::SaveStreamByFormat(TStream& stream, TIOFormatId format) {
    AbortFlag = true;
    TFinally finished([this] { NotifyFinished(); });
    TIEBitmap* bitmap = IEBitmap();
    const TIECodec* codec = FindCodec(format);
    if (bitmap == nullptr || codec == nullptr || !codec->Write) return;
    if (codec->WriterTakesOnly24Or1) ConvertForTrueColorWriter(*bitmap);
    TIOProgressRec progress = StartProgress();
    AbortFlag = false;
    const bool header = StreamHeaders && codec->StreamHeaderMagic != nullptr;
    const int64_t headerStart = stream.Position();
    if (header) {
        uint8_t bytes[12] = {};
        std::memcpy(bytes, codec->StreamHeaderMagic, 4);
        if (!stream.WriteExact(bytes, 12)) AbortFlag = true;
    }
    if (!AbortFlag) codec->Write(stream, *bitmap, *fParams, progress);
    if (header && !AbortFlag) {
        const int64_t end = stream.Position();
        uint8_t length[4];
        StoreLE32(length, static_cast<uint32_t>(end - headerStart - 12));
        stream.Seek(headerStart + 8, TSeekOrigin::soBeginning);
        if (!stream.WriteExact(length, 4)) AbortFlag = true;
        stream.Seek(end, TSeekOrigin::soBeginning);
    }
}

// --- Options dialog -------------------------------------------------------------------

bool TIEImageIO::DoPreviews(TIOPreviewsPages pages) {
    bool handled = false;
    if (OnDoPreviews) OnDoPreviews(*this, handled);
    if (handled) return true;
    TIEBitmap* bitmap = IEBitmap();
    if (bitmap == nullptr) return false;
    ConvertForTrueColorWriter(*bitmap);
    if (pages & ppgCurrent) {
        TIOFormatId current = fParams->FileFormat;
        if (current == iofJ2K) current = iofJP2;
        pages |= OptionsPageOf(current);
    }
    if ((pages & ~ppgCurrent) == 0) return false;
    const TIEPreviewsDialogFactory& factory = PreviewsDialogFactory();
    if (!factory) return false;
    TIEPreviewsSetup setup;
    setup.Params = fParams.get();
    setup.Source = bitmap;
    setup.Pages = pages;
    setup.LockPreview = (PreviewsParams & ioppDefaultLockPreview) != 0;
    setup.ShowApplyButton = (PreviewsParams & ioppApplyButton) != 0;
    setup.SimplifiedPages = SimplifiedParamsDialogs;
    setup.Language = MsgLanguage;
    setup.FontName = PreviewFontName;
    setup.FontSize = PreviewFontSize;
    std::unique_ptr<TIEPreviewsDialog> dialog = factory(setup);
    if (!dialog) return false;
    if (OnIOPreview) OnIOPreview(*this, *dialog);
    const bool confirmed = dialog->Execute();
    dialog.reset();
    RefreshTarget();
    return confirmed;
}

// --- Asynchronous mode ------------------------------------------------------------------

bool TIEImageIO::OnWorkerThread() {
    const std::thread::id self = std::this_thread::get_id();
    std::lock_guard guard(fWorkersLock);
    return std::any_of(fWorkers.begin(), fWorkers.end(),
                       [self](const auto& worker) { return !worker->Done && worker->Id == self; });
}

bool TIEImageIO::StartedOnWorker(std::function<void()> work) {
    if (!Asynchronous || fView == nullptr || OnWorkerThread()) return false;
    std::lock_guard guard(fWorkersLock);
    // Finished workers are joined here and in WaitThreads.
    for (auto it = fWorkers.begin(); it != fWorkers.end();) {
        if ((*it)->Done) {
            (*it)->Thread.join();
            it = fWorkers.erase(it);
        } else {
            ++it;
        }
    }
    auto worker = std::make_unique<TWorker>();
    TWorker* self = worker.get();
    // The worker waits for the lock held here, so its id is recorded before
    // its work asks whether it runs on a worker.
    self->Thread = std::thread([this, self, work = std::move(work)] {
        {
            std::lock_guard inner(fWorkersLock);
            self->Id = std::this_thread::get_id();
        }
        try {
            work();
        } catch (...) {
            AbortFlag = true;
        }
        std::lock_guard inner(fWorkersLock);
        self->Done = true;
    });
    fWorkers.push_back(std::move(worker));
    return true;
}

int TIEImageIO::RunningThreads() {
    std::lock_guard guard(fWorkersLock);
    return static_cast<int>(std::count_if(fWorkers.begin(), fWorkers.end(),
                                          [](const auto& worker) { return !worker->Done; }));
}

void TIEImageIO::WaitThreads() {
    // Workers stay listed until joined: a running one must still find itself.
    for (;;) {
        std::vector<TWorker*> pending;
        {
            std::lock_guard guard(fWorkersLock);
            for (auto& worker : fWorkers)
                pending.push_back(worker.get());
        }
        if (pending.empty()) return;
        for (TWorker* worker : pending)
            if (worker->Thread.joinable()) worker->Thread.join();
        std::lock_guard guard(fWorkersLock);
        std::erase_if(fWorkers, [](const auto& worker) { return !worker->Thread.joinable(); });
    }
}

} // namespace vellinor
