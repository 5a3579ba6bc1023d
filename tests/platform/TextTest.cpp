// Fonts and text: font records and holders, face lookup, cell metrics,
// advance widths, baseline, clipping, backgrounds, fallback, the 8-bit grey
// pass, escapement and labels.

#include "CanvasTestSupport.h"
#include "platform/FontInstance.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vellinor {
namespace {

using test::ChangedBounds;
using test::Fill;
using test::PixelColor;

constexpr TColor kRed = 0x0000FF;
const char* const kCopyright = "Copyright \xC2\xA9 2010, Osterlind";

TLogFontA Record(const char* face, int height, int weight = FW_NORMAL, bool italic = false) {
    TLogFontA lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.SetFaceName(face);
    return lf;
}

void UseFont(TCanvas& c, const char* face, int height, TFontStyles style = {}) {
    c.Font().Name = face;
    c.Font().Height = height;
    c.Font().Style = style;
    c.Font().Color = clBlack;
}

// Rows and columns that hold ink darker than half way.
TRect InkBounds(const TPlatformBitmap& b) {
    TRect r{b.Width(), b.Height(), 0, 0};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.GetPixelRGB(x, y).g < 128) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r.IsEmpty() ? TRect{} : r;
}

TEST(FontRecord, CreateAndGetObjectRoundTripAndFaceNamesStayWithin31Bytes) {
    TLogFontA lf = Record("Times New Roman", -40, FW_BOLD, true);
    lf.lfEscapement = 450;
    lf.lfQuality = ANTIALIASED_QUALITY;
    const HFONT font = CreateFontIndirectA(lf);
    TLogFontA back;
    EXPECT_EQ(GetObjectA(font, back), static_cast<int>(sizeof(TLogFontA)));
    EXPECT_EQ(back, lf);
    EXPECT_EQ(GetObjectA(nullptr, back), 0);

    lf.SetFaceName(std::string(40, 'x'));
    EXPECT_EQ(lf.FaceName().size(), 31u);
    // 11 three-byte characters: the twelfth byte triple would not fit.
    std::string chinese;
    for (int i = 0; i < 11; ++i)
        chinese += "\xE5\xAE\x8B";
    lf.SetFaceName(chinese);
    EXPECT_EQ(lf.FaceName(), chinese.substr(0, 30));
}

TEST(FontHolder, PointsConvertAt96DotsPerInchAndMapToTheRecord) {
    TFont f;
    EXPECT_EQ(f.Name, "MS Sans Serif");
    EXPECT_EQ(f.Size(), 8);
    f.SetSize(24);
    EXPECT_EQ(f.Height, -32);
    f.SetSize(48);
    EXPECT_EQ(f.Height, -64);
    f.SetSize(0);
    EXPECT_EQ(f.Height, 0);
    f.Name = "Times New Roman";
    f.Style = fsBold + fsItalic;
    const TLogFontA lf = f.LogFont();
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.FaceName(), "Times New Roman");
    TFont g;
    g.SetHandle(f.Handle());
    EXPECT_EQ(g.Name, "Times New Roman");
    EXPECT_TRUE(g.Style.Contains(fsItalic));
    EXPECT_TRUE(g.Style.Contains(fsBold));
    EXPECT_EQ(g.Height, 0);
}

TEST(FontLookup, PlatformFacesResolveToTheirStandInsAndStylesToTheirFaces) {
    struct TCase {
        const char* face;
        int weight;
        bool italic;
        const char* family;
        const char* file;
    };
    const TCase cases[] = {
        {"Times New Roman", FW_NORMAL, false, "Liberation Serif", "LiberationSerif-Regular"},
        {"Times New Roman", FW_NORMAL, true, "Liberation Serif", "LiberationSerif-Italic"},
        {"Times New Roman", FW_BOLD, true, "Liberation Serif", "LiberationSerif-BoldItalic"},
        {"Arial", FW_BOLD, false, "Liberation Sans", "LiberationSans-Bold"},
        {"Courier New", FW_NORMAL, false, "Liberation Mono", "LiberationMono-Regular"},
        {"Tahoma", FW_NORMAL, false, "DejaVu Sans", "DejaVuSans"},
    };
    for (const TCase& c : cases) {
        const TFontDescription d = DescribeFont(Record(c.face, -20, c.weight, c.italic));
        EXPECT_EQ(d.Family, c.family) << c.face;
        EXPECT_NE(d.Path.find(c.file), std::string::npos) << c.face << ": " << d.Path;
        EXPECT_FALSE(d.SyntheticBold) << c.face;
        EXPECT_FALSE(d.SyntheticItalic) << c.face;
    }
    // A face without italics is slanted instead.
    const TFontDescription cjk = DescribeFont(Record("WenQuanYi Micro Hei", -20, FW_BOLD, true));
    EXPECT_TRUE(cjk.SyntheticItalic);
    EXPECT_TRUE(cjk.SyntheticBold);
    EXPECT_FALSE(DescribeFont(Record("No Such Face At All", -20)).Path.empty());
}

TEST(FontMetrics, PositiveHeightIsTheCellAndNegativeHeightTheEm) {
    for (int cell : {31, 32, 200}) {
        const TTextMetric m =
            FontInstanceFor(Record("Times New Roman", cell, FW_NORMAL, true))->Metrics();
        EXPECT_EQ(m.tmHeight, cell);
        EXPECT_EQ(m.tmAscent + m.tmDescent, cell);
    }
    // Liberation Serif shares the Windows ascent and descent of Times New Roman
    // (1825 and 443 of 2048): at 100 pixels per em the cell is 89 + 22.
    const TTextMetric m = FontInstanceFor(Record("Times New Roman", -100))->Metrics();
    EXPECT_EQ(m.tmAscent, 89);
    EXPECT_EQ(m.tmDescent, 22);
    EXPECT_EQ(m.tmHeight - m.tmInternalLeading, 100);
    EXPECT_EQ(FontInstanceFor(Record("Arial", 0))->Metrics().tmHeight, 16);

    // The em really is 100 pixels: a capital H is about 0.66 em tall.
    TPlatformBitmap b(120, 120, 24);
    Fill(b, clWhite);
    UseFont(b.Canvas(), "Times New Roman", -100);
    b.Canvas().Brush().Style = bsClear;
    b.Canvas().TextOut(10, 0, "H");
    const TRect ink = InkBounds(b);
    EXPECT_NEAR(ink.Height(), 66, 1);
    EXPECT_EQ(ink.Bottom, m.tmAscent); // sits on the baseline
}

TEST(TextLayout, AdvanceWidthsAreThoseOfTheMetricCompatibleFace) {
    // Times New Roman's advances (of 2048): a 909, space 512, M 1821, 0 1024;
    // at 64 pixels per em they round to 28, 16, 57 and 32.
    TPlatformBitmap b(10, 10, 24);
    TCanvas& c = b.Canvas();
    UseFont(c, "Times New Roman", -64);
    EXPECT_EQ(c.TextWidth("a"), 28);
    EXPECT_EQ(c.TextWidth(" "), 16);
    EXPECT_EQ(c.TextWidth("M"), 57);
    EXPECT_EQ(c.TextWidth("0"), 32);
    EXPECT_EQ(c.TextExtent("aM0 a"), (TSize{161, 57 + 14}));
    EXPECT_EQ(c.TextWidth(""), 0);
}

TEST(TextLayout, CopyrightLineAdvancesAndBaselineAt32Pixels) {
    // The copyright object's line: italic serif in a 32-pixel box (cell 31).
    TPlatformBitmap b(420, 40, 24);
    Fill(b, clWhite);
    TCanvas& c = b.Canvas();
    UseFont(c, "Times New Roman", 31, fsItalic);
    c.Brush().Style = bsClear;
    std::vector<int> pens;
    std::string prefix;
    for (const char* p = kCopyright; *p != 0;) {
        pens.push_back(c.TextWidth(prefix));
        const int bytes = (static_cast<unsigned char>(*p) >= 0xC0) ? 2 : 1;
        prefix.append(p, static_cast<size_t>(bytes));
        p += bytes;
    }
    // Each character's advance (Times New Roman Italic: C 1366, o 1024, p 1024,
    // y 909, r 797, i 569, ... of 2048) rounded on its own at 31 * 2048 / 2268
    // pixels per em; no kerning.
    const std::vector<int> expected = {0,   19,  33,  47,  59,  70,  78,  92,  106,
                                       114, 121, 142, 149, 163, 177, 191, 205, 212,
                                       219, 239, 250, 258, 270, 281, 289, 297, 311};
    EXPECT_EQ(pens, expected);
    EXPECT_EQ(c.TextWidth(kCopyright), 325);
    c.TextOut(5, 2, "IIII");
    const TRect ink = InkBounds(b);
    EXPECT_EQ(ink.Bottom, 2 + c.GetTextMetrics().tmAscent);
    EXPECT_EQ(c.PenPos(), Point(5 + c.TextWidth("IIII"), 2));
}

TEST(TextDrawing, ClippedTextLeavesTheRightColumnAndBottomRowAlone) {
    TPlatformBitmap b(60, 40, 24);
    Fill(b, clWhite);
    TCanvas& c = b.Canvas();
    UseFont(c, "Times New Roman", 40);
    c.Brush().Style = bsClear;
    c.SetBkMode(OPAQUE);
    c.SetBkColor(kRed);
    // The text cell (0, 0) - (width, 40) covers the box; only the box changes.
    const TRect box = Rect(5, 5, 30, 20);
    c.ExtTextOut(0, 0, ETO_CLIPPED, &box, "WWWW");
    EXPECT_EQ(ChangedBounds(b, clWhite), box);
    EXPECT_GT(test::CountIf(b, [&](int x, int y) { return b.GetPixelRGB(x, y).r < 128; }), 20);

    // The form library's text rectangle: glyphs alone with a clear brush.
    Fill(b, clWhite);
    c.Brush().Style = bsSolid; // realise the brush rule again ...
    c.Brush().Style = bsClear; // ... transparent background
    c.TextRect(box, 0, 0, "WWWW");
    const TRect ink = ChangedBounds(b, clWhite);
    EXPECT_FALSE(ink.IsEmpty());
    EXPECT_EQ(IntersectRect(ink, box), ink);
}

TEST(TextDrawing, OpaqueBackgroundFillsExactlyTheTextCell) {
    TPlatformBitmap b(200, 60, 24);
    Fill(b, clBlack);
    TCanvas& c = b.Canvas();
    UseFont(c, "Times New Roman", 32, fsItalic);
    c.Font().Color = kRed;
    c.Brush().Color = clWhite; // solid brush: opaque white background
    c.TextOut(10, 10, "Osterlind");
    const TRect cell = Rect(10, 10, 10 + c.TextWidth("Osterlind"), 42);
    int red = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const TRGB p = b.GetPixelRGB(x, y);
            if (cell.Contains({x, y})) {
                ASSERT_EQ(p.r, 255) << x << "," << y; // white, red or between
                red += p.g == 0 ? 1 : 0;
            } else {
                ASSERT_EQ(p.g, 0) << x << "," << y; // black or the italic overhang's red
            }
        }
    EXPECT_GT(red, 50);

    // A clear brush draws the glyphs alone; a fully covered pixel gets the colour.
    Fill(b, clBlack);
    c.Brush().Style = bsClear;
    c.TextOut(10, 10, "Osterlind");
    EXPECT_EQ(test::CountColor(b, clWhite), 0);
    EXPECT_GT(test::CountColor(b, kRed), 50);
}

TEST(TextDrawing, CharactersTheFaceLacksComeFromAFallbackFace) {
    TPlatformBitmap b(200, 50, 24);
    Fill(b, clWhite);
    TCanvas& c = b.Canvas();
    UseFont(c, "Times New Roman", 32, fsItalic);
    c.Brush().Style = bsClear;
    EXPECT_EQ(c.GetTextFace(), "Liberation Serif");
    const char* chinese = "\xE7\x89\x88\xE6\x9D\x83\xE6\x89\x80\xE6\x9C\x89"; // 版权所有
    c.TextOut(2, 2, chinese);
    const TRect ink = InkBounds(b);
    EXPECT_GT(ink.Width(), 80);
    EXPECT_GT(ink.Height(), 20);
    EXPECT_GT(c.TextWidth(chinese), 4 * 25);
}

TEST(TextDrawing, EightBitGreyPassWritesTheExactOpacityUnderFullCoverage) {
    TPlatformBitmap alpha(120, 80, 8);
    test::SetGreyRamp(alpha);
    TCanvas& c = alpha.Canvas();
    UseFont(c, "Times New Roman", 80, fsBold);
    c.Brush().Style = bsClear;
    for (int opacity : {200, 37}) {
        for (int y = 0; y < alpha.Height(); ++y)
            std::fill_n(alpha.ScanLine(y), alpha.Width(), 0);
        c.Font().Color = 0x02000000 | (opacity * 0x010101); // the grey that equals Opacity
        c.TextOut(5, 0, "IM");
        int exact = 0;
        for (int y = 0; y < alpha.Height(); ++y)
            for (int x = 0; x < alpha.Width(); ++x) {
                ASSERT_LE(alpha.ScanLine(y)[x], opacity);
                exact += alpha.ScanLine(y)[x] == opacity ? 1 : 0;
            }
        EXPECT_GT(exact, 500) << opacity;
    }
}

TEST(TextDrawing, BilevelQualityWritesOnlyTheTwoColours) {
    TPlatformBitmap b(150, 40, 24);
    Fill(b, clWhite);
    TCanvas& c = b.Canvas();
    UseFont(c, "Arial", -20);
    c.Font().Quality = NONANTIALIASED_QUALITY;
    c.Brush().Style = bsClear;
    c.TextOut(2, 2, "Bilevel text");
    EXPECT_GT(test::CountColor(b, clBlack), 50);
    EXPECT_EQ(test::CountColor(b, clBlack) + test::CountColor(b, clWhite), 150 * 40);
    // Antialiased text has grey edges.
    Fill(b, clWhite);
    c.Font().Quality = ANTIALIASED_QUALITY;
    c.TextOut(2, 2, "Bilevel text");
    EXPECT_LT(test::CountColor(b, clBlack) + test::CountColor(b, clWhite), 150 * 40);
}

TEST(TextDrawing, EscapementTurnsTheBaselineCounterClockwise) {
    TPlatformBitmap b(80, 200, 24);
    Fill(b, clWhite);
    TCanvas& c = b.Canvas();
    UseFont(c, "Arial", 30);
    c.Font().Orientation = 900;
    c.Brush().Style = bsClear;
    c.TextOut(10, 190, "Vertical");
    const TRect ink = InkBounds(b);
    // Reads upwards from (10, 190): the cell lies to the right of x = 10.
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 10 + 30);
    EXPECT_LE(ink.Bottom, 190);
    EXPECT_NEAR(ink.Height(), c.TextWidth("Vertical"), 6);
}

TEST(TextDrawing, VeryLargeFontsDrawOnlyWhatTheClipShows) {
    // 1000 pixels per em: glyphs are rendered straight into the clip, not cached.
    TPlatformBitmap b(100, 100, 24);
    Fill(b, clWhite);
    TCanvas& c = b.Canvas();
    UseFont(c, "Times New Roman", -1000);
    ASSERT_TRUE(FontInstanceFor(c.Font().LogFont())->DrawsDirect());
    c.Brush().Style = bsClear;
    c.SetTextAlign(TA_BASELINE);
    c.TextOut(-60, 80, "H"); // the left stem of the H, standing on y = 80
    const TRect ink = ChangedBounds(b, clWhite);
    EXPECT_EQ(ink.Top, 0);
    EXPECT_EQ(ink.Bottom, 80);
    EXPECT_GT(test::CountColor(b, clBlack), 2000);
}

TEST(TextDrawing, UnderlineAndStrikeOutRunAlongTheAdvance) {
    TPlatformBitmap b(200, 50, 24);
    Fill(b, clWhite);
    TCanvas& c = b.Canvas();
    UseFont(c, "Times New Roman", -30, fsUnderline);
    c.Brush().Style = bsClear;
    c.TextOut(10, 5, "a b");
    const int width = c.TextWidth("a b");
    const TTextMetric m = c.GetTextMetrics();
    EXPECT_EQ(m.tmUnderlined, 1);
    // Some row below the baseline is ink all along the advance.
    bool found = false;
    for (int y = 5 + m.tmAscent; y < 5 + m.tmHeight && !found; ++y)
        found = test::RowPicture(b, y, 10, 10 + width, clBlack) == std::string(width, '#');
    EXPECT_TRUE(found);
    EXPECT_EQ(ChangedBounds(b, clWhite).Right, 10 + width);
}

TEST(TextDrawing, SelectedFontStaysUntilTheHolderChanges) {
    TPlatformBitmap b(10, 10, 24);
    TCanvas& c = b.Canvas();
    UseFont(c, "Arial", -10);
    const int small = c.TextWidth("MMMM");
    c.SelectFont(CreateFontIndirectA(Record("Arial", -40)));
    c.Font().Color = kRed; // a colour change keeps the selected font
    EXPECT_EQ(c.TextColor(), kRed);
    EXPECT_GT(c.TextWidth("MMMM"), 3 * small);
    c.Font().Height = -11;
    EXPECT_LT(c.TextWidth("MMMM"), 2 * small);
}

TEST(Labels, DrawTextCentresBreaksWordsAndMeasures) {
    TPlatformBitmap b(200, 100, 24);
    Fill(b, clWhite);
    TCanvas& c = b.Canvas();
    UseFont(c, "Arial", 20);
    c.Brush().Style = bsClear;
    TRect box = Rect(0, 0, 200, 100);
    c.DrawText("Centred", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const TRect ink = InkBounds(b);
    EXPECT_NEAR(ink.Left + ink.Right, 200, 4);
    EXPECT_NEAR(ink.Top + ink.Bottom, 100, 8);

    TRect narrow = Rect(0, 0, 60, 0);
    const int height = c.DrawText("one two three four", narrow, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(height % 20, 0);
    EXPECT_GE(height, 60);
    EXPECT_LE(narrow.Width(), 60);
    TRect wide = Rect(0, 0, 1000, 0);
    EXPECT_EQ(c.DrawText("one two three four", wide, DT_WORDBREAK | DT_CALCRECT), 20);
    EXPECT_EQ(wide.Width(), c.TextWidth("one two three four"));

    TRect prefix = Rect(0, 0, 1000, 0);
    c.DrawText("&&", prefix, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(prefix.Width(), c.TextWidth("&"));
    TRect lines = Rect(0, 0, 1000, 0);
    EXPECT_EQ(c.DrawText("a\r\nb\nc", lines, DT_CALCRECT), 60);
}

} // namespace
} // namespace vellinor
