#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

namespace tembra {

// The pictures of the three windows, drawn here at their design pixel sizes. Bitmaps
// are 24-bit (QImage::Format_RGB888); the icon and the pointer carry transparency.
enum class Picture {
    None,
    FrameBandHorizontal, // 39×5: the raised frame band running across
    FrameBandVertical, // 5×14: the same band running down
    CornerTopLeft, // 5×5 each: the band turning the corner
    CornerTopRight,
    CornerBottomLeft,
    CornerBottomRight,
    CaptionBar, // 20×21: the caption bar's gradient
    Backdrop, // 1×20: black
    CaptionButtons, // 48×21: minimise, enlarge and restore, close on the gradient
    Emblem, // 14×20: a chequered arrowhead on the gradient
    SearchButton, // 38×38: a magnifying glass
    WindowIcon, // 32×32
    HandPointer, // 32×32
    Splash, // 335×87
    About, // 688×295
};

QImage picture(Picture which);

// The design colours of the caption bar's gradient, top row first (21 rows).
QList<QRgb> captionGradient();

QIcon windowIcon();
// The window icon's design at any size in pixels (the desktop's icons are drawn from it).
QImage windowIconImage(int size);
QCursor handCursor();

} // namespace tembra
