#pragma once

#include <QString>
#include <QtGlobal>

#include <map>
#include <optional>

namespace tembra {

// A control's place in twips, single precision, in its container's coordinates.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    friend bool operator==(const TwipsRect &a, const TwipsRect &b)
    {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
    friend bool operator!=(const TwipsRect &a, const TwipsRect &b) { return !(a == b); }
};

// Control name -> place. Members of the image array are named with their index,
// "Ima1(10)"; Label17 and DataGrid1 are in Pic1's coordinates, all others in the window's.
using TwipsGeometry = std::map<QString, TwipsRect>;

struct LayoutResult {
    TwipsGeometry geometry; // the places of the controls the pass placed
    // Pic1's back colour (0xRRGGBB) after the pass; none when the pass changed nothing.
    std::optional<quint32> pic1BackColor;
};

// One layout pass of the main window for a window of width × height twips. Every place is
// computed afresh from the window's size and the sizes that no code changes, read from
// `current` (the controls as they stand), so the pass keeps nothing between runs; a
// control missing from `current` is read at its place in the window's definition. While
// the window is minimised it places nothing. A size that would go negative (a window
// narrower than 3600 or lower than 5215 twips) becomes zero.
LayoutResult layoutPass(float width, float height, bool minimised, const TwipsGeometry &current);

} // namespace tembra
