#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tembra {

// Where the load step puts the main window: centred across the screen, 300 twips above the
// middle, and never with its top above 45 twips. Each difference of screen and window size
// is taken in single precision, rounded to the nearest 32-bit integer (a half to the even
// neighbour) and halved towards zero. Sizes in twips.
struct CentredPlace {
    qint32 left = 0;
    qint32 top = 0;
};
CentredPlace centredPlace(float screenWidth, float screenHeight, float windowWidth,
                          float windowHeight);

// A window place to apply, in the order of its fields: Left, Top, then Height, then Width
// (each size change runs the layout pass).
struct WindowPlacement {
    float left = 0;
    float top = 0;
    float height = 0;
    float width = 0;
};

// The part of the screen a window may take: the screen less its panels. Twips.
struct TwipsArea {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

// A place kept on the area: a size larger than the area is reduced to it, and the window is
// moved, as little as it takes, to lie wholly on it. On a small screen (or a large scale
// factor) the design's size would put the close button and the search box off the screen.
WindowPlacement keepWithin(WindowPlacement place, const TwipsArea &area);

// The enlarge/restore toggle of the caption bar. Enlarged covers the screen's width and
// its height less 480 twips (left free for the task bar); restore goes back to the place
// before the enlargement at the size the window had at start-up. Minimising touches none of
// this, so the next toggle after a minimise restores an enlarged window.
class EnlargeToggle final {
public:
    // The window's size at start-up, after it has centred itself: every restore returns
    // to it, even if the screen has changed since.
    EnlargeToggle(float savedHeight, float savedWidth);

    // The caption of the hidden label Mini: "1" normal, "2" enlarged.
    QString Mini() const { return m_mini; }
    bool enlarged() const;
    // Left and Top before the last enlargement; empty until the first.
    std::optional<float> SavedLeft() const { return m_savedLeft; }
    std::optional<float> SavedTop() const { return m_savedTop; }
    float SavedHeight() const { return m_savedHeight; }
    float SavedWidth() const { return m_savedWidth; }

    // Enlarges the window at (left, top), or restores it when it is enlarged; returns the
    // place to apply. Screen size in twips.
    WindowPlacement toggle(float left, float top, float screenWidth, float screenHeight);

private:
    QString m_mini = QStringLiteral("1");
    std::optional<float> m_savedLeft;
    std::optional<float> m_savedTop;
    float m_savedHeight;
    float m_savedWidth;
};

} // namespace tembra
