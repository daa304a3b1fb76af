#pragma once

#include "design/definition.h"

#include <QCursor>
#include <QIcon>
#include <QImage>

namespace tembra {

// The pictures of the windows, drawn at their design pixel sizes. Bitmaps are 24-bit
// (QImage::Format_RGB888); the icon and the pointer carry transparency.
QImage picture(Picture which);

// The design colours of the caption bar's gradient, top row first (21 rows).
QList<QRgb> captionGradient();

QIcon windowIcon();
// The window icon's design at any size in pixels (the desktop's icons are drawn from it).
QImage windowIconImage(int size);
QCursor handCursor();

} // namespace tembra
