#pragma once
// The stamping workflow's shared routines: the frame step and direct-drawing
// mode. The main window's handlers and `vellinor-cli stamp` call the same
// code with the settings the window's controls hold.

#include "platform/Color.h"
#include "platform/Font.h"

#include <string>

namespace vellinor {

class DOrevaDeVeri;

// What the window's stamping controls hold (initial values as designed).
struct TStampSettings {
    // The file the picture was loaded from; nothing is stamped without one.
    std::string FilePath;
    std::string CopyrightText;     // CopyrightEdit
    TColor TextColor = 0x0000FFFF; // ColorBoxTextColor: yellow
    bool AddFrame = false;         // CheckBoxAddFrame
    bool CopyrightInMargin = true; // CheckBoxCopyrightInMargin
    bool UseObjects = true;        // CheckBoxUseObjects
    bool AddSoftShadow = true;     // CheckBoxAddSoftShadow
    bool AntialiasText = true;     // CheckBoxAntialiasText
    TFont Font;                    // the font FontDialog holds
};

// How a stamping routine shows its progress; the window implements it, the
// command line ignores most of it.
class TStampFeedback {
public:
    virtual ~TStampFeedback() = default;
    // Hourglass cursor on (true) or back to the default (false).
    virtual void SetBusy(bool busy) {}
    // Status panel text, the status bar repainted at once.
    virtual void SetStatus(int panel, const std::string& text) {}
    virtual void ShowProgress(bool visible) {}
    // The copyright box receives this line (its change handler runs).
    virtual void SetCopyrightText(const std::string& text) {}
};

// Status panels the routines write.
constexpr int kStatusActivityPanel = 1;
constexpr int kStatusSizePanel = 2;

// Status texts and the fallback line of direct-drawing mode.
namespace stamptexts {
inline constexpr const char* kDrawing = "正在绘制...";
inline constexpr const char* kResizing = "调整图像的大小...";
inline constexpr const char* kAddingLayer = "添加图层...";
inline constexpr const char* kAddingCopyright = "添加版权信息...";
inline constexpr const char* kMergingLayer = "合并图层 2...";
inline constexpr const char* kDirectFallbackLine = "版权所有 \u00A9 2010, Osterlind";
} // namespace stamptexts

// Width and height joined by " x ", as status panel 2 shows them.
std::string SizeText(int width, int height);

// The frame step: the canvas grows by 80 pixels on every side (the view's
// background colour, picture centred), then the black band between white
// lines is drawn around the picture. width and height: the size before.
void DrawFrame(DOrevaDeVeri& view, int width, int height);

// Direct-drawing mode: the copyright line is drawn into a new layer whose
// white is made transparent, and the layer is merged into the picture at
// once. False (and nothing done) without a file at settings.FilePath or with
// an empty view.
bool StampDirect(DOrevaDeVeri& view, const TStampSettings& settings, TStampFeedback& feedback);

} // namespace vellinor
