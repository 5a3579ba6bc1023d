#pragma once
// The drawing surface on a platform bitmap: the platform's device context and
// the form library's canvas in one object.
//
// Geometry is the platform's: integer pixel coordinates, (0, 0) the top-left
// pixel, rectangles with Right and Bottom outside. Shapes are aliased and
// cover the pixels the platform's own shapes of the same box cover. Colours
// are TColor words; system colours are resolved before use. On an 8-bit
// target a colour becomes the nearest colour-table entry (on a grey ramp the
// grey whose channels equal it), on a 1-bit target black or white.
//
// Selected objects: Pen() outlines and draws lines, Brush() fills, Font()
// writes text; they are plain values changed in place, as on the form
// library's canvas. SelectPen/SelectBrush/SelectFont exchange them the
// device-context way and hand back what was selected before.
//
// Text state: text colour, background colour and mode, and alignment are
// device-context state (SetTextColor, ...), used by ExtTextOut and DrawText.
// As on the form library's canvas, changing Font() sets the text colour to
// Font().Color at the next drawing (and, unless only the colour changed, ends
// a SelectFont), and changing Brush() sets the background
// to opaque in the brush colour for a solid brush and to transparent for any
// other style; TextOut and TextRect therefore fill behind the glyphs with a
// solid brush and draw them alone with a clear one.
//
// Raster operation: Pen().Mode applies to lines, outlines and the interiors of
// closed shapes; FillRect, FrameRect and text always copy.

#include "platform/Brush.h"
#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/FontInstance.h"
#include "platform/Geometry.h"
#include "platform/LogFont.h"
#include "platform/Pen.h"
#include "platform/Raster.h"
#include "platform/RasterTarget.h"
#include "platform/SpanList.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vellinor {

class TPlatformBitmap;

enum TBackgroundMode : int { TRANSPARENT = 1, OPAQUE = 2 };
enum TPolyFillMode : int { ALTERNATE = 1, WINDING = 2 };

// Text alignment flags (SetTextAlign): one horizontal and one vertical value,
// optionally TA_UPDATECP (draw at and advance the current position).
constexpr uint32_t TA_NOUPDATECP = 0;
constexpr uint32_t TA_UPDATECP = 1;
constexpr uint32_t TA_LEFT = 0;
constexpr uint32_t TA_RIGHT = 2;
constexpr uint32_t TA_CENTER = 6;
constexpr uint32_t TA_TOP = 0;
constexpr uint32_t TA_BOTTOM = 8;
constexpr uint32_t TA_BASELINE = 24;

// ExtTextOut options.
constexpr uint32_t ETO_OPAQUE = 2;  // fill the rectangle with the background colour
constexpr uint32_t ETO_CLIPPED = 4; // clip the text to the rectangle

// DrawText formats.
constexpr uint32_t DT_TOP = 0;
constexpr uint32_t DT_LEFT = 0;
constexpr uint32_t DT_CENTER = 1;
constexpr uint32_t DT_RIGHT = 2;
constexpr uint32_t DT_VCENTER = 4; // single line only
constexpr uint32_t DT_BOTTOM = 8;  // single line only
constexpr uint32_t DT_WORDBREAK = 0x10;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400;
constexpr uint32_t DT_NOPREFIX = 0x800;

// Ternary raster operations of CopyRect/StretchDraw/PatBlt (source S, pattern
// P = the brush, destination D). Any ternary code works; these are the named ones.
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t SRCERASE = 0x00440328;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t NOTSRCERASE = 0x001100A6;
constexpr uint32_t MERGECOPY = 0x00C000CA;
constexpr uint32_t MERGEPAINT = 0x00BB0226;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATPAINT = 0x00FB0A09;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;

class TCanvas {
public:
    explicit TCanvas(TPlatformBitmap& target);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPlatformBitmap& Target() { return fTarget; }

    // --- Selected objects ---
    TPen& Pen() { return fPen; }
    TBrush& Brush() { return fBrush; }
    TFont& Font() { return fFont; }
    TPen SelectPen(const TPen& pen);
    // Leaves the background mode and colour as they are.
    TBrush SelectBrush(const TBrush& brush);
    // The font record text is drawn with until Font() changes again; returns
    // the one selected before (the holder's when none was selected).
    HFONT SelectFont(const HFONT& font);

    // --- Device-context state; each setter returns the previous value ---
    TColor SetTextColor(TColor color);
    TColor TextColor();
    TColor SetBkColor(TColor color);
    TColor BkColor();
    TBackgroundMode SetBkMode(TBackgroundMode mode);
    TBackgroundMode BkMode();
    uint32_t SetTextAlign(uint32_t flags);
    uint32_t TextAlign() const { return fTextAlign; }
    TPolyFillMode SetPolyFillMode(TPolyFillMode mode);
    TPolyFillMode PolyFillMode() const { return fPolyFillMode; }
    // Raster operation of Draw, StretchDraw and CopyRect (the form library's CopyMode).
    uint32_t CopyMode = SRCCOPY;

    // --- Clipping: every operation stays inside the clip rectangle ---
    // The bitmap's bounds when no clip is set.
    TRect ClipRect() const;
    void SetClipRect(const TRect& rect);
    void IntersectClipRect(const TRect& rect);
    void ResetClip();

    // --- Pixels ---
    // The colour of a pixel (its colour-table entry on indexed targets);
    // 0xFFFFFFFF (CLR_INVALID) outside the bitmap or the clip.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // --- Lines (with the pen; the end point is not drawn) ---
    TPoint PenPos() const { return fPenPos; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // MoveTo(x1, y1) then LineTo(x2, y2).
    void Line(int x1, int y1, int x2, int y2);
    void Polyline(std::span<const TPoint> points);
    // Several polylines: counts[i] points each, taken from points in order.
    void PolyPolyline(std::span<const TPoint> points, std::span<const int> counts);
    // Cubic Bezier curves: a start point, then three points per curve.
    void PolyBezier(std::span<const TPoint> points);

    // --- Closed shapes (outline with the pen, interior with the brush) ---
    void Polygon(std::span<const TPoint> points);
    void PolyPolygon(std::span<const TPoint> points, std::span<const int> counts);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // Corners are quarters of a cornerWidth x cornerHeight ellipse.
    void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    // Elliptic arc of the box, counter-clockwise from where the ray from the
    // centre through (x3, y3) meets the ellipse to where the ray through
    // (x4, y4) does; the same ray twice gives the whole ellipse.
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // The arc closed by the straight line between its ends, filled.
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // The arc closed by two lines to the centre, filled.
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

    // --- Brush operations (ignore the pen and its mode) ---
    void FillRect(const TRect& rect);
    // The one-pixel ring just inside rect, with the brush.
    void FrameRect(const TRect& rect);
    // Ternary raster operation of the brush on the destination.
    void PatBlt(const TRect& rect, uint32_t rop);
    void InvertRect(const TRect& rect) { PatBlt(rect, DSTINVERT); }
    // Xor-inverted dotted ring (every other pixel); drawing it twice restores.
    void DrawFocusRect(const TRect& rect);

    // --- Bitmaps (nearest pixel; CopyMode applies) ---
    void Draw(int x, int y, const TPlatformBitmap& source);
    void StretchDraw(const TRect& dest, const TPlatformBitmap& source);
    // Source rectangle to destination rectangle; a negative width or height
    // on either side mirrors.
    void CopyRect(const TRect& dest, const TPlatformBitmap& source, const TRect& sourceRect,
                  uint32_t rop);

    // --- Text (UTF-8) ---
    // The form library's text out: the font holder's colour, the brush's
    // background rule, top-left of the text cell at (x, y); the pen position
    // moves to (x + width, y).
    void TextOut(int x, int y, std::string_view text);
    // TextOut clipped to rect (which excludes Right and Bottom); with a solid
    // brush the whole rect is filled with the brush colour first.
    void TextRect(const TRect& rect, int x, int y, std::string_view text);
    // The device-context text out: current text colour, background mode and
    // colour, and alignment. rect is used with ETO_OPAQUE and ETO_CLIPPED; dx,
    // when given, holds the advance after each character.
    bool ExtTextOut(int x, int y, uint32_t options, const TRect* rect, std::string_view text,
                    std::span<const int> dx = {});
    // Width: sum of the advances; height: the cell height (ascent + descent).
    TSize TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }
    TTextMetric GetTextMetrics();
    // The face family the current font resolved to.
    std::string GetTextFace();
    // Labels: lines broken at "\n" (and at spaces with DT_WORDBREAK), aligned
    // in rect, clipped to it unless DT_NOCLIP; "&" marks an underlined
    // character and "&&" is a "&" unless DT_NOPREFIX. With DT_CALCRECT only
    // measures: rect's Right and Bottom are set to fit. Returns the height of
    // the text.
    int DrawText(std::string_view text, TRect& rect, uint32_t format);

private:
    struct TLayout;
    enum class TFigure { Rectangle, RoundRect, Ellipse, Arc, Chord, Pie };

    void RealizeObjects();
    const TLogFontA& CurrentLogFont();
    TRect EffectiveClip() const;
    TPaint PenPaint(TRasterTarget& target) const;
    TPaint BrushPaint(TRasterTarget& target, const TBrush& brush);
    void Paint(TRasterTarget& target, const TSpanList& spans, const TPaint& paint);

    // Pen outlines as runs: `on` gets the pen's pixels, `off` the gaps of a
    // styled cosmetic pen that the opaque background mode paints.
    struct TOutline {
        TSpanList On;
        TSpanList Off;
    };
    void CosmeticOutline(std::span<const TPoint> points, bool closed, int64_t& stylePhase,
                         TOutline& outline);
    void PathOutline(std::span<const TContour> paths, bool closed, TOutline& outline);
    void PaintShape(TRasterTarget& target, TSpanList& fill, TOutline& outline);
    void DrawFigure(TFigure figure, int x1, int y1, int x2, int y2, int cornerWidth,
                    int cornerHeight, TPoint start, TPoint end);
    void FillPolygons(TRasterTarget& target, std::span<const TContour> contours, uint32_t value,
                      const TRect& clip);

    void LayoutLine(TFontInstance& font, std::u32string_view text, std::span<const int> dx,
                    TLayout& layout);
    // Draws laid-out text with the reference point and alignment rules of
    // ExtTextOut; returns the width.
    int DrawTextLine(TFontInstance& font, const TLogFontA& logFont, std::u32string_view text, int x,
                     int y, uint32_t options, const TRect* rect, std::span<const int> dx,
                     uint32_t align);
    void DrawLayout(TRasterTarget& target, TFontInstance& font, const TLogFontA& logFont,
                    const TLayout& layout, TPointF baseline, const TRect& clip, TColor color);

    TPlatformBitmap& fTarget;
    TPen fPen;
    TBrush fBrush;
    TFont fFont;
    // What the device-context state was last realised from (see the header note).
    TBrush fRealizedBrush;
    TFont fRealizedFont;
    HFONT fSelectedFont; // set by SelectFont until Font() changes
    TLogFontA fCurrentLogFont;
    TLogFontA fSelectedLogFont;
    TColor fTextColor = clBlack;
    TColor fBkColor = clWhite;
    TBackgroundMode fBkMode = OPAQUE;
    uint32_t fTextAlign = TA_TOP | TA_LEFT;
    TPolyFillMode fPolyFillMode = ALTERNATE;
    std::optional<TRect> fClip;
    TPoint fPenPos;
    int64_t fLineStylePhase = 0; // pen-style position carried along LineTo calls
};

} // namespace vellinor
