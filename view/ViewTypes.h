#pragma once
// Settings records of the image view and the plain input events a toolkit
// adapter hands to it.

#include "platform/Brush.h" // TBrushStyle of the chessboard

#include <cstdint>
#include <initializer_list>

namespace vellinor {

// What the mouse does in the view (bit n of TIEMouseInteract).
enum TIEMouseInteractItems : uint8_t {
    miZoom = 0,
    miScroll = 1,
    miSelect = 2,
    miSelectPolygon = 3,
    miSelectCircle = 4,
    miSelectZoom = 5,
    miSelectMagicWand = 6,
    miSelectLasso = 7,
    miMoveLayers = 8,
    miResizeLayers = 9,
    miRotateLayers = 10,
    miMovingScroll = 11,
};

// A set of TIEMouseInteractItems.
class TIEMouseInteract {
public:
    constexpr TIEMouseInteract() = default;
    constexpr TIEMouseInteract(std::initializer_list<TIEMouseInteractItems> items) {
        for (TIEMouseInteractItems item : items)
            fBits |= Bit(item);
    }
    static constexpr TIEMouseInteract FromBits(uint32_t bits) {
        TIEMouseInteract set;
        set.fBits = bits & 0xFFF;
        return set;
    }
    constexpr bool Has(TIEMouseInteractItems item) const { return (fBits & Bit(item)) != 0; }
    constexpr bool Empty() const { return fBits == 0; }
    constexpr uint32_t Bits() const { return fBits; }
    friend constexpr bool operator==(TIEMouseInteract, TIEMouseInteract) = default;

private:
    static constexpr uint32_t Bit(TIEMouseInteractItems item) { return 1u << item; }
    uint32_t fBits = 0;
};

enum TIEBackgroundStyle : uint8_t { iebsSolid = 0, iebsChessboard = 1 };

struct TIEMouseWheelParams {
    bool WheelInverted = false;
    uint8_t WheelAction = 2;     // 0 none, 1 scroll, 2 zoom
    uint8_t WheelAmountKind = 1; // 0 absolute, 1 percentage
    int32_t WheelAmount = 8;
    bool WheelZoomAtPointer = false;
};

struct TIEScrollBarParams {
    int32_t LineStep = -1; // -1: one unit
    int32_t PageStep = -1; // -1: the visible width or height
};

// Modifier keys and mouse buttons held, as the platform's shift state.
enum TShiftStateItem : uint8_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = uint8_t;

enum TMouseButton : uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Screen points are view pixels: (0, 0) is the top-left of the visible area.
struct TIEMouseEvent {
    TMouseButton Button = mbLeft;
    TShiftState Shift = 0;
    int X = 0;
    int Y = 0;
};

struct TIEWheelEvent {
    int Delta = 0;           // one notch is 120; positive away from the user
    bool Horizontal = false; // the device asks for horizontal scrolling
    TShiftState Shift = 0;
    int X = 0;
    int Y = 0;
};

// Keys carry the platform's virtual-key codes (27 Esc, 46 Delete, 113 F2, ...).
struct TIEKeyEvent {
    int Key = 0;
    TShiftState Shift = 0;
    bool Handled = false; // set by the view when it used the key
};

} // namespace vellinor
