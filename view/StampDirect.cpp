// Direct-drawing mode: the copyright line drawn once into a layer whose white
// becomes transparent, merged into the picture at once.

#include "image/TIEBitmap.h"
#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "proc/VEduzoDeRivi.h"
#include "view/DOrevaDeVeri.h"
#include "view/Stamping.h"

#include <filesystem>
#include <system_error>

namespace vellinor {

namespace {

// Hourglass while the routine runs, the default cursor however it ends.
class TBusyScope {
public:
    explicit TBusyScope(TStampFeedback& feedback) : fFeedback(feedback) { fFeedback.SetBusy(true); }
    ~TBusyScope() { fFeedback.SetBusy(false); }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    TStampFeedback& fFeedback;
};

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

// The surface the text is drawn on: the layer's platform bitmap.
TCanvas* TextSurface(DOrevaDeVeri& view) {
    if (TPlatformBitmap* face = view.LegacyVclBitmap()) return &face->Canvas();
    return view.CurrentBitmap().DrawingCanvas();
}

} // namespace

bool StampDirect(DOrevaDeVeri& view, const TStampSettings& settings, TStampFeedback& feedback) {
    if (!FileExists(settings.FilePath) || view.IsEmptyImage()) return false;
    const TBusyScope busy(feedback);
    auto status = [&](const std::string& text) { feedback.SetStatus(kStatusActivityPanel, text); };

    const int width = view.CurrentBitmap().Width(), height = view.CurrentBitmap().Height();
    feedback.SetStatus(kStatusSizePanel, SizeText(width, height));
    status(stamptexts::kDrawing);
    if (settings.AddFrame) {
        status(stamptexts::kResizing);
        DrawFrame(view, width, height);
    }

    status(stamptexts::kAddingLayer);
    feedback.ShowProgress(true);
    view.AppendLayer();
    TIEBitmap& layer = view.CurrentBitmap();
    // The text keeps its colour and its white background can be made
    // transparent only in 24 bits, whatever the picture's format.
    if (layer.PixelFormat() != ie24RGB) layer.ConvertTo(ie24RGB);
    layer.FillAll(static_cast<double>(clWhite));

    TCanvas* canvas = TextSurface(view);
    if (canvas != nullptr) {
        canvas->Pen().Color = settings.TextColor;
        canvas->Font().Name = "Times New Roman";
        canvas->Font().SetSize(width > 2000 ? 48 : 24);
    }
    status(stamptexts::kAddingCopyright);
    std::string text = settings.CopyrightText;
    if (text.empty()) {
        text = stamptexts::kDirectFallbackLine;
        feedback.SetCopyrightText(text);
    }
    if (canvas != nullptr) {
        canvas->Font().Color = settings.TextColor;
        canvas->Font().Style = settings.Font.Style + fsBold + fsItalic;
        // A solid white brush: the text is drawn on an opaque white ground.
        canvas->Brush().Color = clWhite;
        canvas->Brush().Style = bsSolid;
        if (settings.CopyrightInMargin) {
            canvas->TextOut(70, layer.Height() - 60, text);
        } else {
            canvas->TextOut(100, 80, text);
        }
    }
    view.AttachedProc()->SetTransparentColors(MakeRGB(255, 255, 255), MakeRGB(255, 255, 255), 0);

    status(stamptexts::kMergingLayer);
    view.MergeLayerPair(0, 1, true);

    feedback.ShowProgress(false);
    view.Update();
    status("");
    feedback.SetStatus(kStatusSizePanel,
                       SizeText(view.CurrentBitmap().Width(), view.CurrentBitmap().Height()));
    status("");
    return true;
}

} // namespace vellinor
