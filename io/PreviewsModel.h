#pragma once
// TPreviewsModel: the save options dialog without a toolkit. It keeps a
// working copy of the parameters record and the values every page shows,
// applies the ties between the TIFF lists, writes the record on "OK" and
// "&Apply" (only the page showing, with every field of its format), and
// computes the preview of the page showing into a result bitmap. A form binds
// its widgets to this and adds nothing of its own but the looks.

#include "io/LzwRoutines.h"
#include "io/PreviewsDialog.h"
#include "io/PreviewsPages.h"
#include "io/TIOParamsVals.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vellinor {

class TIEBitmap;

inline constexpr const char* kPreviewsCaption = "Parameters preview";
inline constexpr const char* kPreviewFailedCaption =
    "Result can not be shown but parameters may be entered";
inline constexpr const char* kLockPreviewCaption = "Lock Preview";
inline constexpr const char* kLockPreviewHint =
    "Automatically updates your preview with the changes you have selected";

// Heights of the short pages' dialog for a screen resolution.
struct TPreviewsDialogHeights {
    int PageArea;
    int Dialog;
};
TPreviewsDialogHeights ShortPagesHeights(int pixelsPerInch);

class TPreviewsModel {
public:
    // setup.Params is the record edited, setup.Source the picture previewed;
    // previews are written into result. All three outlive the model.
    TPreviewsModel(const TIEPreviewsSetup& setup, TIEBitmap& result,
                   bool tiffLzwInstalled = DefaultTiffLzwCompressor != nullptr);
    ~TPreviewsModel();
    TPreviewsModel(const TPreviewsModel&) = delete;
    TPreviewsModel& operator=(const TPreviewsModel&) = delete;

    // --- Pages ---
    // The visible pages in order; the active page is one of them.
    const std::vector<TPreviewsPage>& VisiblePages() const { return fVisible; }
    const TPreviewsPageInfo& Info(TPreviewsPage page) const;
    TPreviewsPage ActivePage() const { return fActive; }
    // With "Lock Preview" ticked the new page is previewed.
    void SetActivePage(TPreviewsPage page);

    // --- Values of a page ---
    int Value(TPreviewsPage page, TPreviewsFieldId field) const;
    // The row's caption of a list, the number of a number field.
    std::string ValueText(TPreviewsPage page, TPreviewsFieldId field) const;
    // A row (lists, ignored when outside the list) or a number (clamped to
    // the field's range). True when a value of the page changed; the ties
    // follow, "&Apply" is enabled, and with "Lock Preview" a changed page is
    // previewed again.
    bool SetValue(TPreviewsPage page, TPreviewsFieldId field, int value);
    // The same by text: a row's caption for lists, typed digits for number
    // fields (a text that does not convert counts as the field's default).
    bool SetValueText(TPreviewsPage page, TPreviewsFieldId field, const std::string& text);

    // --- Buttons ---
    bool LockPreview() const { return fLockPreview; }
    void SetLockPreview(bool locked);
    bool PreviewEnabled() const { return !fLockPreview; }
    bool ApplyVisible() const { return fApplyVisible; }
    bool ApplyEnabled() const { return fApplyEnabled; }
    // "OK" and "&Apply": the active page's values and every other field of its
    // format go into the record, FileFormat becomes the page's format.
    void Apply();
    // "Cancel" needs nothing: the record was never touched.

    // --- Preview ---
    // Computes the active page's result (busy, progress, then OnPreviewed).
    void Preview();
    // "Parameters preview", or the failure caption after a failed preview.
    std::string Caption() const;
    // RowBytes x Height of the source, " bytes".
    std::string OriginalSizeText() const;
    // The preview encoding's size of a page, " bytes"; "---" until computed.
    std::string CompressedSizeText(TPreviewsPage page) const;
    int64_t CompressedSize(TPreviewsPage page) const;

    std::function<void(bool busy)> OnBusy;
    std::function<void(int percent)> OnProgress;
    // A preview finished (the result, the sizes or the caption changed).
    std::function<void()> OnPreviewed;

    // The working copy (every parameter of the record as the dialog holds it).
    const TIOParamsVals& Working() const { return *fWorking; }

private:
    TPreviewsPageValues& ValuesOf(TPreviewsPage page);
    const TPreviewsPageValues& ValuesOf(TPreviewsPage page) const;
    void ValuesChanged(TPreviewsPage page);

    TIOParamsVals& fRecord;
    TIEBitmap& fSource;
    TIEBitmap& fResult;
    std::unique_ptr<TIOParamsVals> fWorking;
    std::vector<TPreviewsPageInfo> fPages;
    std::vector<TPreviewsPageValues> fValues;
    std::vector<int64_t> fCompressedSizes;
    std::vector<TPreviewsPage> fVisible;
    TPreviewsPage fActive = TPreviewsPage::Jpeg;
    bool fLockPreview = false;
    bool fApplyVisible = false;
    bool fApplyEnabled = true;
    bool fPreviewFailed = false;
};

} // namespace vellinor
