#include "forms/pictures.h"

#include "base/texts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <array>

namespace tembra {

namespace {

// The window's palette of greens.
const QColor kDarkGreen(0x00, 0x40, 0x00);
const QColor kAboutGround(0x10, 0x21, 0x1F);
const QColor kOlive(0x9C, 0xAC, 0x5B);
const QColor kSage(0x79, 0xA4, 0x81);
const QColor kMist(0xB8, 0xD3, 0xC6);
const QColor kCream(0xE6, 0xEB, 0xB8);

// The frame band, from its outer edge in: a raised ridge between two black lines.
const std::array<QRgb, 5> kBand = {qRgb(0, 0, 0), qRgb(0x60, 0x80, 0x31), qRgb(0xBD, 0xD7, 0x97),
                                   qRgb(0x60, 0x80, 0x31), qRgb(0, 0, 0)};

QImage bitmap(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::black);
    return image;
}

QImage frameBand(bool horizontal)
{
    QImage image = horizontal ? bitmap(39, 5) : bitmap(5, 14);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, kBand[std::size_t(horizontal ? y : x)]);
    return image;
}

// Each pixel of a corner takes the band colour of its distance from the nearer of the
// two outer edges, so the band turns the corner in concentric L shapes.
QImage frameCorner(bool top, bool left)
{
    QImage image = bitmap(5, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const int fromSide = left ? x : 4 - x;
            const int fromEnd = top ? y : 4 - y;
            image.setPixel(x, y, kBand[std::size_t(qMin(fromSide, fromEnd))]);
        }
    return image;
}

// Pixel art drawn with exact pixels: the caption bar's glyphs must stay crisp.
void fillRow(QImage &image, int y, int x0, int x1, QRgb colour)
{
    for (int x = x0; x <= x1; ++x)
        image.setPixel(x, y, colour);
}

QImage onGradient(int width, int height)
{
    QImage image = bitmap(width, height);
    const QList<QRgb> rows = captionGradient();
    for (int y = 0; y < height; ++y)
        fillRow(image, y, 0, width - 1, rows.at(qMin(y, int(rows.size()) - 1)));
    return image;
}

QImage captionButtons()
{
    QImage image = onGradient(48, 21);
    const QRgb glyph = kCream.rgb();
    // Three slots of 16 pixels; the caption buttons lie over their middles.
    for (int k = 0; k < 5; ++k) {
        fillRow(image, 7 + k, 4 + k, 12 - k, glyph); // minimise: pointing down
        fillRow(image, 11 - k, 20 + k, 28 - k, glyph); // enlarge and restore: pointing up
    }
    for (int k = 0; k < 9; ++k) { // close: a cross two pixels thick
        fillRow(image, 5 + k, 36 + k, 37 + k, glyph);
        fillRow(image, 5 + k, 44 - k, 45 - k, glyph);
    }
    return image;
}

QImage emblem()
{
    QImage image = onGradient(14, 20);
    // An arrowhead pointing right, its tip at (11, 10), in two-pixel checks.
    for (int y = 3; y <= 17; ++y) {
        const int reach = 3 + (7 - qAbs(y - 10)) * 8 / 7;
        for (int x = 3; x <= reach; ++x) {
            const bool white = ((x / 2) + (y / 2)) % 2 == 0;
            image.setPixel(x, y, white ? qRgb(0xFF, 0xFF, 0xFF) : qRgb(0x9A, 0x9A, 0x9A));
        }
    }
    return image;
}

QImage searchButton()
{
    QImage canvas(38, 38, QImage::Format_RGB32);
    canvas.fill(kMist);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8A, 0x4A, 0x10), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(23, 23), QPointF(30.5, 30.5));
    p.setPen(QPen(QColor(0xF0, 0x8C, 0x20), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(23, 23), QPointF(30.5, 30.5)); // the orange handle
    p.setPen(QPen(QColor(0x3A, 0x4A, 0x50), 2.2));
    p.setBrush(QColor(0xBF, 0xE4, 0xFA)); // the pale blue lens
    p.drawEllipse(QPointF(16, 16), 9, 9);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10.5, 10.5, 11, 11), 100 * 16, 70 * 16); // a glint
    p.end();
    return canvas.convertToFormat(QImage::Format_RGB888);
}

// The rub el hizb: two squares turned against each other, with a ring at the middle.
void star(QPainter &p, QPointF centre, qreal radius, const QColor &line, const QColor &fill)
{
    QPolygonF square;
    for (int k = 0; k < 4; ++k) {
        const qreal a = qDegreesToRadians(45.0 + 90.0 * k);
        square << centre + QPointF(radius * qCos(a), radius * qSin(a));
    }
    QPainterPath path;
    path.addPolygon(square);
    path.closeSubpath();
    QPainterPath turned;
    QPolygonF other;
    for (int k = 0; k < 4; ++k) {
        const qreal a = qDegreesToRadians(90.0 * k);
        other << centre + QPointF(radius * qCos(a), radius * qSin(a));
    }
    turned.addPolygon(other);
    turned.closeSubpath();
    p.setPen(QPen(line, qMax(1.0, radius / 9)));
    p.setBrush(fill);
    p.drawPath(path.united(turned));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius * 0.38, radius * 0.38);
}

QFont naskh(qreal pixels, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Amiri"), QStringLiteral("Noto Naskh Arabic")});
    font.setPixelSize(qMax(1, qRound(pixels)));
    font.setBold(bold);
    return font;
}

// The largest size up to pixels at which text fits into width.
QFont fitted(const QString &text, qreal pixels, qreal width, bool bold)
{
    QFont font = naskh(pixels, bold);
    while (font.pixelSize() > 8 && QFontMetricsF(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void rightToLeftText(QPainter &p, const QRectF &box, const QString &text, const QFont &font,
                     const QColor &colour)
{
    p.setFont(font);
    p.setPen(colour);
    p.setLayoutDirection(Qt::RightToLeft);
    p.drawText(box, Qt::AlignCenter, text);
}

// A line with a lozenge at its middle, fading out towards its ends.
void ornamentLine(QPainter &p, QPointF centre, qreal halfWidth, const QColor &colour)
{
    QLinearGradient fade(centre - QPointF(halfWidth, 0), centre + QPointF(halfWidth, 0));
    QColor clear = colour;
    clear.setAlpha(0);
    fade.setColorAt(0, clear);
    fade.setColorAt(0.5, colour);
    fade.setColorAt(1, clear);
    p.setPen(QPen(QBrush(fade), 1));
    p.drawLine(centre - QPointF(halfWidth, 0), centre + QPointF(halfWidth, 0));
    QPolygonF lozenge;
    lozenge << centre + QPointF(0, -3.5) << centre + QPointF(6, 0) << centre + QPointF(0, 3.5)
            << centre + QPointF(-6, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(lozenge);
}

void doubleFrame(QPainter &p, const QRectF &outer, const QColor &first, const QColor &second)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(first, 1.5));
    p.drawRect(outer);
    p.setPen(QPen(second, 1));
    p.drawRect(outer.adjusted(3.5, 3.5, -3.5, -3.5));
}

QImage splash()
{
    const QSize size(335, 87);
    QImage canvas(size, QImage::Format_RGB32);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient ground(0, 0, 0, size.height());
    ground.setColorAt(0, QColor(0x0C, 0x52, 0x14));
    ground.setColorAt(1, kDarkGreen);
    p.fillRect(canvas.rect(), ground);
    doubleFrame(p, QRectF(3.5, 3.5, size.width() - 7, size.height() - 7), kOlive, kSage);
    star(p, QPointF(26, 43.5), 13, kOlive, QColor(0x1A, 0x5A, 0x20));
    star(p, QPointF(size.width() - 26, 43.5), 13, kOlive, QColor(0x1A, 0x5A, 0x20));
    const QString title = texts::windowTitle();
    const QRectF titleBox(46, 12, size.width() - 92, 40);
    rightToLeftText(p, titleBox, title, fitted(title, 20, titleBox.width(), true), kCream);
    ornamentLine(p, QPointF(size.width() / 2.0, 56), 100, kSage);
    p.setLayoutDirection(Qt::LeftToRight);
    p.setFont(naskh(12, false));
    p.setPen(kMist);
    p.drawText(QRectF(0, 60, size.width(), 18), Qt::AlignCenter, texts::versionCaption().trimmed());
    p.end();
    return canvas.convertToFormat(QImage::Format_RGB888);
}

QImage about()
{
    const QSize size(688, 295);
    QImage canvas(size, QImage::Format_RGB32);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QRadialGradient ground(QPointF(size.width() / 2.0, 110), 420);
    ground.setColorAt(0, QColor(0x1B, 0x3B, 0x33));
    ground.setColorAt(1, kAboutGround);
    p.fillRect(canvas.rect(), ground);

    // A faint lattice of small stars behind everything.
    QColor faint = kSage;
    faint.setAlpha(28);
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 15; ++column)
            star(p, QPointF(24 + column * 46 + (row % 2) * 23, 24 + row * 50), 9, faint,
                 Qt::transparent);

    doubleFrame(p, QRectF(6.5, 6.5, size.width() - 13, size.height() - 13), kOlive, kSage);
    for (const QPointF corner :
         {QPointF(22, 22), QPointF(size.width() - 22, 22), QPointF(22, size.height() - 22),
          QPointF(size.width() - 22, size.height() - 22)})
        star(p, corner, 9, kOlive, kAboutGround);

    const qreal middle = size.width() / 2.0;
    star(p, QPointF(middle, 62), 30, kOlive, QColor(0x23, 0x4A, 0x2E));
    star(p, QPointF(middle, 62), 15, kCream, QColor(0x4F, 0x80, 0x68));

    const QString title = texts::windowTitle();
    const QRectF titleBox(60, 104, size.width() - 120, 64);
    rightToLeftText(p, titleBox, title, fitted(title, 34, titleBox.width(), true), kCream);
    ornamentLine(p, QPointF(middle, 182), 230, kOlive);

    const QString heading = texts::aboutCaption();
    rightToLeftText(p, QRectF(0, 192, size.width(), 40), heading, naskh(22, false), kMist);
    p.setLayoutDirection(Qt::LeftToRight);
    p.setFont(naskh(16, false));
    p.setPen(kSage);
    p.drawText(QRectF(0, 232, size.width(), 26), Qt::AlignCenter,
               texts::versionCaption().trimmed());
    p.end();
    return canvas.convertToFormat(QImage::Format_RGB888);
}

// Drawn on a grid of 32 units and scaled, so that the icon is drawn afresh, sharp, at
// every size a desktop asks for.
QImage iconAt(int size)
{
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(kOlive, 2));
    p.setBrush(kDarkGreen);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    // An open book: two pages meeting at a spine.
    QPainterPath pages;
    pages.moveTo(16, 11);
    pages.cubicTo(12, 8, 8, 8, 5, 9);
    pages.lineTo(5, 24);
    pages.cubicTo(8, 23, 12, 23, 16, 26);
    pages.cubicTo(20, 23, 24, 23, 27, 24);
    pages.lineTo(27, 9);
    pages.cubicTo(24, 8, 20, 8, 16, 11);
    pages.closeSubpath();
    p.setPen(QPen(kSage, 1));
    p.setBrush(kCream);
    p.drawPath(pages);
    p.setPen(QPen(kDarkGreen, 1.2));
    p.drawLine(QPointF(16, 11), QPointF(16, 25.5));
    p.setPen(QPen(kSage, 1));
    for (int line = 0; line < 4; ++line) {
        const qreal y = 13 + line * 3;
        p.drawLine(QPointF(7.5, y), QPointF(13.5, y + 0.5));
        p.drawLine(QPointF(18.5, y + 0.5), QPointF(24.5, y));
    }
    p.end();
    return canvas;
}

// A hand with its index finger up; the pointer's hot spot is the fingertip.
constexpr int kFingerTipX = 9;
constexpr int kFingerTipY = 2;

QImage hand()
{
    QImage canvas(32, 32, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(7, 1.5, 4.5, 16), 2.2, 2.2); // index finger
    shape.addRoundedRect(QRectF(11, 9, 4.2, 9), 2, 2);
    shape.addRoundedRect(QRectF(15, 10, 4.2, 8.5), 2, 2);
    shape.addRoundedRect(QRectF(19, 11.5, 4, 8), 2, 2);
    shape.addRoundedRect(QRectF(7, 15, 16, 12), 4, 4); // palm
    QPainterPath thumb;
    thumb.moveTo(8, 23);
    thumb.lineTo(3.5, 17.5);
    thumb.cubicTo(2, 15.5, 4, 13.5, 6, 15);
    thumb.lineTo(8.5, 18);
    thumb.closeSubpath();
    shape = shape.united(thumb).simplified();
    p.setPen(QPen(Qt::black, 1.1));
    p.setBrush(Qt::white);
    p.drawPath(shape);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.8));
    for (const qreal x : {11.0, 15.0, 19.0})
        p.drawLine(QPointF(x, 15.5), QPointF(x, 18.5));
    p.end();
    return canvas;
}

} // namespace

QList<QRgb> captionGradient()
{
    // Listed rows of the design, the rows between them blended evenly.
    struct Key {
        int row;
        QColor colour;
    };
    const Key keys[] = {{0, QColor(0x1D, 0x8E, 0xC0)},  {3, QColor(0x18, 0x77, 0xA2)},
                        {7, QColor(0x11, 0x52, 0x6F)},  {16, QColor(0, 0, 0)},
                        {17, QColor(0x11, 0x11, 0x11)}, {18, QColor(0x19, 0x19, 0x19)},
                        {19, QColor(0x42, 0x42, 0x42)}, {20, QColor(0x61, 0x61, 0x61)}};
    QList<QRgb> rows;
    for (std::size_t k = 0; k + 1 < std::size(keys); ++k) {
        const Key &from = keys[k];
        const Key &to = keys[k + 1];
        for (int row = from.row; row < to.row; ++row) {
            const qreal t = qreal(row - from.row) / (to.row - from.row);
            const auto mix = [t](int a, int b) { return qRound(a + (b - a) * t); };
            rows << qRgb(mix(from.colour.red(), to.colour.red()),
                         mix(from.colour.green(), to.colour.green()),
                         mix(from.colour.blue(), to.colour.blue()));
        }
    }
    rows << keys[std::size(keys) - 1].colour.rgb();
    return rows;
}

QImage picture(Picture which)
{
    switch (which) {
    case Picture::None: return {};
    case Picture::FrameBandHorizontal: return frameBand(true);
    case Picture::FrameBandVertical: return frameBand(false);
    case Picture::CornerTopLeft: return frameCorner(true, true);
    case Picture::CornerTopRight: return frameCorner(true, false);
    case Picture::CornerBottomLeft: return frameCorner(false, true);
    case Picture::CornerBottomRight: return frameCorner(false, false);
    case Picture::CaptionBar: return onGradient(20, 21);
    case Picture::Backdrop: return bitmap(1, 20);
    case Picture::CaptionButtons: return captionButtons();
    case Picture::Emblem: return emblem();
    case Picture::SearchButton: return searchButton();
    case Picture::WindowIcon: return iconAt(32);
    case Picture::HandPointer: return hand();
    case Picture::Splash: return splash();
    case Picture::About: return about();
    }
    return {};
}

QImage windowIconImage(int size)
{
    return iconAt(size);
}

QIcon windowIcon()
{
    return QIcon(QPixmap::fromImage(iconAt(32)));
}

QCursor handCursor()
{
    return QCursor(QPixmap::fromImage(hand()), kFingerTipX, kFingerTipY);
}

} // namespace tembra
