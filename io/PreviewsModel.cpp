#include "io/PreviewsModel.h"

#include "image/TIEBitmap.h"
#include "io/FormatRegistry.h"
#include "io/PreviewRender.h"

#include <algorithm>
#include <charconv>

namespace vellinor {

namespace {

// The short pages are designed 122 and 360 pixels high at 96 pixels per
// inch and scale with the screen, truncated.
constexpr int kDesignPixelsPerInch = 96;
constexpr int kDesignPageArea = 122;
constexpr int kDesignDialog = 360;

// Digits with an optional sign and surrounding blanks; anything else (an
// empty text, letters, a number out of range) does not convert.
bool ParseNumber(const std::string& text, int& value) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const size_t last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') ++begin;
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end;
}

std::string BytesText(int64_t bytes) {
    return std::to_string(bytes) + " bytes";
}

} // namespace

TPreviewsDialogHeights ShortPagesHeights(int pixelsPerInch) {
    return {pixelsPerInch * kDesignPageArea / kDesignPixelsPerInch,
            pixelsPerInch * kDesignDialog / kDesignPixelsPerInch};
}

TPreviewsModel::TPreviewsModel(const TIEPreviewsSetup& setup, TIEBitmap& result,
                               bool tiffLzwInstalled)
    : fRecord(*setup.Params), fSource(*setup.Source), fResult(result),
      fWorking(std::make_unique<TIOParamsVals>()), fPages(BuildPreviewsPages(tiffLzwInstalled)),
      fLockPreview(setup.LockPreview), fApplyVisible(setup.ShowApplyButton) {
    fWorking->AssignValues(fRecord);
    for (const TPreviewsPageInfo& page : fPages) {
        fValues.push_back(PageValuesFromRecord(page, fRecord));
        fCompressedSizes.push_back(-1);
        if ((setup.Pages & ppgAll) != 0 || (setup.Pages & page.Bit) != 0)
            fVisible.push_back(page.Page);
    }
    if (fVisible.empty()) return;
    fActive = fVisible.front();
    const TIOPreviewsPages current = OptionsPageOf(fRecord.FileFormat);
    for (TPreviewsPage page : fVisible)
        if (Info(page).Bit == current) fActive = page;
}

TPreviewsModel::~TPreviewsModel() = default;

const TPreviewsPageInfo& TPreviewsModel::Info(TPreviewsPage page) const {
    return fPages[static_cast<size_t>(page)];
}

TPreviewsPageValues& TPreviewsModel::ValuesOf(TPreviewsPage page) {
    return fValues[static_cast<size_t>(page)];
}

const TPreviewsPageValues& TPreviewsModel::ValuesOf(TPreviewsPage page) const {
    return fValues[static_cast<size_t>(page)];
}

void TPreviewsModel::SetActivePage(TPreviewsPage page) {
    if (page == fActive || std::find(fVisible.begin(), fVisible.end(), page) == fVisible.end())
        return;
    fActive = page;
    if (fLockPreview) Preview();
}

// --- Values ---------------------------------------------------------------------------

int TPreviewsModel::Value(TPreviewsPage page, TPreviewsFieldId field) const {
    return ValuesOf(page)[field];
}

std::string TPreviewsModel::ValueText(TPreviewsPage page, TPreviewsFieldId field) const {
    const TPreviewsField* info = Info(page).Field(field);
    if (info == nullptr) return {};
    const int value = Value(page, field);
    if (info->IsList()) return info->Items[static_cast<size_t>(value)];
    return std::to_string(value);
}

bool TPreviewsModel::SetValue(TPreviewsPage page, TPreviewsFieldId field, int value) {
    const TPreviewsPageInfo& info = Info(page);
    const TPreviewsField* control = info.Field(field);
    if (control == nullptr) return false;
    if (control->IsList()) {
        if (value < 0 || value > control->Max) return false;
    } else {
        value = std::clamp(value, control->Min, control->Max);
    }
    fApplyEnabled = true;
    TPreviewsPageValues& values = ValuesOf(page);
    const TPreviewsPageValues before = values;
    values[field] = value;
    ApplyPageTies(info, values, field);
    if (values == before) return false;
    ValuesChanged(page);
    return true;
}

bool TPreviewsModel::SetValueText(TPreviewsPage page, TPreviewsFieldId field,
                                  const std::string& text) {
    const TPreviewsField* control = Info(page).Field(field);
    if (control == nullptr) return false;
    if (control->IsList()) {
        const auto it = std::find(control->Items.begin(), control->Items.end(), text);
        if (it == control->Items.end()) return false;
        return SetValue(page, field, static_cast<int>(it - control->Items.begin()));
    }
    int number = 0;
    if (!ParseNumber(text, number)) number = control->DefaultNumber;
    return SetValue(page, field, number);
}

void TPreviewsModel::ValuesChanged(TPreviewsPage page) {
    if (fLockPreview && page == fActive) Preview();
}

// --- Buttons --------------------------------------------------------------------------

void TPreviewsModel::SetLockPreview(bool locked) {
    if (locked == fLockPreview) return;
    fLockPreview = locked;
    // Ticking it brings the preview up to date at once.
    if (fLockPreview) Preview();
}

void TPreviewsModel::Apply() {
    if (fVisible.empty()) return;
    const TPreviewsPageInfo& info = Info(fActive);
    WritePageValues(info, ValuesOf(fActive), *fWorking);
    CopyPageFormatFields(info, *fWorking, fRecord);
    fRecord.FileFormat = info.FileFormat;
    fApplyEnabled = false;
}

// --- Preview --------------------------------------------------------------------------

void TPreviewsModel::Preview() {
    if (fVisible.empty()) return;
    const TPreviewsPageInfo& info = Info(fActive);
    const TPreviewsPageValues& values = ValuesOf(fActive);
    if (OnBusy) OnBusy(true);
    TIOParamsVals params;
    params.AssignValues(*fWorking);
    WritePageValues(info, values, params);
    const TPreviewRequest request{info.EncodeFormat, info.Kind, PreviewColorCount(info, values)};
    const TPreviewOutcome outcome = RenderPreview(fSource, params, request, fResult, OnProgress);
    fCompressedSizes[static_cast<size_t>(fActive)] = outcome.CompressedSize;
    fPreviewFailed = !outcome.Succeeded;
    if (OnBusy) OnBusy(false);
    if (OnPreviewed) OnPreviewed();
}

std::string TPreviewsModel::Caption() const {
    return fPreviewFailed ? kPreviewFailedCaption : kPreviewsCaption;
}

std::string TPreviewsModel::OriginalSizeText() const {
    return BytesText(static_cast<int64_t>(fSource.RowBytes()) * fSource.Height());
}

int64_t TPreviewsModel::CompressedSize(TPreviewsPage page) const {
    return fCompressedSizes[static_cast<size_t>(page)];
}

std::string TPreviewsModel::CompressedSizeText(TPreviewsPage page) const {
    const int64_t size = CompressedSize(page);
    return size < 0 ? "---" : BytesText(size);
}

} // namespace vellinor
