#include "design/windowplace.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tembra {

namespace {

// The nearest 32-bit integer, a half going to the even neighbour (the default rounding
// mode), then halved with the remainder dropped. A difference beyond the 32-bit range, which
// no real screen gives, is held at its end instead of being undefined.
qint32 halfOfRounded(float difference)
{
    const double rounded = std::nearbyint(double(difference));
    qint32 whole = 0;
    if (rounded >= double(std::numeric_limits<qint32>::max()))
        whole = std::numeric_limits<qint32>::max();
    else if (rounded <= double(std::numeric_limits<qint32>::min()))
        whole = std::numeric_limits<qint32>::min();
    else if (!std::isnan(rounded))
        whole = static_cast<qint32>(rounded);
    return whole / 2; // C++ division drops the remainder towards zero
}

} // namespace

CentredPlace centredPlace(float screenWidth, float screenHeight, float windowWidth,
                          float windowHeight)
{
    CentredPlace place;
    place.left = halfOfRounded(screenWidth - windowWidth);
    place.top = halfOfRounded(screenHeight - windowHeight) - 300;
    // A window taller than the screen keeps its caption bar reachable.
    if (place.top < 45)
        place.top = 45;
    return place;
}

WindowPlacement keepWithin(WindowPlacement place, const TwipsArea &area)
{
    place.width = std::min(place.width, area.width);
    place.height = std::min(place.height, area.height);
    place.left = std::clamp(place.left, area.left, area.left + area.width - place.width);
    place.top = std::clamp(place.top, area.top, area.top + area.height - place.height);
    return place;
}

EnlargeToggle::EnlargeToggle(float savedHeight, float savedWidth)
    : m_savedHeight(savedHeight), m_savedWidth(savedWidth)
{ }

bool EnlargeToggle::enlarged() const
{
    // Mini's caption is the state: read as a number and compared with 2.
    bool ok = false;
    const double value = m_mini.toDouble(&ok);
    return ok && value == 2.0;
}

WindowPlacement EnlargeToggle::toggle(float left, float top, float screenWidth, float screenHeight)
{
    WindowPlacement place;
    if (enlarged()) {
        m_mini = QStringLiteral("1");
        place.left = m_savedLeft.value_or(left);
        place.top = m_savedTop.value_or(top);
        place.height = m_savedHeight;
        place.width = m_savedWidth;
    } else {
        m_mini = QStringLiteral("2");
        m_savedLeft = left;
        m_savedTop = top;
        place.left = 0;
        place.top = 0;
        place.height = screenHeight - 480;
        place.width = screenWidth;
    }
    return place;
}

} // namespace tembra
