#pragma once
// The save options dialog as the I/O object sees it. The dialog itself lives
// with the program's interface; it registers a factory here, so io/ needs no
// toolkit. Contract: a page is visible when ppgAll or its own bit is in
// Pages; the page of Params.FileFormat, when visible, is shown first; the
// dialog works on copies; "OK" writes the values of the page showing (only
// those) into Params and sets Params.FileFormat to that page's format
// (JPEG 3, TIFF 1, GIF 2, BMP 5, PCX 4, PNG 8, TGA 11, JPEG 2000 14);
// "&Apply" does the same without closing; "Cancel" writes nothing.

#include "io/IOFormats.h"

#include <functional>
#include <memory>
#include <string>

namespace vellinor {

class TIEBitmap;
class TIOParamsVals;

enum TMsgLanguage : uint8_t { msSystem = 0, msEnglish = 1, msChinese = 2 };

struct TIEPreviewsSetup {
    TIOParamsVals* Params = nullptr; // the record the dialog edits
    TIEBitmap* Source = nullptr;     // the picture shown and previewed
    TIOPreviewsPages Pages = 0;
    bool LockPreview = false;     // "Lock Preview" ticked
    bool ShowApplyButton = false; // "&Apply" visible
    bool SimplifiedPages = true;  // the short pages
    TMsgLanguage Language = msSystem;
    std::string FontName;
    int FontSize = 0;
};

class TIEPreviewsDialog {
public:
    virtual ~TIEPreviewsDialog() = default;
    virtual std::string Caption() const { return "Parameters preview"; }
    // Runs modally; true when closed with "OK".
    virtual bool Execute() = 0;
};

using TIEPreviewsDialogFactory =
    std::function<std::unique_ptr<TIEPreviewsDialog>(const TIEPreviewsSetup&)>;

// The process-wide factory (empty: DoPreviews has no dialog and answers false).
void SetPreviewsDialogFactory(TIEPreviewsDialogFactory factory);
const TIEPreviewsDialogFactory& PreviewsDialogFactory();

} // namespace vellinor
