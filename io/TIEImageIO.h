#pragma once
// TIEImageIO: the load/save front end between the workflow and the codecs.
// It owns the parameters record, picks a codec by extension (or content),
// hands it a progress record with the abort flag, and tells the attached view
// when the work is done. The outcome of every operation is AbortFlag (true =
// failed); load and save return nothing. Exceptions that can leave an
// operation: EFOpenError / EFCreateError of the file, and the two a codec
// may raise by design (JPEG glue, PNG writer); NotifyFinished runs before.
//
// Saves never destroy the file they replace: the writer writes a temporary
// file in the target folder, which is renamed over the target only when the
// writer succeeded.

#include "image/TIEBitmap.h"
#include "io/FormatRegistry.h"
#include "io/IOFormats.h"
#include "io/IOViewLink.h"
#include "io/ImageCodec.h"
#include "io/PreviewsDialog.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace vellinor {

class TPlatformBitmap;
class TStream;

enum TIOPreviewsParamsItems : uint8_t {
    ioppDefaultLockPreview = 1,
    ioppApplyButton = 2,
};
enum TIEDialogsMeasureUnit : uint8_t { ieduInches = 0, ieduCm = 1, ieduSelectableDefInches = 2 };

class TIEImageIO {
public:
    TIEImageIO();
    ~TIEImageIO();
    TIEImageIO(const TIEImageIO&) = delete;
    TIEImageIO& operator=(const TIEImageIO&) = delete;

    // --- Target ---
    // While a view is attached the I/O object works on the view's bitmap and
    // frees its own; detaching (nullptr) gives it a fresh own bitmap.
    void SetAttachedView(TIEViewLink* view);
    TIEViewLink* AttachedView() const { return fView; }
    // A platform bitmap as target instead (AttachedTImage): the working bitmap
    // wraps it before every operation and marks it Modified afterwards.
    void SetAttachedBitmap(TPlatformBitmap* bitmap);
    TPlatformBitmap* AttachedBitmap() const { return fVclTarget; }
    // The working bitmap.
    TIEBitmap* IEBitmap();
    TIOParamsVals& Params() { return *fParams; }
    const TIOParamsVals& Params() const { return *fParams; }

    // True after an operation failed or was aborted.
    bool AbortFlag = false;

    TColor Background() const;
    void SetBackground(TColor color);
    bool NativePixelFormat() const { return fParams->NativeFormat; }
    void SetNativePixelFormat(bool value) { fParams->NativeFormat = value; }

    // --- Events (fired on the calling thread, or posted to the view from workers) ---
    std::function<void(TIEImageIO& sender, int percent)> OnProgress;
    std::function<void(TIEImageIO& sender)> OnFinishWork;
    std::function<void(TIEImageIO& sender, bool& handled)> OnDoPreviews;
    std::function<void(TIEImageIO& sender, TIEPreviewsDialog& dialog)> OnIOPreview;

    // --- Settings ---
    uint8_t PreviewsParams = 0; // TIOPreviewsParamsItems bits
    bool SimplifiedParamsDialogs = true;
    std::string PreviewFontName;
    int PreviewFontSize = 0;
    TMsgLanguage MsgLanguage = msSystem;
    TIEDialogsMeasureUnit DialogsMeasureUnit = ieduInches;
    bool AutoAdjustDPI = false;
    bool FilteredAdjustDPI = false;
    bool StreamHeaders = false;
    // Loads and saves started on the calling thread run on a worker thread
    // (only while a view is attached). Off by default.
    bool Asynchronous = false;

    // --- Loading ---
    void LoadFile(const std::string& fileName);
    void LoadFileDetect(const std::string& fileName);
    void LoadFileByFormat(const std::string& fileName, TIOFormatId format);
    void LoadStreamDetect(TStream& stream);
    void LoadStreamByFormat(TStream& stream, TIOFormatId format);
    // format 0: detect.
    void LoadBuffer(std::span<const uint8_t> buffer, TIOFormatId format);
    // Parameters only, no pixels.
    void ReadFileParams(const std::string& fileName);
    void ReadFileParamsByFormat(const std::string& fileName, TIOFormatId format);
    void ReadStreamParams(TStream& stream);
    void ReadStreamParamsByFormat(TStream& stream, TIOFormatId format);

    // --- Saving ---
    // The format follows the extension (".rle" keeps BmpCompression, ".fax"
    // keeps TiffCompression).
    void SaveFile(const std::string& fileName);
    void SaveFileByFormat(const std::string& fileName, TIOFormatId format);
    void SaveStreamByFormat(TStream& stream, TIOFormatId format);
    // The format the save table gives an extension (with dot, any case), 0 when none.
    static TIOFormatId SaveFormatOfExtension(const std::string& extension);

    // --- Options dialog ---
    // True when the user confirmed (or an OnDoPreviews handler took over).
    bool DoPreviews(TIOPreviewsPages pages);

    // --- Notifications ---
    void NotifyProgress(void* sender, int percent);
    void NotifyFinished();
    void UpdateViewResolution(int dpiX, int dpiY);
    // Repaint of the target after a load (posted from workers).
    void RefreshTarget();
    // The size of the platform bitmap target, when there is one.
    bool VclFaceSize(int& width, int& height) const;

    // --- Asynchronous mode ---
    int RunningThreads();
    // Waits until every worker has finished.
    void WaitThreads();

private:
    enum class TReadKind { Load, ParamsOnly };

    TIOProgressRec StartProgress();
    void ReadWithCodec(TStream& stream, TIOFormatId format, TReadKind kind,
                       const std::string& fileName);
    void ReadStream(TStream& stream, TIOFormatId format, TReadKind kind,
                    const std::string& fileName);
    void ReadFileWith(const std::string& fileName, TIOFormatId format, TReadKind kind);
    void LoadRegistered(const std::string& fileName, const TIEFileFormatInfo& info);
    void AfterRead(TIOFormatId format, const TIECodec* codec, const std::string& fileName);
    void WriteToStream(TStream& stream, TIOFormatId format, const TIEWriteProc& writer,
                       bool only24Or1, const char* headerMagic);
    void SaveWith(const std::string& fileName, TIOFormatId format, const TIEWriteProc& writer,
                  bool only24Or1);
    void PrepareTarget();
    void FinishTarget();
    bool OnWorkerThread();
    // Runs work on a new worker thread when the asynchronous mode applies;
    // false when the caller must run it itself.
    bool StartedOnWorker(std::function<void()> work);

    std::unique_ptr<TIOParamsVals> fParams;
    std::unique_ptr<TIEBitmap> fOwnBitmap;
    TIEViewLink* fView = nullptr;
    TPlatformBitmap* fVclTarget = nullptr;
    TColor fBackground = 0;

    struct TWorker {
        std::thread Thread;
        std::thread::id Id;
        bool Done = false;
    };
    std::mutex fWorkersLock;
    std::vector<std::unique_ptr<TWorker>> fWorkers;
};

} // namespace vellinor
